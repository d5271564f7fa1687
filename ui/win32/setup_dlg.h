// CSetupDlg: the installer's one dialog. It reads setup.inf when it opens, shows the product
// and the folder, runs the folder browser, and frees the entry strings when it is destroyed.
#pragma once

#include "frame/frame_dialog.h"
#include "integration/win32/win32_platform.h"

class CSetupDlg final : public FrameDialog {
 public:
  CSetupDlg();

  BOOL DestroyWindow() override;

  // Fills SetupSettings from setup.inf. A member, so that its message boxes belong to this
  // dialog. 1 when read; 0 after an error, which it has reported and followed by a quit request.
  int ReadSetupInfo();

 protected:
  bool OnCommand(WPARAM wParam, LPARAM lParam) override;
  void DoDataExchange(bool fromControls) override;
  bool OnInitDialog() override;
  void OnOK() override;
  bool OnPaint() override;
  HICON OnQueryDragIcon() override;

 private:
  void OnBrowse();

  HICON m_hIcon;
  // The installer's roles; the dialog's operations act on this dialog once it is initialised.
  Win32Dialog dialog_;
  Win32Files files_;
  Win32Shell shell_{dialog_};
  Win32Registry registry_;
  Win32Processes processes_;
  Win32Log log_;
};
