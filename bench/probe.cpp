// bench_probe.exe: starts a dialog program inside the benchmark's Wine prefix and times it from
// the inside, where the clock and the windows are. Run without arguments for its commands.
// Results are printed as NAME=VALUE lines for bench/run.sh; failures go to stderr, exit code 1.
#include <fcntl.h>
#include <io.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <psapi.h>

#include "tests/driver/window_search.h"

namespace {

const char kUsage[] =
    "usage: bench_probe.exe COMMAND ARGUMENTS\n"
    "  run CAPTION FOLDER_ID ACTION COMMAND_LINE\n"
    "      starts COMMAND_LINE in the current folder and waits until the top-level dialog\n"
    "      titled CAPTION is visible and, unless FOLDER_ID is 0, its control FOLDER_ID holds\n"
    "      text. ACTION then ends it: cancel (presses Cancel) or install (clears the run-after\n"
    "      box, presses OK). Prints startup_ms, dialog_peak_kb, then gone_ms (the dialog\n"
    "      window destroyed) and end_ms (the process ended), counted from the press,\n"
    "      end_peak_kb and exit_code.\n"
    "  list              the entries of \"*.*\" in the current folder, in the order Windows\n"
    "                    gives them, one a line\n"
    "  pauses COUNT      sleeps 10 ms COUNT times, as the installer does after each entry;\n"
    "                    prints pauses_ms, the time they took\n";

// Writes "bench_probe: <what>" to stderr and returns the failure exit code.
int Error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  fputs("bench_probe: ", stderr);
  vfprintf(stderr, format, args);
  fputc('\n', stderr);
  va_end(args);
  return 1;
}

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdRunAfter = 104;
constexpr DWORD kStartLimit = 60000;
constexpr DWORD kEndLimit = 300000;
// Time for the first paint after the dialog turned visible, before its memory is read.
constexpr DWORD kSettle = 300;

class Stopwatch {
 public:
  Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
  }
  double Milliseconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
           static_cast<double>(frequency_.QuadPart);
  }

 private:
  LARGE_INTEGER frequency_;
  LARGE_INTEGER start_;
};

// Owns the handles CreateProcess returns; a program still running when the probe gives up
// is ended, so that no run leaves one behind.
class Child {
 public:
  ~Child() {
    if (info_.hProcess != nullptr) {
      if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(info_.hProcess, 1);
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
  }
  bool Start(char* commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info_) != 0;
  }
  HANDLE Process() const { return info_.hProcess; }
  bool Ended() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }

 private:
  PROCESS_INFORMATION info_ = {};
};

// Wine fills the peak working set from the process's VmHWM, its peak resident memory.
bool PeakKilobytes(HANDLE process, unsigned long* kilobytes) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
    return false;
  *kilobytes = static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024);
  return true;
}

struct VisibleSearch {
  const char* caption;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  VisibleSearch& search = *reinterpret_cast<VisibleSearch*>(param);
  char text[512] = "";
  if (!IsWindowVisible(window) || !HasClass(window, "#32770"))
    return TRUE;
  GetWindowTextA(window, text, sizeof text);
  if (strcmp(text, search.caption) != 0)
    return TRUE;
  search.found = window;
  return FALSE;
}

