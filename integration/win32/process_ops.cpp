// Starting the installed program and the earlier installation's uninstaller, and pausing.
#include "frame/frame_dialog.h"
#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"

bool Win32Processes::SetCurrentFolder(const char* path) {
  return SetCurrentDirectoryA(path) != 0;
}

namespace {

// CreateProcess may write into the command line it is given. `shown`: its first window as a
// program started by the user shows it.
bool Start(const char* commandLine, bool shown, PROCESS_INFORMATION* process) {
  char line[2 * MAX_PATH];
  if (lstrlenA(commandLine) >= static_cast<int>(sizeof line))
    return false;
  lstrcpyA(line, commandLine);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = shown ? STARTF_USESHOWWINDOW : 0;
  startup.wShowWindow = SW_SHOW;
  return CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        process) != 0;
}

}  // namespace

// Not WinExec: it waits until the started program takes its first message, up to 30 s, and
// the dialog would take none meanwhile.
bool Win32Processes::StartProgram(const char* commandLine) {
  PROCESS_INFORMATION process = {};
  if (!Start(commandLine, true, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool Win32Processes::RunAndWait(const char* commandLine, std::uint32_t* exitCode) {
  PROCESS_INFORMATION process = {};
  if (!Start(commandLine, false, &process))
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

// The dialog's pauses take its messages meanwhile: it repaints, moves and answers.
void Win32Processes::Pause(unsigned milliseconds) {
  DWORD start = GetTickCount();
  for (DWORD spent = 0; spent < milliseconds; spent = GetTickCount() - start) {
    TakeWaitingMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
  }
  TakeWaitingMessages();
}
