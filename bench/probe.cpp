// bench_probe.exe: starts a program inside the benchmark's Wine prefix and times it from the
// inside, where the clock and the windows are, reading its peak memory as it runs. Run without
// arguments for its commands.
// Results are printed as NAME=VALUE lines for bench/run.sh; failures go to stderr, exit code 1.
#include <fcntl.h>
#include <io.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include "res/resource.h"

namespace {

const char kUsage[] =
    "usage: bench_probe.exe COMMAND ARGUMENTS\n"
    "  window COMMAND_LINE  starts COMMAND_LINE in the current folder and waits until a\n"
    "                       top-level window of its process is visible; then closes that\n"
    "                       window as Cancel does. Prints startup_ms, window_peak_kb,\n"
    "                       peak_kb (the whole run) and exit_code.\n"
    "  run COMMAND_LINE     starts COMMAND_LINE in the current folder and waits for its end.\n"
    "                       Prints run_ms, peak_kb and exit_code.\n"
    "  dialog COMMAND_LINE FOLDER\n"
    "                       starts setup COMMAND_LINE in the current folder, waits for its\n"
    "                       dialog, types FOLDER into its folder box, clears its run-after box\n"
    "                       and presses OK; then asks the progress bar its position every\n"
    "                       20 ms until it is full, and waits for the end. Prints ok_ms (OK to\n"
    "                       the full bar), longest_answer_ms (the slowest of those answers),\n"
    "                       answers and exit_code.\n"
    "  list                 the entries of \"*.*\" in the current folder, in the order Windows\n"
    "                       gives them, one a line\n";

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

constexpr DWORD kStartLimit = 60000;
constexpr DWORD kEndLimit = 600000;
// Time for the first paint after the window turned visible, before its memory is read.
constexpr DWORD kSettle = 300;
// Every subject's peak is read this often, from its start to its end: the same small load on
// each, often enough for a peak that holds till the end.
constexpr DWORD kPeakPoll = 5;
// The installing dialog is asked this often: often enough to meet every gap a user would
// notice, seldom enough to add little work to its own.
constexpr DWORD kAskEvery = 20;
constexpr DWORD_PTR kFullBar = 100;

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

// Wine fills the peak working set from the process's VmHWM, its peak resident memory.
bool PeakKilobytes(HANDLE process, unsigned long* kilobytes) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
    return false;
  *kilobytes = static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024);
  return true;
}

// Owns the handles CreateProcess returns; a program still running when the probe gives up
// is ended, so that no run leaves one behind. Keeps the highest peak read.
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
  DWORD Id() const { return info_.dwProcessId; }
  // Waits up to `milliseconds` for the end; true once ended.
  bool WaitEnd(DWORD milliseconds) {
    bool ended = WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
    // A process on its way out reads as zero: the highest reading stands.
    unsigned long reading = 0;
    if (!ended && PeakKilobytes(info_.hProcess, &reading) && reading > peak_)
      peak_ = reading;
    return ended;
  }
  unsigned long Peak() const { return peak_; }
  unsigned long ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_ = {};
  unsigned long peak_ = 0;
};

struct WindowSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  WindowSearch& search = *reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.process || !IsWindowVisible(window))
    return TRUE;
  search.found = window;
  return FALSE;
}

// Waits for the end, reading the peak, within the limit.
bool WaitEnd(Child& child) {
  Stopwatch elapsed;
  while (!child.WaitEnd(kPeakPoll)) {
    if (elapsed.Milliseconds() > kEndLimit)
      return false;
  }
  return true;
}

// Starts `commandLine` and waits until a top-level window of it is visible; 0, or the failure
// exit code.
int StartToWindow(Child& child, char* commandLine, HWND* window) {
  Stopwatch sinceStart;
  if (!child.Start(commandLine))
    return Error("cannot start %s (error %lu)", commandLine, GetLastError());
  // Polls every millisecond: coarser polling would add its interval to every figure.
  WindowSearch search = {child.Id(), nullptr};
  while (search.found == nullptr) {
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr)
      break;
    if (child.WaitEnd(1))
      return Error("%s ended without a window", commandLine);
    if (sinceStart.Milliseconds() > kStartLimit)
      return Error("no window of %s within %lu ms", commandLine, kStartLimit);
  }
  *window = search.found;
  return 0;
}

