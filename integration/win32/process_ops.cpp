// Starting the installed program, and pausing.
#include "integration/win32/win32_platform.h"

bool Win32Processes::SetCurrentFolder(const char* path) {
  return SetCurrentDirectoryA(path) != 0;
}

void Win32Processes::StartProgram(const char* commandLine) {
  WinExec(commandLine, SW_SHOW);
}

void Win32Processes::Pause(unsigned milliseconds) {
  Sleep(milliseconds);
}
