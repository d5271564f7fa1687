// Under Wine, with a display (Xvfb): the dialog operations on real controls. A plain window with
// the setup dialog's control ids stands in for the dialog.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "frame/system_dlls.h"
#include "integration/win32/win32_platform.h"
#include "res/resource.h"
#include "tests/win32/check.h"

namespace {

HWND Child(HWND parent, const char* cls, DWORD style, int id) {
  return CreateWindowExA(0, cls, "", WS_CHILD | style, 0, 0, 200, 20, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void ControlText(Win32Dialog& dialogOps) {
  dialogOps.SetControlText(IDC_FOLDER, "C:\\Apps\\Viewer");  // 14 characters
  char buf[64];
  CHECK(dialogOps.GetControlText(IDC_FOLDER, buf, sizeof buf));
  CHECK_STREQ(buf, "C:\\Apps\\Viewer");

  // Just fits: 14 characters and the terminator.
  char exact[15];
  CHECK(dialogOps.GetControlText(IDC_FOLDER, exact, sizeof exact));
  CHECK_STREQ(exact, "C:\\Apps\\Viewer");

  // One byte short: refused, and the buffer holds no cut text.
  struct {
    char buf[14];
    char guard[4];
  } small;
  std::memset(&small, '#', sizeof small);
  CHECK(!dialogOps.GetControlText(IDC_FOLDER, small.buf, sizeof small.buf));
  CHECK_EQ(small.buf[0], '\0');
  CHECK(std::memcmp(small.guard, "####", 4) == 0);

  // A full MAX_PATH path is read whole.
  char longPath[MAX_PATH];
  std::memset(longPath, 'p', MAX_PATH - 1);
  longPath[MAX_PATH - 1] = '\0';
  dialogOps.SetControlText(IDC_FOLDER, longPath);
  char back[MAX_PATH];
  CHECK(dialogOps.GetControlText(IDC_FOLDER, back, sizeof back));
  CHECK_EQ(std::strlen(back), MAX_PATH - 1);

  dialogOps.SetControlText(IDC_FOLDER, "");
  CHECK(dialogOps.GetControlText(IDC_FOLDER, buf, sizeof buf));
  CHECK_STREQ(buf, "");

  std::strcpy(buf, "old");
  CHECK(!dialogOps.GetControlText(999, buf, sizeof buf));  // no such control
  CHECK_STREQ(buf, "");
  CHECK(!dialogOps.GetControlText(IDC_FOLDER, buf, 0));  // no room at all: nothing written
}

void CheckBoxAndCaption(Win32Dialog& dialogOps, HWND dialog) {
  dialogOps.SetCheckState(IDC_RUN_AFTER, 1);
  CHECK_EQ(dialogOps.GetCheckState(IDC_RUN_AFTER), 1);
  dialogOps.SetCheckState(IDC_RUN_AFTER, 0);
  CHECK_EQ(dialogOps.GetCheckState(IDC_RUN_AFTER), 0);

  dialogOps.SetCaption("Viewer 1.0 Setup");
  char caption[64];
  GetWindowTextA(dialog, caption, sizeof caption);
  CHECK_STREQ(caption, "Viewer 1.0 Setup");
}

void Progress(Win32Dialog& dialogOps, HWND dialog) {
  auto pos = [&] { return SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_GETPOS, 0, 0); };
  CHECK_EQ(pos(), 0);
  dialogOps.SetProgressStep(7);
  dialogOps.StepProgress();
  dialogOps.StepProgress();
  CHECK_EQ(pos(), 14);
  dialogOps.SetProgressPos(100);
  CHECK_EQ(pos(), 100);
}

void QuitRequest(Win32Dialog& dialogOps) {
  dialogOps.RequestQuit(3);
  MSG quit;
  CHECK(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  CHECK_EQ(quit.wParam, 3);
}

}  // namespace

int main() {
  // The frame's own loading of comctl32, which the installer's dialog relies on.
  CHECK(LoadCommonControls(ICC_PROGRESS_CLASS));
  HWND dialog = CreateWindowExA(0, "STATIC", "Setup", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr,
                                nullptr, nullptr);
  if (!dialog || !Child(dialog, "EDIT", ES_AUTOHSCROLL, IDC_FOLDER) ||
      !Child(dialog, "BUTTON", BS_AUTOCHECKBOX, IDC_RUN_AFTER) ||
      !Child(dialog, PROGRESS_CLASSA, 0, IDC_PROGRESS)) {
    std::printf("cannot create windows: this test needs a display (DISPLAY, Xvfb)\n");
    return 1;
  }
  Win32Dialog dialogOps;
  dialogOps.SetDialog(dialog);

  ControlText(dialogOps);
  CheckBoxAndCaption(dialogOps, dialog);
  Progress(dialogOps, dialog);
  QuitRequest(dialogOps);

  DestroyWindow(dialog);
  return check::Finish();
}
