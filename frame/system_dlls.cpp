#include "frame/system_dlls.h"

#include <commctrl.h>

#include "common/bounded_text.h"

namespace {

// A function looked up at run time, as the type it is: GetProcAddress returns them all as one
// type, and older systems lack some of them.
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

void RestrictDllSearchToSystemFolder() {
  // kernel32 is loaded in every process, so naming it searches nothing.
  auto setDefaultDirectories =
      Lookup<BOOL(WINAPI*)(DWORD)>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
  if (setDefaultDirectories)
    setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool LoadCommonControls(DWORD classes) {
  char path[MAX_PATH];
  UINT length = GetSystemDirectoryA(path, sizeof path);
  if (length == 0 || length >= sizeof path || !JoinPath(path, path, "comctl32.dll"))
    return false;
  HMODULE module = LoadLibraryA(path);
  if (!module)
    return false;
  if (auto initEx =
          Lookup<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(module, "InitCommonControlsEx")) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, classes};
    return initEx(&controls) != FALSE;
  }
  auto init = Lookup<void(WINAPI*)()>(module, "InitCommonControls");
  if (!init)
    return false;
  init();
  return true;
}
