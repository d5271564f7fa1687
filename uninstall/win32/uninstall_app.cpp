#include "uninstall/win32/uninstall_app.h"

#include "common/command_line.h"
#include "integration/win32/win32_platform.h"
#include "uninstall/uninstall_run.h"

CUninstallApp theApp;

bool CUninstallApp::InitInstance() {
  // Nobody is there to answer Windows' own boxes either: with /S a drive without its disk fails
  // the call instead of asking for the disk.
  CommandLine line;
  ParseCommandLine(Arguments(), kSwitchSilent | kSwitchLog, line);
  if (line.silent)
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
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
