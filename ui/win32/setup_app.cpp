#include "ui/win32/setup_app.h"

#include "description/setup_settings.h"
#include "integration/run_report.h"
#include "integration/silent_dialog.h"
#include "integration/win32/payload_ops.h"
#include "integration/win32/win32_platform.h"
#include "run/setup_run.h"
#include "ui/win32/setup_dlg.h"

CSetupApp theApp;

namespace {

// Static storage, so that no stack frame of setup.exe reaches a page (see cmake/windows.cmake);
// the roles are initialised without code.
Win32Installer roles;
CommandLine line;
MessageText failures;  // what the end message lists

}  // namespace

bool CSetupApp::InitInstance() {
  Enable3dControls();
  ParseCommandLine(Arguments(), kSetupSwitches, line);
  RunLog log(roles.log, line.hasLog ? line.log : nullptr);
  log.Header(GetCommandLineA());
  SilentDialog silent(log, false);
  RunReport report(log, line.silent ? static_cast<DialogOps&>(silent) : roles.dialog, line.silent,
                   failures);
  // Packed, the program installs from its own payload and reads nothing beside itself.
  Win32Payload payload;
  PayloadState state = payload.Open();
  if (state == PayloadState::kIntact) {
    roles.payload = &payload;
    roles.files.UseSetupInfo(payload.SetupInfo(), payload.SetupInfoSize());
  }
  SetupEnd end;
  if (!AcceptPayload(report, state)) {
    end = SetupEnd::kDamagedPayload;
  } else if (line.silent) {
    InstallerSystem system(silent, roles.files, roles.shell, roles.registry, roles.processes,
                           roles.log);
    system.payload = roles.payload;
    end = RunUnattended(system, silent, report, SetupSettings, line);
    FreeEntryStrings(SetupSettings);
  } else {
    AcceptArguments(log, line, false);
    CSetupDlg dlg(roles, report, line);
    // IDOK, IDCANCEL or the end forced by a quit request: the window is gone either way. The
    // last run is read once the dialog has ended.
    int result = static_cast<int>(dlg.DoModal());
    end = DialogEnd(result, dlg.LastRun());
  }
  // Also without a window: the entry point takes the process's exit code from this request.
  PostQuitMessage(ExitCode(log, end, line.silent));
  return false;
}
