#include "integration/win32/registry.h"

#include <cstring>

#include "integration/win32/win32_platform.h"

LONG RegKey::Open(HKEY root, const char* subKey, REGSAM access) {
  HKEY key = nullptr;
  LONG error = RegOpenKeyExA(root, subKey, 0, access, &key);
  Close();
  if (error == ERROR_SUCCESS)
    key_ = key;
  return error;
}

LONG RegKey::Create(HKEY root, const char* subKey, REGSAM access) {
  HKEY key = nullptr;
  LONG error = RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                               &key, nullptr);
  Close();
  if (error == ERROR_SUCCESS)
    key_ = key;
  return error;
}

LONG RegKey::SetString(const char* valueName, const char* data) {
  if (!Valid())
    return ERROR_INVALID_HANDLE;
  if (!data)
    data = "";
  DWORD bytes = static_cast<DWORD>(std::strlen(data) + 1);
  return RegSetValueExA(key_, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), bytes);
}

LONG RegKey::Close() {
  bool valid = Valid();
  HKEY key = Release();
  return valid ? RegCloseKey(key) : ERROR_SUCCESS;
}

HKEY RootKey(RegistryRoot) {
  return HKEY_LOCAL_MACHINE;
}

// 32-bit Windows ignores the flag; a system that refuses it reads nothing there.
REGSAM RootAccess(RegistryRoot root, REGSAM access) {
  return root == RegistryRoot::kLocalMachineSystemView ? access | KEY_WOW64_64KEY : access;
}

int RegSetString(HKEY root, const char* subKey, const char* valueName, const char* data) {
  RegKey key;
  if (key.Create(root, subKey, KEY_ALL_ACCESS) != ERROR_SUCCESS)
    return 0;
  if (valueName)
    key.SetString(valueName, data);
  return 1;
}

// Full access, not just reading: where the user may not write the key, nothing is written.
bool Win32Platform::RegistryKeyOpens(RegistryRoot root, const char* key) {
  RegKey probe;
  return root == RegistryRoot::kLocalMachine &&
         probe.Open(RootKey(root), key, KEY_ALL_ACCESS) == ERROR_SUCCESS;
}

bool Win32Platform::RegistrySetString(RegistryRoot root, const char* key, const char* valueName,
                                      const char* data) {
  return root == RegistryRoot::kLocalMachine &&
         RegSetString(RootKey(root), key, valueName, data) != 0;
}
