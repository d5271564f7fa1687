#include "uninstall/win32/uninstall_app.h"

#include "integration/win32/win32_platform.h"
#include "uninstall/uninstall_run.h"

CUninstallApp theApp;

bool CUninstallApp::InitInstance() {
  // No dialog: the message boxes have no owner window.
  Win32Platform platform;
  RunUninstall(platform);
  return false;
}
