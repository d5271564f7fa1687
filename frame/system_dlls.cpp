#include "frame/system_dlls.h"

#include <commctrl.h>

#include "common/bounded_text.h"

void RestrictDllSearchToSystemFolder() {
  // kernel32 is loaded in every process, so naming it searches nothing.
  auto setDefaultDirectories =
      Lookup<BOOL(WINAPI*)(DWORD)>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
  if (setDefaultDirectories)
    setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemDll(const char* name) {
  char folder[MAX_PATH];
  char path[MAX_PATH];
  UINT length = GetSystemDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder || !JoinPath(path, folder, name))
    return nullptr;
  return LoadLibraryA(path);
}

bool LoadCommonControls(DWORD classes) {
  HMODULE module = LoadSystemDll("comctl32.dll");
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
