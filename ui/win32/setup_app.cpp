#include "ui/win32/setup_app.h"

#include "ui/win32/setup_dlg.h"

CSetupApp theApp;

bool CSetupApp::InitInstance() {
  Enable3dControls();
  CSetupDlg dlg;
  // IDOK, IDCANCEL or the end forced by a quit request: the window is gone either way, and the
  // installer has nothing left to do.
  dlg.DoModal();
  return false;
}
