#include "uninstall/win32/uninstall_app.h"

#include "integration/win32/win32_platform.h"
#include "uninstall/uninstall_run.h"

CUninstallApp theApp;

bool CUninstallApp::InitInstance() {
  // No dialog: the message boxes have no owner window. With /S there are none at all, and the
  // quit request only carries the exit code.
  Win32Dialog dialog;
  Win32Files files;
  Win32Shell shell(dialog);
  Win32Registry registry;
  Win32Removal removal;
  Win32Log log;
  RunUninstall(UninstallerSystem(dialog, files, shell, registry, removal, log), Arguments(),
               GetCommandLineA());
  return false;
}
