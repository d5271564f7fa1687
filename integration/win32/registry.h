// Registry access: a move-only key and the string writer behind the uninstall registration.
#pragma once

#include <windows.h>

#include "integration/platform.h"

// One open key, closed exactly once. Predefined roots (HKEY_LOCAL_MACHINE, ...) are passed as
// `root` and never owned.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { Close(); }

  RegKey(RegKey&& other) noexcept : key_(other.Release()) {}
  RegKey& operator=(RegKey&& other) noexcept {
    // Close ours before taking theirs, so that no key ever has two owners.
    if (this != &other) {
      Close();
      key_ = other.Release();
    }
    return *this;
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // ERROR_SUCCESS or the registry's error; the key held before is closed either way.
  LONG Open(HKEY root, const char* subKey, REGSAM access);
  // Creates the key, or opens it when it exists.
  LONG Create(HKEY root, const char* subKey, REGSAM access);
  // Writes `data` as REG_SZ. The byte count includes the terminating zero, without which
  // readers may see the text run on into whatever follows it.
  LONG SetString(const char* valueName, const char* data);

  bool Valid() const {
    return key_ != nullptr && key_ != reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
  }
  HKEY Get() const { return key_; }
  HKEY Release() {
    HKEY key = key_;
    key_ = nullptr;
    return key;
  }
  // ERROR_SUCCESS, or the error of RegCloseKey; an empty key closes successfully.
  LONG Close();

 private:
  HKEY key_ = nullptr;
};

HKEY RootKey(RegistryRoot root);
// `access` with the flag that selects the root's view of the registry, where it has one.
REGSAM RootAccess(RegistryRoot root, REGSAM access);

// Creates or opens `subKey` under `root` with full access and, when `valueName` is given,
// writes `data` there as REG_SZ; the write's own result is not looked at. 1 when the key was
// created or opened, else 0.
int RegSetString(HKEY root, const char* subKey, const char* valueName, const char* data);

// A value name of the program's own (ASCII) for the wide calls. False when it does not fit.
bool WideValueName(const char* valueName, wchar_t (&wide)[64]);
