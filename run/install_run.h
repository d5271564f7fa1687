// The install run behind the setup dialog's OK button.
#pragma once

class RunReport;
struct InstallerSystem;
struct SetupSettingsRecord;

inline constexpr char kCannotCreateFolder[] = "Cannot create directory!";
inline constexpr char kLinkIcon[] = "Desktop.ico";

enum class InstallOutcome {
  kFolderRefused,  // the target folder could not be created; the dialog stays open
  kInstalled,      // the dialog was ended with IDOK
  kIncomplete,     // the same, but a file, value, the uninstaller or a shortcut failed
};

// True for the distribution's own programs, which stay behind: exactly "setup.exe" and
// "uninstal.exe". "SETUP.EXE" and "UNINSTAL.EXE" are copied like any other file.
bool StaysInDistribution(const wchar_t* name);

// The step size for a copy pass over `entries` directory entries: the bar moves `entries` times
// and then jumps to 100, so it never reaches its end during the pass.
int ProgressStepFor(int entries);

// Creates the folder in the folder box, copies the current folder into it (all but "setup.exe"
// and "uninstal.exe"), registers the uninstaller with the names it copied, creates the desktop
// and Start-menu shortcuts, ends the dialog and, when the run-after box is checked and the
// program's file was copied, starts the program from the folder. Only a folder that cannot be
// created, or that lies behind a link or junction, stops it. Every step's outcome goes to
// `report`: a file that cannot be copied may be tried again or skipped (asked, when somebody
// is there), and what failed is listed in one message before the dialog ends.
InstallOutcome RunInstall(const InstallerSystem& system, SetupSettingsRecord& settings,
                          RunReport& report);
