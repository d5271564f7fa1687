// The version resource of an installed program file, read through the system's version.dll.
// It is no known DLL on every Windows, so it is loaded by its full path in the system folder
// when first needed: one beside setup.exe is never loaded.
#include <cstdint>

#include "common/bounded_text.h"
#include "frame/system_dlls.h"
#include "integration/win32/win32_platform.h"

namespace {

using SizeCall = DWORD(WINAPI*)(const wchar_t*, DWORD*);
using ReadCall = BOOL(WINAPI*)(const wchar_t*, DWORD, DWORD, void*);
using QueryCall = BOOL(WINAPI*)(const void*, const wchar_t*, void**, UINT*);

// A version resource's root block is at most 64 KiB; the library asks for room to hold it
// converted as well. A larger one is not read rather than read in part.
constexpr DWORD kBlockCapacity = 3 * 64 * 1024;

// Copies the string `name` of the string table whose key `path` holds up to `end`
// ("\StringFileInfo\040904b0\"), when there is one that fits.
void QueryString(QueryCall query, const void* block, wchar_t (&path)[64], wchar_t* end,
                 const wchar_t* name, wchar_t (&out)[kVersionTextCapacity]) {
  void* value = nullptr;
  UINT length = 0;
  if (CopyText(end, path + 64 - end, name) && query(block, path, &value, &length) && value &&
      length > 0)
    CopyText(out, kVersionTextCapacity, static_cast<const wchar_t*>(value));
}

}  // namespace

bool Win32InstallerFiles::ReadFileVersion(const wchar_t* path, FileVersion& version) {
  version = FileVersion{};
  // 95/98 has only stubs of the wide calls: the file shows no version there.
  HMODULE dll = IsNtFamily() ? LoadSystemDll("version.dll") : nullptr;
  auto size = dll ? Lookup<SizeCall>(dll, "GetFileVersionInfoSizeW") : nullptr;
  auto read = dll ? Lookup<ReadCall>(dll, "GetFileVersionInfoW") : nullptr;
  auto query = dll ? Lookup<QueryCall>(dll, "VerQueryValueW") : nullptr;
  // Static storage: zero-filled, it takes no room in the program file.
  static DWORD block[kBlockCapacity / sizeof(DWORD)];
  DWORD handle = 0;
  DWORD bytes = size && read && query ? size(path, &handle) : 0;
  if (bytes == 0 || bytes > sizeof block || !read(path, 0, bytes, block))
    return false;
  version.found = true;
  void* value = nullptr;
  UINT length = 0;
  if (query(block, L"\\", &value, &length) && value && length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    version.hasFixed = fixed->dwSignature == 0xFEEF04BD;
    version.fileVersionMs = fixed->dwFileVersionMS;
    version.fileVersionLs = fixed->dwFileVersionLS;
  }
  // The first language the file lists, as setup-check reads it.
  void* languages = nullptr;
  if (!query(block, L"\\VarFileInfo\\Translation", &languages, &length) || !languages ||
      length < 2 * sizeof(WORD))
    return true;
  // "\StringFileInfo\" and the language and code page in eight hexadecimal digits.
  wchar_t key[64] = L"\\StringFileInfo\\";
  wchar_t* end = key + 16;
  const WORD* pair = static_cast<const WORD*>(languages);
  std::uint32_t table = static_cast<std::uint32_t>(pair[0]) << 16 | pair[1];
  for (int shift = 28; shift >= 0; shift -= 4)
    *end++ = L"0123456789abcdef"[table >> shift & 0xF];
  *end++ = L'\\';
  QueryString(query, block, key, end, L"ProductVersion", version.productVersion);
  QueryString(query, block, key, end, L"CompanyName", version.companyName);
  return true;
}
