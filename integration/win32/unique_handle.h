// UniqueHandle: the one owner of a kernel handle (a file), closed when the owner goes.
#pragma once

#include <windows.h>

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { Close(); }

  UniqueHandle(UniqueHandle&& other) : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) {
    if (this != &other) {
      Close();
      handle_ = other.Release();
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  // CreateFile reports failure with INVALID_HANDLE_VALUE, most other calls with null: both are
  // "no handle".
  bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

  // Gives the handle up without closing it.
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }

  // Closes the handle now; 0, or the error that CloseHandle reported.
  DWORD Close() {
    DWORD error = 0;
    if (IsValid() && !CloseHandle(handle_))
      error = GetLastError();
    handle_ = nullptr;
    return error;
  }

 private:
  HANDLE handle_ = nullptr;
};
