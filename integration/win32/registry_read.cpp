// The registry's readers, which only the uninstaller uses: kept apart, setup.exe does not import
// the calls they make.
#include <cstdlib>

#include "integration/win32/registry.h"
#include "integration/win32/win32_platform.h"

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

// Wide on the NT family, so that names outside the ANSI code page are kept. 95/98 has ANSI
// names only: there they go back to the ANSI form they were listed in.
bool Win32Registry::RegistryGetMultiString(RegistryRoot root, const char* key,
                                           const char* valueName, wchar_t* buf, std::size_t cap,
                                           std::size_t* size) {
  *size = 0;
  constexpr std::size_t kEnd = 2;  // the two zeros that end a list, kept free for the reader
  if (cap <= kEnd || cap - kEnd > MAXDWORD / 2)
    return false;
  RegKey open;
  if (open.Open(RootKey(root), key, RootAccess(root, KEY_QUERY_VALUE)) != ERROR_SUCCESS)
    return false;
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>(cap - kEnd);
  std::size_t length = 0;
  if (IsNtFamily()) {
    wchar_t name[64];
    bytes *= sizeof *buf;
    if (!WideValueName(valueName, name) ||
        RegQueryValueExW(open.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &bytes) !=
            ERROR_SUCCESS)
      return false;
    length = bytes / sizeof *buf;
  } else {
    // 95/98: the ANSI list, widened as the listing widens names there.
    char* ansi = static_cast<char*>(std::malloc(bytes + 1));
    LONG read = ansi ? RegQueryValueExA(open.Get(), valueName, nullptr, &type,
                                        reinterpret_cast<BYTE*>(ansi), &bytes)
                     : ERROR_OUTOFMEMORY;
    if (read == ERROR_SUCCESS && bytes > 0)
      length = static_cast<std::size_t>(MultiByteToWideChar(
          CP_ACP, 0, ansi, static_cast<int>(bytes), buf, static_cast<int>(cap - kEnd)));
    std::free(ansi);
    if (read != ERROR_SUCCESS || (bytes > 0 && length == 0))
      return false;
  }
  if (type != REG_MULTI_SZ)
    return false;
  // Stored data need not end as it should; the list read always does.
  buf[length] = L'\0';
  buf[length + 1] = L'\0';
  *size = length + kEnd;
  return true;
}
