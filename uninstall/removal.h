// Carrying out a removal plan, and what came of it.
#pragma once

#include "uninstall/message_text.h"

struct UninstallerSystem;
struct RemovalPlan;

enum class SelfRemoval { kNow, kAtRestart, kLeft };

struct RemovalResult {
  int filesRemoved = 0;
  bool desktopRemoved = false;
  int menuLinksRemoved = 0;
  bool groupRemoved = false;
  bool folderRemoved = false;
  bool keyRemoved = false;
  SelfRemoval self = SelfRemoval::kLeft;
  // What stayed, one line each ("path: why"); only the first kLeftShown are written out.
  int leftCount = 0;
  MessageText left;
};

constexpr int kLeftShown = 12;

// Removes, in this order: the shortcuts, the Start-menu group when it is then empty, the files
// of the plan from the install folder, the folder when it is then empty, the uninstall key, and
// the uninstaller's own file (at the next start of Windows when it cannot go at once). Every
// step is tried whatever became of the ones before.
void CarryOutRemoval(const UninstallerSystem& system, const RemovalPlan& plan,
                     RemovalResult& result);
