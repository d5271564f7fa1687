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
bool Win32RegistryWriter::RegistryKeyOpens(RegistryRoot root, const char* key) {
  RegKey probe;
  return root == RegistryRoot::kLocalMachine &&
         probe.Open(RootKey(root), key, KEY_ALL_ACCESS) == ERROR_SUCCESS;
}

namespace {

// Creates or opens `key` and, when `valueName` is given, writes the value. Only the root that
// the installer writes is written.
bool WriteValue(RegistryRoot root, const char* key, const char* valueName, DWORD type,
                const void* data, std::size_t size) {
  RegKey open;
  if (root != RegistryRoot::kLocalMachine || size > MAXDWORD ||
      open.Create(RootKey(root), key, KEY_SET_VALUE) != ERROR_SUCCESS)
    return false;
  return !valueName ||
         RegSetValueExA(open.Get(), valueName, 0, type, static_cast<const BYTE*>(data),
                        static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

}  // namespace

// Unlike RegSetString, the value's own write is looked at.
bool Win32RegistryWriter::RegistrySetString(RegistryRoot root, const char* key,
                                            const char* valueName, const char* data) {
  if (!data)
    data = "";
  return WriteValue(root, key, valueName, REG_SZ, data, std::strlen(data) + 1);
}

bool Win32RegistryWriter::RegistrySetNumber(RegistryRoot root, const char* key,
                                            const char* valueName, std::uint32_t value) {
  DWORD data = value;
  return WriteValue(root, key, valueName, REG_DWORD, &data, sizeof data);
}

bool Win32Registry::RegistryGetString(RegistryRoot root, const char* key, const char* valueName,
                                      char* buf, std::size_t cap) {
  if (cap == 0)
    return false;
  buf[0] = '\0';
  RegKey open;
  if (open.Open(RootKey(root), key, RootAccess(root, KEY_QUERY_VALUE)) != ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(cap);
  if (RegQueryValueExA(open.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buf),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    buf[0] = '\0';
    return false;
  }
  // Stored data need not end with a zero: one is added when there is room for it.
  if (size > 0 && buf[size - 1] == '\0')
    return true;
  if (size < cap) {
    buf[size] = '\0';
    return true;
  }
  buf[0] = '\0';
  return false;
}

bool Win32RegistryWriter::RegistrySetMultiString(RegistryRoot root, const char* key,
                                                 const char* valueName, const char* list,
                                                 std::size_t size) {
  return valueName && WriteValue(root, key, valueName, REG_MULTI_SZ, list, size);
}

bool Win32Registry::RegistryGetMultiString(RegistryRoot root, const char* key,
                                           const char* valueName, char* buf, std::size_t cap,
                                           std::size_t* size) {
  *size = 0;
  constexpr std::size_t kEnd = 2;  // the two zeros that end a list, kept free for the reader
  if (cap <= kEnd || cap - kEnd > MAXDWORD)
    return false;
  RegKey open;
  if (open.Open(RootKey(root), key, RootAccess(root, KEY_QUERY_VALUE)) != ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>(cap - kEnd);
  if (RegQueryValueExA(open.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buf),
                       &bytes) != ERROR_SUCCESS ||
      type != REG_MULTI_SZ)
    return false;
  // Stored data need not end as it should; the list read always does.
  buf[bytes] = '\0';
  buf[bytes + 1] = '\0';
  *size = bytes + kEnd;
  return true;
}