// The dialog counts as shown once it is visible under its final caption, with its folder box
// filled when one is named. An empty dialog has no controls, so the driver's readiness test
// (visible with child windows) is only asked for when there is a control to read.
HWND ShownDialog(const char* caption, int folderId, const Deadline& deadline) {
  VisibleSearch search = {caption, nullptr};
  if (folderId == 0) {
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HWND dialog = FindReadyDialog(caption);
  if (dialog == nullptr)
    return nullptr;
  HWND folder = GetDlgItem(dialog, folderId);
  char text[MAX_PATH + 1];
  if (folder == nullptr || !ReadControlText(folder, text, sizeof text, deadline) ||
      text[0] == '\0') {
    return nullptr;
  }
  return dialog;
}

// Polls every millisecond: coarser polling would add its interval to every start-up figure.
HWND WaitShown(const Child& child, const char* caption, int folderId) {
  Deadline deadline(kStartLimit);
  for (;;) {
    HWND dialog = ShownDialog(caption, folderId, deadline);
    if (dialog != nullptr)
      return dialog;
    if (child.Ended() || deadline.Passed())
      return nullptr;
    Sleep(1);
  }
}

void Click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int Run(const char* caption, int folderId, const char* action, char* commandLine) {
  bool install = strcmp(action, "install") == 0;
  if (!install && strcmp(action, "cancel") != 0)
    return Error("unknown action %s", action);

  Child child;
  Stopwatch sinceStart;
  if (!child.Start(commandLine))
    return Error("cannot start %s (error %lu)", commandLine, GetLastError());
  HWND dialog = WaitShown(child, caption, folderId);
  double startup = sinceStart.Milliseconds();
  if (dialog == nullptr)
    return Error("no dialog \"%s\" within %lu ms", caption, kStartLimit);
  printf("startup_ms=%.3f\n", startup);

  Sleep(kSettle);
  unsigned long peak = 0;
  if (!PeakKilobytes(child.Process(), &peak))
    return Error("cannot read the memory counters (error %lu)", GetLastError());
  printf("dialog_peak_kb=%lu\n", peak);

  if (install) {
    Deadline deadline(kStartLimit);
    HWND runAfter = GetDlgItem(dialog, kIdRunAfter);
    if (runAfter == nullptr ||
        !SendBounded(runAfter, BM_SETCHECK, BST_UNCHECKED, 0, deadline, nullptr)) {
      return Error("cannot clear the run-after box");
    }
  }
  Stopwatch sinceAction;
  Click(dialog, install ? kIdOk : kIdCancel);
  // The dialog's window goes when the run has ended it; the process follows once Wine has taken
  // it down. Its peak is read until then, and the highest reading kept: a process on its way out
  // reads as zero.
  Deadline deadline(kEndLimit);
  double gone = -1;
  // Every 5 ms: often enough for the peak, which holds till the end, and seldom enough not to
  // slow the program it watches.
  while (WaitForSingleObject(child.Process(), 5) == WAIT_TIMEOUT) {
    if (deadline.Passed())
      return Error("the program did not end within %lu ms", kEndLimit);
    if (gone < 0 && !IsWindow(dialog))
      gone = sinceAction.Milliseconds();
    unsigned long reading = 0;
    if (PeakKilobytes(child.Process(), &reading) && reading > peak)
      peak = reading;
  }
  double ended = sinceAction.Milliseconds();
  printf("gone_ms=%.3f\n", gone < 0 ? ended : gone);
  printf("end_ms=%.3f\n", ended);
  printf("end_peak_kb=%lu\n", peak);
  DWORD code = 0;
  GetExitCodeProcess(child.Process(), &code);
  printf("exit_code=%lu\n", code);
  return 0;
}

int List() {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("*.*", &found);
  if (search == INVALID_HANDLE_VALUE)
    return Error("cannot list the current folder");
  do {
    printf("%s\n", found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return 0;
}

int Pauses(int count) {
  Stopwatch elapsed;
  for (int k = 0; k < count; ++k)
    Sleep(10);
  printf("pauses_ms=%.3f\n", elapsed.Milliseconds());
  return 0;
}

int Usage() {
  fputs(kUsage, stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Binary mode: the Linux side reads the output and expects bare newlines.
  _setmode(_fileno(stdout), _O_BINARY);
  int result = 2;
  if (argc == 6 && strcmp(argv[1], "run") == 0) {
    result = Run(argv[2], atoi(argv[3]), argv[4], argv[5]);
  } else if (argc == 2 && strcmp(argv[1], "list") == 0) {
    result = List();
  } else if (argc == 3 && strcmp(argv[1], "pauses") == 0) {
    result = Pauses(atoi(argv[2]));
  } else {
    result = Usage();
  }
  fflush(stdout);
  return result;
}
