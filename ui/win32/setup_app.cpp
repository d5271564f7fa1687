#include "ui/win32/setup_app.h"

#include "description/setup_reader.h"
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

// Keeps the folder part of a module path, its last backslash included (a drive's root stays one).
template <class Char>
bool CutToFolder(Char* path, DWORD length) {
  if (length == 0 || length >= MAX_PATH)
    return false;
  while (length && path[length - 1] != '\\')
    --length;
  path[length] = 0;
  return length != 0;
}

// A folder distribution is the folder of setup.exe itself, whatever folder it was started from:
// one that others can write (a command prompt in a shared folder, a script's working folder) must
// not hand an elevated setup the setup.inf and the files it copies and starts. Every name of the
// distribution is taken relative to the current folder, so setup enters its own; a relative /D=
// is then taken from there too, as for a double-clicked setup.exe. 95/98 have stubs for the wide
// calls, and ANSI names that are the real ones.
bool EnterOwnFolder() {
  static wchar_t wide[MAX_PATH];
  static char ansi[MAX_PATH];
  if (IsNtFamily())
    return CutToFolder(wide, GetModuleFileNameW(nullptr, wide, MAX_PATH)) &&
           SetCurrentDirectoryW(wide);
  return CutToFolder(ansi, GetModuleFileNameA(nullptr, ansi, MAX_PATH)) &&
         SetCurrentDirectoryA(ansi);
}

}  // namespace

bool CSetupApp::InitInstance() {
  Enable3dControls();
  ParseCommandLine(Arguments(), kSetupSwitches, line);
  // Opened first: a relative /LOG= names a file of the folder setup was started from.
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
  } else if (!roles.payload && !EnterOwnFolder()) {
    report.Tell(kSetupInfoName, nullptr, "Cannot open 'setup.inf'!", kSetupInfoTitle);
    end = SetupEnd::kUnusableDescription;
  } else if (line.silent) {
    InstallerSystem system(silent, roles.files, roles.shell, roles.registry, roles.processes,
                           roles.log, roles.target);
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
