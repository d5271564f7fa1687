// The dialog's operations: messages and questions, the quit request, control texts and states, the
// progress bar. They act on the window given to SetDialog.
#include <windows.h>

#include <commctrl.h>

#include "frame/frame_dialog.h"
#include "integration/win32/win32_platform.h"
#include "res/resource.h"

void Win32Dialog::ShowMessage(const char* text, const char* title) {
  MessageBoxA(dialog_, text, title, MB_OK);
}

bool Win32Dialog::AskYesNo(const char* text, const char* title) {
  return MessageBoxA(dialog_, text, title, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void Win32Dialog::RequestQuit(int exitCode) {
  PostQuitMessage(exitCode);
}

void Win32Dialog::SetCaption(const char* text) {
  SetWindowTextA(dialog_, text);
}

bool Win32Dialog::GetControlText(int id, char* buf, std::size_t cap) {
  if (cap == 0)
    return false;
  buf[0] = '\0';
  HWND control = GetDlgItem(dialog_, id);
  if (!control)
    return false;
  // The length may be reported larger than the text, never smaller: a text that seems not to
  // fit is refused rather than read cut.
  int length = GetWindowTextLengthA(control);
  if (length < 0 || static_cast<std::size_t>(length) >= cap)
    return false;
  GetWindowTextA(control, buf, length + 1);
  return true;
}

void Win32Dialog::SetControlText(int id, const char* text) {
  SetDlgItemTextA(dialog_, id, text);
}

int Win32Dialog::GetCheckState(int id) {
  return static_cast<int>(IsDlgButtonChecked(dialog_, id));
}

void Win32Dialog::SetCheckState(int id, int state) {
  CheckDlgButton(dialog_, id, static_cast<UINT>(state));
}

void Win32Dialog::EndModal(int result) {
  EndFrameDialog(dialog_, result);
}

void Win32Dialog::SetProgressStep(int step) {
  SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void Win32Dialog::StepProgress() {
  SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_STEPIT, 0, 0);
}

void Win32Dialog::SetProgressPos(int pos) {
  SendDlgItemMessageA(dialog_, IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}
