// Shell and COM operations of the Win32 platform.
#include <objbase.h>
#include <shlobj.h>

#include "common/bounded_text.h"
#include "integration/win32/shell_link.h"
#include "integration/win32/shell_memory.h"
#include "integration/win32/win32_platform.h"

namespace {

// CoInitialize calls that failed and so must not be matched by CoUninitialize: an unmatched
// CoUninitialize would undo somebody else's initialisation of the thread.
unsigned comInitFailures = 0;

}  // namespace

int Win32Shell::WindowsFamily() {
  OSVERSIONINFOA version = {};
  static_assert(sizeof version == 148, "the version query checks the structure's size");
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version))
    return 0;
  return static_cast<int>(version.dwPlatformId);
}

bool Win32Shell::GetSpecialFolder(int csidl, char* buf, std::size_t cap) {
  if (cap)
    buf[0] = '\0';
  LPITEMIDLIST items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)))
    items = nullptr;
  ShellAllocator allocator;
  ShellItemList location(items, allocator);  // freed before the allocator is released
  if (!location.Get())
    return false;
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(location.Get(), path))
    return false;
  return CopyText(buf, cap, path);
}

void Win32Shell::InitializeCom() {
  if (FAILED(CoInitialize(nullptr)))
    ++comInitFailures;
}

void Win32Shell::UninitializeCom() {
  if (comInitFailures > 0)
    --comInitFailures;
  else
    CoUninitialize();
}

bool Win32Shell::WriteShellLink(const char* linkPath, const LinkInfo& info) {
  return SUCCEEDED(CreateLink(linkPath, &info));
}
