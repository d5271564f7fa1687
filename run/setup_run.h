// A setup from its command line to its exit code: the dialog's start and end, and the run with
// no window at all (/S), which reads setup.inf and installs without asking anybody anything.
#pragma once

#include "common/command_line.h"
#include "common/payload_format.h"
#include "run/install_run.h"

class FileOps;
class RegistryOps;
class RunLog;
class RunReport;
class SilentDialog;
struct InstallerSystem;
struct SetupSettingsRecord;

// The switches setup.exe takes.
constexpr unsigned kSetupSwitches = kSwitchSilent | kSwitchRun | kSwitchLog | kSwitchFolder;

// How a setup ended, which its exit code tells.
enum class SetupEnd {
  kInstalled,            // 0
  kCancelled,            // 1: the dialog was closed without installing
  kUnusableDescription,  // 2 with /S; 0 with the dialog, whose reader asked to quit with 0
  kUnusableCommandLine,  // 2: only /S stops for it
  kFolderRefused,        // 3: only /S ends for it; the dialog lets the user choose another
  kIncomplete,           // 4: installed, but something failed (listed in the log)
  kDamagedPayload,       // 2: the program's own payload is damaged or cut short
};

// How the dialog's modal loop ended (IDOK, IDCANCEL, or -1 for the quit request after a
// description error), with what the last run started by OK did.
SetupEnd DialogEnd(int modalResult, InstallOutcome lastRun);

// The exit code for `end`, written as the log's last line.
int ExitCode(RunLog& log, SetupEnd end, bool unattended);

// Whether setup goes on with its payload: a damaged one is told (shown with the dialog) and
// logged, and nothing is done.
bool AcceptPayload(RunReport& report, PayloadState state);

// Whether the run goes on with `line`: an argument it cannot use is logged, and stops a run
// with no window; the dialog ignores it.
bool AcceptArguments(RunLog& log, const CommandLine& line, bool unattended);

// Reads setup.inf into `settings` and logs the outcome. /D= then replaces InstallDir, the
// folder the dialog shows and installs into; without it, the folder of the product's entry
// does, when it is installed already. An error is told (see RunReport::Tell) and followed by a
// quit request with exit code 0. 1 when read, else 0.
int ReadDescription(FileOps& files, RegistryOps& registry, RunReport& report,
                    SetupSettingsRecord& settings, const CommandLine& line);

// setup.exe /S: with `dialog` as the dialog role of `system`, and `report` unattended over it.
// A log named by /LOG= that cannot be written stops the run before anything is done.
SetupEnd RunUnattended(const InstallerSystem& system, SilentDialog& dialog, RunReport& report,
                       SetupSettingsRecord& settings, const CommandLine& line);
