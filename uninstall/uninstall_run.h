// The uninstaller's run: plan, one question, removal, report.
#pragma once

struct UninstallerSystem;

enum class UninstallOutcome {
  kRemoved = 0,   // the user said Yes; the report told what was removed and what was left
  kDeclined = 1,  // the user said No; nothing was removed
  kRefused = 2,   // a message told why nothing could be removed
};

// Runs the uninstaller over `platform` and asks the process to end with the outcome's value as
// its exit code.
UninstallOutcome RunUninstall(const UninstallerSystem& system);
