// FrameDialog: a modal dialog built from a template of the program's resources. The dialog
// procedure forwards each message to one switch that calls the virtual handlers below; the modal
// loop is the dialog's own, so how it ends is written down in DoModal.
#pragma once

#include <windows.h>

class FrameDialog {
 public:
  explicit FrameDialog(int templateId) : templateId_(templateId) {}
  FrameDialog(const FrameDialog&) = delete;
  FrameDialog& operator=(const FrameDialog&) = delete;

  // Initialises the common controls, creates the dialog (no owner) and runs it until EndModal
  // or a quit request, then destroys the window once, through DestroyWindow. Returns the result
  // given to EndModal; -1 when the dialog could not be created or a quit request ended it.
  INT_PTR DoModal();

  // Ends the modal loop with `result` as soon as the running handler returns.
  void EndModal(int result);

  HWND Handle() const { return hwnd_; }

  // Destroys the window. An override frees what lives as long as the window, then calls this.
  virtual BOOL DestroyWindow();

 protected:
  // Dialogs live on the stack and are never deleted through this class.
  ~FrameDialog() = default;
  // The framework's defaults, for overrides to call or replace.
  // Exchanges data into the controls. True: the focus goes to the first tab stop.
  virtual bool OnInitDialog();
  // Exchanges data out of the controls and ends the dialog with IDOK.
  virtual void OnOK();
  // Ends the dialog with IDCANCEL: the Cancel button, the Escape key and the close box.
  virtual void OnCancel();
  // WM_COMMAND. Routes the clicks of OK and Cancel; true when the command was handled.
  virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
  // Moves values between controls and members; `fromControls` tells the direction.
  virtual void DoDataExchange(bool fromControls);
  // WM_PAINT. False leaves the painting to the dialog manager.
  virtual bool OnPaint() { return false; }
  // WM_QUERYDRAGICON: the icon shown while the minimised window is dragged; null for the default.
  virtual HICON OnQueryDragIcon() { return nullptr; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND hwnd_ = nullptr;
  INT_PTR result_ = -1;
  bool ending_ = false;
};

// Ends the modal loop of the frame dialog `dialog` with `result`, for code that holds only the
// dialog's window (the platform operations).
void EndFrameDialog(HWND dialog, int result);

// Takes and dispatches the messages waiting for this thread, keyboard messages through the active
// dialog, so that a window stays responsive while one of its handlers runs a long step. A quit
// request taken here is posted again, for the loop outside the handler.
void TakeWaitingMessages();
