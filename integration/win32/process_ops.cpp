// Starting the installed program, and pausing.
#include "integration/win32/win32_platform.h"

bool Win32Processes::SetCurrentFolder(const char* path) {
  return SetCurrentDirectoryA(path) != 0;
}

// WinExec answers an error code below 32.
bool Win32Processes::StartProgram(const char* commandLine) {
  return WinExec(commandLine, SW_SHOW) > 31;
}

void Win32Processes::Pause(unsigned milliseconds) {
  Sleep(milliseconds);
}
