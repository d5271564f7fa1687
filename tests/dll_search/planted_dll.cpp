// A DLL to plant beside a program, as comctl32.dll or under another system DLL's name: when
// loaded, it writes the path of the program that loaded it to a marker beside itself, named as
// it is with ".loaded" added (comctl32.dll.loaded). It exports the functions a program imports
// from comctl32 to start, so that such a program still loads; they register nothing.
#include <windows.h>

#include "common/bounded_text.h"

namespace {

void WriteMarker(HMODULE self) {
  char marker[MAX_PATH];
  DWORD length = GetModuleFileNameA(self, marker, sizeof marker);
  if (length == 0 || length >= sizeof marker || !AppendText(marker, ".loaded"))
    return;
  HANDLE file =
      CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  char program[MAX_PATH];
  DWORD written;
  length = GetModuleFileNameA(nullptr, program, sizeof program);
  WriteFile(file, program, length < sizeof program ? length : 0, &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH)
    WriteMarker(self);
  return TRUE;
}

__declspec(dllexport) void WINAPI InitCommonControls() {}

__declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void*) {
  return TRUE;
}

}  // extern "C"
