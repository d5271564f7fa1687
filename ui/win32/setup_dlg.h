// CSetupDlg: the installer's one dialog. It reads setup.inf when it opens, shows the product
// and the folder, runs the folder browser, and frees the entry strings when it is destroyed.
#pragma once

#include "common/command_line.h"
#include "frame/frame_dialog.h"
#include "integration/run_report.h"
#include "integration/win32/win32_platform.h"
#include "run/install_run.h"

class CSetupDlg final : public FrameDialog {
 public:
  // It works with `roles` and tells its steps to `report`; /D= of `line` fills the folder box.
  CSetupDlg(Win32Installer& roles, RunReport& report, const CommandLine& line);

  // What the run started by OK did; kFolderRefused until one installed.
  InstallOutcome LastRun() const { return lastRun_; }

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
  // OK, Cancel, the browse button and the folder box, which a run in progress must not take.
  void EnableInput(bool enable);

  HICON m_hIcon;
  // The installer's roles; the dialog's operations act on this dialog once it is initialised.
  Win32Installer& roles_;
  RunReport& report_;
  const CommandLine& line_;
  InstallOutcome lastRun_ = InstallOutcome::kFolderRefused;
  bool running_ = false;
};
