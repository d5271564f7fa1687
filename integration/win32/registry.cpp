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

bool WideValueName(const char* valueName, wchar_t (&wide)[64]) {
  return MultiByteToWideChar(CP_ACP, 0, valueName, -1, wide, 64) > 0;
}

namespace {

// Creates or opens `key` and, when `valueName` is given, writes the value. Only the root that
// the installer writes is written.
bool WriteValue(RegistryRoot root, const char* key, const char* valueName, DWORD type,
                const void* data, std::size_t size, bool wide = false) {
  RegKey open;
  if (root != RegistryRoot::kLocalMachine || size > MAXDWORD ||
      open.Create(RootKey(root), key, KEY_SET_VALUE) != ERROR_SUCCESS)
    return false;
  if (!valueName)
    return true;
  const BYTE* bytes = static_cast<const BYTE*>(data);
  wchar_t name[64];
  if (wide)
    return WideValueName(valueName, name) &&
           RegSetValueExW(open.Get(), name, 0, type, bytes, static_cast<DWORD>(size)) ==
               ERROR_SUCCESS;
  return RegSetValueExA(open.Get(), valueName, 0, type, bytes, static_cast<DWORD>(size)) ==
         ERROR_SUCCESS;
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

namespace {

// Wide text of `size` characters as a value of `type`; narrowed on 95/98, whose registry keeps
// ANSI text only.
bool WriteWide(RegistryRoot root, const char* key, const char* valueName, DWORD type,
               const wchar_t* text, std::size_t size) {
  if (!valueName || size > MAXDWORD / 2)
    return false;
  if (!IsNtFamily()) {
    // Static storage: zero-filled, it takes no room in the program file. A name in a double-byte
    // code page takes two bytes a character.
    static char ansi[2 * 64 * 1024];
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(size), ansi, sizeof ansi,
                                    nullptr, nullptr);
    return bytes > 0 && WriteValue(root, key, valueName, type, ansi, bytes);
  }
  return WriteValue(root, key, valueName, type, text, size * sizeof *text, true);
}

}  // namespace

bool Win32RegistryWriter::RegistrySetMultiString(RegistryRoot root, const char* key,
                                                 const char* valueName, const wchar_t* list,
                                                 std::size_t size) {
  return WriteWide(root, key, valueName, REG_MULTI_SZ, list, size);
}

bool Win32RegistryWriter::RegistrySetWideString(RegistryRoot root, const char* key,
                                                const char* valueName, const wchar_t* text) {
  return WriteWide(root, key, valueName, REG_SZ, text, lstrlenW(text) + 1);
}

bool Win32RegistryWriter::RegistryDeleteValue(RegistryRoot root, const char* key,
                                              const char* valueName) {
  RegKey open;
  if (root != RegistryRoot::kLocalMachine)
    return false;
  LONG error = open.Open(RootKey(root), key, KEY_SET_VALUE);
  if (error == ERROR_SUCCESS)
    error = RegDeleteValueA(open.Get(), valueName);
  return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND;
}
