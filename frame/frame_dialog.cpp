#include "frame/frame_dialog.h"

#include <commctrl.h>

#include "frame/system_dlls.h"

namespace {

// Private to the frame's dialog procedure: ends the modal loop with the result in wParam.
constexpr UINT kEndModalMessage = WM_APP;

}  // namespace

INT_PTR FrameDialog::DoModal() {
  // The template's progress bar needs its window class registered before the dialog exists.
  // Without it the dialog cannot be created, which the result below reports.
  LoadCommonControls(ICC_PROGRESS_CLASS);

  result_ = -1;
  ending_ = false;
  if (!CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), nullptr,
                          DialogProc, reinterpret_cast<LPARAM>(this)))
    return -1;

  MSG msg;
  while (!ending_) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // A nested loop that takes the quit request posts it again, so that the code outside
      // (here the entry point) learns of it too.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0)
      break;
    if (!IsDialogMessageA(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  DestroyWindow();
  return result_;
}

void FrameDialog::EndModal(int result) {
  result_ = result;
  ending_ = true;
}

BOOL FrameDialog::DestroyWindow() {
  HWND window = hwnd_;
  hwnd_ = nullptr;
  return window ? ::DestroyWindow(window) : FALSE;
}

bool FrameDialog::OnInitDialog() {
  DoDataExchange(false);
  return true;
}

void FrameDialog::OnOK() {
  DoDataExchange(true);
  EndModal(IDOK);
}

void FrameDialog::OnCancel() {
  EndModal(IDCANCEL);
}

bool FrameDialog::OnCommand(WPARAM wParam, LPARAM) {
  // Enter and Escape reach us from the dialog manager with code 0, which is BN_CLICKED.
  if (HIWORD(wParam) != BN_CLICKED)
    return false;
  switch (LOWORD(wParam)) {
    case IDOK:
      OnOK();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
  }
  return false;
}

void FrameDialog::DoDataExchange(bool) {}

INT_PTR CALLBACK FrameDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // `this` comes with WM_INITDIALOG and is kept in the window's user slot. The few messages that
  // come before it (WM_SETFONT among them) are left to the dialog manager.
  FrameDialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<FrameDialog*>(lParam);
    self->hwnd_ = window;
    SetWindowLongPtrA(window, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<FrameDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  }
  return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

// The result means "handled" (false: the dialog manager's default processing), except for the
// few messages whose answer it is, such as WM_INITDIALOG (set the focus) and WM_QUERYDRAGICON.
INT_PTR FrameDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      return OnCommand(wParam, lParam);
    case WM_PAINT:
      return OnPaint();
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case kEndModalMessage:
      EndModal(static_cast<int>(wParam));
      return TRUE;
  }
  return FALSE;
}

void EndFrameDialog(HWND dialog, int result) {
  SendMessageA(dialog, kEndModalMessage, static_cast<WPARAM>(result), 0);
}

void TakeWaitingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    HWND active = GetActiveWindow();
    if (!active || !IsDialogMessageA(active, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}
