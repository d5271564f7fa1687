#include "run/setup_run.h"

#include "common/bounded_text.h"
#include "description/setup_reader.h"
#include "description/setup_settings.h"
#include "integration/platform.h"
#include "integration/run_report.h"
#include "integration/silent_dialog.h"
#include "run/earlier_install.h"

SetupEnd DialogEnd(int modalResult, InstallOutcome lastRun) {
  if (modalResult == kIdOk)
    return lastRun == InstallOutcome::kIncomplete ? SetupEnd::kIncomplete : SetupEnd::kInstalled;
  if (modalResult == kIdCancel)
    return SetupEnd::kCancelled;
  return SetupEnd::kUnusableDescription;
}

int ExitCode(RunLog& log, SetupEnd end, bool unattended) {
  static const int kCodes[] = {0, 1, 2, 2, 3, 4, 2};
  int code = kCodes[static_cast<int>(end)];
  // The dialog's reader has always ended the process with the code of its quit request.
  if (end == SetupEnd::kUnusableDescription && !unattended)
    code = 0;
  const char digit[] = {static_cast<char>('0' + code), '\0'};
  log.Line("exit code", digit);
  return code;
}

bool AcceptPayload(RunReport& report, PayloadState state) {
  if (state != PayloadState::kDamaged)
    return true;
  report.Log().Line("payload", "damaged or cut short: nothing was installed");
  if (!report.Unattended())
    report.Dialog().ShowMessage(
        "This setup program is damaged or incomplete, perhaps cut short while it was "
        "downloaded. Nothing was installed.\n\nDownload it again.",
        kSetupInfoTitle);
  return false;
}

bool AcceptArguments(RunLog& log, const CommandLine& line, bool unattended) {
  if (!line.hasUnusable)
    return true;
  log.Line("argument", line.unusable, unattended ? "not understood" : "ignored");
  return !unattended;
}

int ReadDescription(FileOps& files, RegistryOps& registry, RunReport& report,
                    SetupSettingsRecord& settings, const CommandLine& line) {
  const char* error = SetupInfoMessage(LoadSetupInfo(files, settings));
  if (error) {
    report.Tell(kSetupInfoName, nullptr, error, kSetupInfoTitle);
    report.Dialog().RequestQuit(0);
    return 0;
  }
  report.Log().Line(kSetupInfoName, "read");
  // Both hold a path: the folder given always fits. Without one, the product goes where it is
  // installed already, where its entry says it is.
  char earlier[kPathCapacity];
  if (line.hasFolder) {
    CopyText(settings.InstallDir, line.folder);
  } else if (FindEarlierInstall(registry, settings.FolderName, earlier)) {
    CopyText(settings.InstallDir, earlier);
    report.Log().Line("earlier installation", earlier, "its folder is the one offered");
  }
  return 1;
}

SetupEnd RunUnattended(const InstallerSystem& system, SilentDialog& dialog, RunReport& report,
                       SetupSettingsRecord& settings, const CommandLine& line) {
  // Nobody would learn what was done: nothing is.
  if (!report.Log().Writable() || !AcceptArguments(report.Log(), line, true))
    return SetupEnd::kUnusableCommandLine;
  if (!ReadDescription(system.files, system.registry, report, settings, line))
    return SetupEnd::kUnusableDescription;
  dialog.SetFolder(settings.InstallDir);
  dialog.SetRunAfter(line.run);
  switch (RunInstall(system, settings, report)) {
    case InstallOutcome::kFolderRefused:
      return SetupEnd::kFolderRefused;
    case InstallOutcome::kIncomplete:
      return SetupEnd::kIncomplete;
    default:
      return SetupEnd::kInstalled;
  }
}
