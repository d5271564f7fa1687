// The DLLs a frame program loads itself, and where any later load may come from. Only the DLLs
// that Windows keeps in its list of known DLLs are imported; everything else is loaded here, by
// its full path in the system folder, so that a DLL of that name beside the program (in a
// Downloads folder, say) is never run with the program's rights.
#pragma once

#include <windows.h>

// Limits the search of every later LoadLibrary, also those inside system DLLs (the folder
// browser, the shell link), to the system folder. A no-op where the system lacks
// SetDefaultDllDirectories (before Windows 8 without its update): those only get the full-path
// load below.
void RestrictDllSearchToSystemFolder();

// Loads the DLL `name` from the system folder by its full path; null when it cannot be loaded.
HMODULE LoadSystemDll(const char* name);

// A function looked up at run time, as the type it is: GetProcAddress returns them all as one
// type, and older systems lack some of them.
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loads the system's comctl32.dll and registers the window classes in `classes` (ICC_*). Uses
// InitCommonControlsEx where that exists, else InitCommonControls, which registers them all
// (Windows 95 and NT 4.0 without a later comctl32). The DLL stays loaded for the life of the
// process: the controls' window procedures live in it. False when it could not be loaded.
bool LoadCommonControls(DWORD classes);
