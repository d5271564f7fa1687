#include "ui/win32/setup_dlg.h"

#include <initializer_list>

#include "description/setup_reader.h"
#include "description/setup_settings.h"
#include "frame/frame_app.h"
#include "frame/paint_context.h"
#include "res/resource.h"
#include "run/install_run.h"
#include "run/setup_run.h"
#include "ui/folder_browse.h"
#include "ui/setup_dialog.h"

CSetupDlg::CSetupDlg(Win32Installer& roles, RunReport& report, const CommandLine& line)
    : FrameDialog(IDD_SETUP), m_hIcon(nullptr), roles_(roles), report_(report), line_(line) {
  if (FrameApp* app = FrameApp::Current())
    m_hIcon = app->LoadIconResource(IDI_SETUP);
}

BOOL CSetupDlg::DestroyWindow() {
  // The entry strings live as long as the window; the frame destroys it once, after its loop.
  FreeEntryStrings(SetupSettings);
  return FrameDialog::DestroyWindow();
}

int CSetupDlg::ReadSetupInfo() {
  return ReadDescription(roles_.files, roles_.registry, report_, SetupSettings, line_);
}

bool CSetupDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  // While a run copies, the dialog takes its messages but none of its buttons: a second run, a
  // browser or a Cancel (the close box and Escape included) would cut into the one running.
  WORD id = LOWORD(wParam);
  if (running_ && (id == IDOK || id == IDCANCEL || id == IDC_BROWSE))
    return true;
  // The dialog's own command; OK, Cancel and everything else go to the frame unchanged.
  if (id == IDC_BROWSE && HIWORD(wParam) == BN_CLICKED) {
    OnBrowse();
    return true;
  }
  return FrameDialog::OnCommand(wParam, lParam);
}

// No member mirrors a control: the folder box and the check box are read where they are used.
void CSetupDlg::DoDataExchange(bool fromControls) {
  FrameDialog::DoDataExchange(fromControls);
}

bool CSetupDlg::OnInitDialog() {
  FrameDialog::OnInitDialog();
  roles_.dialog.SetDialog(Handle());
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  InitializeSetupDialog(roles_.dialog, SetupSettings, [this] { ReadSetupInfo(); });
  return true;  // the focus goes to the first tab stop, the OK button
}

void CSetupDlg::OnOK() {
  Win32Installer& r = roles_;
  InstallerSystem system(r.dialog, r.files, r.shell, r.registry, r.processes, r.log, r.target);
  system.payload = r.payload;
  EnableInput(false);
  running_ = true;
  lastRun_ = RunInstall(system, SetupSettings, report_);
  running_ = false;
  // A refused folder leaves the dialog open for another.
  if (lastRun_ == InstallOutcome::kFolderRefused) {
    EnableInput(true);
    SetFocus(GetDlgItem(Handle(), IDC_FOLDER));
  }
}

void CSetupDlg::EnableInput(bool enable) {
  for (int id : {IDOK, IDCANCEL, IDC_BROWSE, IDC_FOLDER})
    EnableWindow(GetDlgItem(Handle(), id), enable);
}

bool CSetupDlg::OnPaint() {
  if (!IsIconic(Handle()))
    return FrameDialog::OnPaint();
  PaintContext dc(Handle());
  SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
  RECT client;
  GetClientRect(Handle(), &client);
  int x = IconOffset(client.right - client.left, GetSystemMetrics(SM_CXICON));
  int y = IconOffset(client.bottom - client.top, GetSystemMetrics(SM_CYICON));
  DrawIcon(dc.Get(), x, y, m_hIcon);
  return true;
}

HICON CSetupDlg::OnQueryDragIcon() {
  return m_hIcon;
}

void CSetupDlg::OnBrowse() {
  BrowseForInstallFolder(roles_.shell, roles_.dialog, SetupSettings);
}
