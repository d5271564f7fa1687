// Finding and waiting for the top-level dialogs of other processes in the same Wine prefix.
#pragma once

#include <windows.h>

// A wait that gives up at a fixed moment; every wait of the driver runs against one.
class Deadline {
 public:
  explicit Deadline(DWORD milliseconds) : start_(GetTickCount()), limit_(milliseconds) {}
  bool Passed() const { return GetTickCount() - start_ >= limit_; }
  DWORD Remaining() const {
    DWORD used = GetTickCount() - start_;
    return used >= limit_ ? 0 : limit_ - used;
  }
  DWORD Limit() const { return limit_; }

 private:
  DWORD start_;
  DWORD limit_;
};

// Polls `ready` until it returns true or the deadline passes.
template <typename Ready>
bool WaitFor(const Deadline& deadline, Ready ready) {
  for (;;) {
    if (ready())
      return true;
    if (deadline.Passed())
      return false;
    Sleep(50);
  }
}

// Writes "driver: <what>" to stderr and returns the driver's failure exit code.
int Fail(const char* format, ...);

// A dialog is named either by its exact caption or, as "@0x1A2B", by its window handle
// (handles are valid across the processes of one Wine prefix).
// Returns the visible top-level #32770 window of that name that has child windows, or null.
HWND FindReadyDialog(const char* name);

// True while any top-level #32770 window of that name exists, visible or not.
bool DialogExists(const char* name);

// Waits for a ready dialog; reports what it waited for on timeout.
HWND WaitForDialog(const char* name, const Deadline& deadline);

// The control's text through WM_GETTEXT, which Wine carries across processes. False when the
// owning thread does not answer before the deadline.
bool ReadControlText(HWND control, char* buf, int cap, const Deadline& deadline);

// Sends a message and waits for the answer at most until the deadline.
bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const Deadline& deadline,
                 DWORD_PTR* result);

// The class name of a window, compared exactly.
bool HasClass(HWND window, const char* className);
