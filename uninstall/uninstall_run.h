// The uninstaller's run: its command line, plan, one question, removal, report, and its log.
#pragma once

struct UninstallerSystem;

// The exit codes, so that whoever started the uninstaller can tell the outcomes apart.
enum class UninstallOutcome {
  kRemoved = 0,        // everything was removed (the uninstaller's own file perhaps at the next
                       // start of Windows)
  kDeclined = 1,       // the user said No; nothing was removed
  kRefused = 2,        // nothing was removed: a message told why, or /S came with a command line
                       // it could not use
  kPartlyRemoved = 3,  // removed, but the report lists what was left (kept files, sub-folders,
                       // files in use, ...), or the removal stopped at a change to the folder
  kNothingToDo = 4,    // no uninstall entry for the program: removed already
};

// Runs the uninstaller as `arguments` (what follows the program's name) ask: "/S" for no window
// at all, every question answered Yes; "/LOG=FILE" for a log of every step. `commandLine`, the
// whole line, heads the log. Without /S an argument it cannot use is ignored; with /S it refuses.
// Asks the process to end with the outcome's value as its exit code.
UninstallOutcome RunUninstall(const UninstallerSystem& system, const char* arguments = "",
                              const char* commandLine = "");
