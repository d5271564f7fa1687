// The one owner of a handle, closed exactly once when the owner goes: UniqueHandle for kernel
// handles (files), FindHandle for FindFirstFileA searches.
#pragma once

#include <windows.h>

template <BOOL(WINAPI* CloseFunction)(HANDLE)>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  ~OwnedHandle() { Close(); }

  // Close ours before taking theirs, so that no handle ever has two owners.
  OwnedHandle(OwnedHandle&& other) : handle_(other.Release()) {}
  OwnedHandle& operator=(OwnedHandle&& other) {
    if (this != &other) {
      Close();
      handle_ = other.Release();
    }
    return *this;
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  // CreateFile and FindFirstFile report failure with INVALID_HANDLE_VALUE, most other calls
  // with null, and a moved-from owner holds null: all are "no handle".
  bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

  // Gives the handle up without closing it.
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }

  // Closes the handle now: 0, or the error the close reported. An empty owner closes fine.
  DWORD Close() {
    bool valid = IsValid();
    HANDLE handle = Release();
    if (valid && !CloseFunction(handle))
      return GetLastError();
    return 0;
  }

 private:
  HANDLE handle_ = nullptr;
};

using UniqueHandle = OwnedHandle<CloseHandle>;
using FindHandle = OwnedHandle<FindClose>;