int Window(char* commandLine) {
  Child child;
  Stopwatch sinceStart;
  HWND window = nullptr;
  if (int failed = StartToWindow(child, commandLine, &window))
    return failed;
  printf("startup_ms=%.3f\n", sinceStart.Milliseconds());
  Stopwatch settling;
  while (settling.Milliseconds() < kSettle && !child.WaitEnd(kPeakPoll)) {
  }
  printf("window_peak_kb=%lu\n", child.Peak());
  // Both installers' first windows are dialogs whose Cancel button ends the run.
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  if (!WaitEnd(child))
    return Error("%s did not end within %lu ms", commandLine, kEndLimit);
  printf("peak_kb=%lu\n", child.Peak());
  printf("exit_code=%lu\n", child.ExitCode());
  return 0;
}

// The interval ends at the full bar, which the dialog shows after its last step and keeps for a
// pause: the window's end may wait on the display's window manager.
int Dialog(char* commandLine, const char* folder) {
  Child child;
  HWND dialog = nullptr;
  if (int failed = StartToWindow(child, commandLine, &dialog))
    return failed;
  HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
  HWND ok = GetDlgItem(dialog, IDOK);
  // The program is not to be started: it would outlive the run.
  if (bar == nullptr || ok == nullptr || !SetDlgItemTextA(dialog, IDC_FOLDER, folder) ||
      !CheckDlgButton(dialog, IDC_RUN_AFTER, BST_UNCHECKED))
    return Error("the first window of %s is not setup's dialog", commandLine);
  Stopwatch sinceOk;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  double longest = 0;
  unsigned long answers = 0;
  for (DWORD_PTR position = 0; position < kFullBar;) {
    Sleep(kAskEvery);
    Stopwatch asking;
    if (!SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, kEndLimit, &position))
      return Error("the dialog of %s went or did not answer before its bar was full", commandLine);
    double took = asking.Milliseconds();
    longest = took > longest ? took : longest;
    ++answers;
    if (sinceOk.Milliseconds() > kEndLimit)
      return Error("the bar of %s was not full within %lu ms", commandLine, kEndLimit);
  }
  printf("ok_ms=%.3f\n", sinceOk.Milliseconds());
  printf("longest_answer_ms=%.3f\n", longest);
  printf("answers=%lu\n", answers);
  if (!WaitEnd(child))
    return Error("%s did not end within %lu ms", commandLine, kEndLimit);
  printf("exit_code=%lu\n", child.ExitCode());
  return 0;
}

int Run(char* commandLine) {
  Child child;
  Stopwatch sinceStart;
  if (!child.Start(commandLine))
    return Error("cannot start %s (error %lu)", commandLine, GetLastError());
  if (!WaitEnd(child))
    return Error("%s did not end within %lu ms", commandLine, kEndLimit);
  printf("run_ms=%.3f\n", sinceStart.Milliseconds());
  printf("peak_kb=%lu\n", child.Peak());
  printf("exit_code=%lu\n", child.ExitCode());
  return 0;
}

int Usage() {
  fputs(kUsage, stderr);
  return 2;
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

}  // namespace

int main(int argc, char** argv) {
  // Binary mode: the Linux side reads the output and expects bare newlines.
  _setmode(_fileno(stdout), _O_BINARY);
  int result = 2;
  if (argc == 3 && strcmp(argv[1], "window") == 0) {
    result = Window(argv[2]);
  } else if (argc == 3 && strcmp(argv[1], "run") == 0) {
    result = Run(argv[2]);
  } else if (argc == 2 && strcmp(argv[1], "list") == 0) {
    result = List();
  } else if (argc == 4 && strcmp(argv[1], "dialog") == 0) {
    result = Dialog(argv[2], argv[3]);
  } else {
    result = Usage();
  }
  fflush(stdout);
  return result;
}
