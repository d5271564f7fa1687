// Starting the installed program and the earlier installation's uninstaller, and pausing.
#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"

bool Win32Processes::SetCurrentFolder(const char* path) {
  return SetCurrentDirectoryA(path) != 0;
}

// WinExec answers an error code below 32.
bool Win32Processes::StartProgram(const char* commandLine) {
  return WinExec(commandLine, SW_SHOW) > 31;
}

bool Win32Processes::RunAndWait(const char* commandLine, std::uint32_t* exitCode) {
  // CreateProcess may write into the command line it is given.
  char line[2 * MAX_PATH];
  if (lstrlenA(commandLine) >= static_cast<int>(sizeof line))
    return false;
  lstrcpyA(line, commandLine);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  UniqueHandle running(process.hProcess);
  UniqueHandle thread(process.hThread);
  DWORD code = 0;
  if (WaitForSingleObject(running.Get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(running.Get(), &code))
    return false;
  *exitCode = code;
  return true;
}

void Win32Processes::Pause(unsigned milliseconds) {
  Sleep(milliseconds);
}
