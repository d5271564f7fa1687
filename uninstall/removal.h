// Carrying out a removal plan, and what came of it.
#pragma once

#include "common/message_text.h"
#include "description/setup_settings.h"

class RunLog;
struct UninstallerSystem;
struct RemovalPlan;

// kKept: asked to stay (/KEEPSELF), for the setup that replaces it at once.
enum class SelfRemoval { kNow, kAtRestart, kLeft, kKept };

// What was found changed after the question, which stopped the removal there.
enum class FolderChange {
  kNone,
  kReplaced,      // the folder is not the one the question named: replaced, moved or removed
  kLinkOnTheWay,  // a link or junction now leads to it (`changedAt`)
  kFileElsewhere  // a file's name in it now leads to something else (`changedAt`)
};

struct RemovalResult {
  int filesRemoved = 0;
  bool desktopRemoved = false;
  int menuLinksRemoved = 0;
  bool groupRemoved = false;
  bool folderRemoved = false;
  bool keyRemoved = false;
  SelfRemoval self = SelfRemoval::kLeft;
  FolderChange change = FolderChange::kNone;
  char changedAt[kPathCapacity] = {};
  // What stayed, one line each ("path: why"); only the first kLeftShown are written out.
  int leftCount = 0;
  MessageText left;
};

constexpr int kLeftShown = 12;

// Checks the install folder again, then removes, in this order: the shortcuts, the Start-menu
// group when it is then empty, the files of the plan from the install folder, the folder when
// it is then empty, the uninstall key, and the uninstaller's own file (at the next start of
// Windows when it cannot go at once). Every step is tried whatever became of the ones before,
// except after a change to the folder (`change`): then nothing more is removed. Each step, and
// each file kept, is a line of `log`.
void CarryOutRemoval(const UninstallerSystem& system, const RemovalPlan& plan,
                     RemovalResult& result, RunLog& log);

// True when something stayed that the report lists under Left: what could not be removed, the
// files and links kept in the folder, the shortcuts that cannot be named. The uninstaller's own
// file waiting for the next start of Windows is not among them: no running program's file can
// go sooner, and Windows deletes it then.
bool LeftSomething(const RemovalPlan& plan, const RemovalResult& result);
