// FindHandle: the move-only owner of one FindFirstFileA search, closed exactly once.
#pragma once

#include <windows.h>

class FindHandle {
 public:
  FindHandle() = default;
  explicit FindHandle(HANDLE search) : search_(search) {}
  ~FindHandle() { Close(); }

  FindHandle(FindHandle&& other) noexcept : search_(other.Release()) {}
  FindHandle& operator=(FindHandle&& other) noexcept {
    // Close ours before taking theirs, so that no search ever has two owners.
    if (this != &other) {
      Close();
      search_ = other.Release();
    }
    return *this;
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  // FindFirstFileA fails with INVALID_HANDLE_VALUE; a moved-from owner holds null.
  bool Valid() const { return search_ != nullptr && search_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return search_; }

  HANDLE Release() {
    HANDLE search = search_;
    search_ = nullptr;
    return search;
  }

  // ERROR_SUCCESS, or the error of FindClose; an empty owner closes successfully.
  DWORD Close() {
    bool valid = Valid();
    HANDLE search = Release();
    if (valid && !FindClose(search))
      return GetLastError();
    return ERROR_SUCCESS;
  }

 private:
  HANDLE search_ = nullptr;
};
