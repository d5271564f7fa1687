// Finding and waiting for the top-level dialogs of other processes in the same Wine prefix.
#include "tests/driver/window_search.h"

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int Fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  fputs("driver: ", stderr);
  vfprintf(stderr, format, args);
  fputc('\n', stderr);
  va_end(args);
  return 1;
}

bool HasClass(HWND window, const char* className) {
  char name[64];
  return GetClassNameA(window, name, sizeof name) > 0 && strcmp(name, className) == 0;
}

namespace {

struct Search {
  const char* caption;  // exact caption, or null when searching by handle
  HWND handle;
  bool needReady;
  HWND found;
};

bool Matches(HWND window, const Search& search) {
  if (!HasClass(window, "#32770"))
    return false;
  if (search.caption == nullptr)
    return window == search.handle;
  // FindWindowA compares captions without regard to case; the tests need the exact text.
  char text[512];
  int length = GetWindowTextA(window, text, sizeof text);
  return length >= 0 && strcmp(text, search.caption) == 0;
}

BOOL CALLBACK Visit(HWND window, LPARAM param) {
  Search& search = *reinterpret_cast<Search*>(param);
  if (!Matches(window, search))
    return TRUE;
  // A dialog is found as soon as it is created, before its controls exist or it is shown.
  if (search.needReady && (!IsWindowVisible(window) || GetWindow(window, GW_CHILD) == nullptr)) {
    return TRUE;
  }
  search.found = window;
  return FALSE;
}

HWND Find(const char* name, bool needReady) {
  Search search = {name, nullptr, needReady, nullptr};
  if (name[0] == '@') {
    search.caption = nullptr;
    search.handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(name + 1, nullptr, 0)));
  }
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

HWND FindReadyDialog(const char* name) {
  return Find(name, true);
}

bool DialogExists(const char* name) {
  return Find(name, false) != nullptr;
}

HWND WaitForDialog(const char* name, const Deadline& deadline) {
  HWND found = nullptr;
  if (!WaitFor(deadline, [&] { return (found = FindReadyDialog(name)) != nullptr; })) {
    Fail("timed out after %lu ms waiting for the dialog \"%s\" (visible, with its controls)",
         deadline.Limit(), name);
  }
  return found;
}

bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const Deadline& deadline,
                 DWORD_PTR* result) {
  DWORD_PTR answer = 0;
  // A minimum keeps a nearly spent deadline from failing a window that answers at once.
  UINT wait = deadline.Remaining() < 500 ? 500 : deadline.Remaining();
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, wait, &answer)) {
    return false;
  }
  if (result != nullptr)
    *result = answer;
  return true;
}

bool ReadControlText(HWND control, char* buf, int cap, const Deadline& deadline) {
  buf[0] = '\0';
  DWORD_PTR length = 0;
  if (!SendBounded(control, WM_GETTEXT, cap, reinterpret_cast<LPARAM>(buf), deadline, &length)) {
    return false;
  }
  buf[length < static_cast<DWORD_PTR>(cap) ? length : cap - 1] = '\0';
  return true;
}
