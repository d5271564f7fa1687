// The install run behind the setup dialog's OK button.
#pragma once

struct InstallerSystem;
struct SetupSettingsRecord;

constexpr char kCannotCreateFolder[] = "Cannot create directory!";
constexpr char kLinkIcon[] = "Desktop.ico";

enum class InstallOutcome {
  kFolderRefused,  // the target folder could not be created; the dialog stays open
  kInstalled,      // the dialog was ended with IDOK
};

// The step size for a copy pass over `entries` directory entries: the bar moves `entries` times
// and then jumps to 100, so it never reaches its end during the pass.
int ProgressStepFor(int entries);

// Creates the folder in the folder box, copies the current folder into it (all but "setup.exe"
// and "uninstal.exe"), registers the uninstaller with the names it copied, creates the desktop
// and Start-menu shortcuts, ends the dialog and, when the run-after box is checked and the
// program's file was copied, starts the program from the folder. Only a folder that cannot be
// created, or that lies behind a link or junction, stops it; every later failure is silent.
InstallOutcome RunInstall(const InstallerSystem& system, SetupSettingsRecord& settings);
