#include "uninstall/removal.h"

#include <cstring>

#include "common/bounded_text.h"
#include "integration/platform.h"
#include "integration/run_log.h"
#include "integration/uninstall_registration.h"
#include "uninstall/recorded_shortcuts.h"
#include "uninstall/removal_plan.h"
#include "uninstall/step_log.h"

namespace {

// What a removal works with, and what it tells.
struct Removing {
  const UninstallerSystem& system;
  const RemovalPlan& plan;
  RemovalResult& result;
  RunLog& log;
};

const char* Why(Removal removal) {
  switch (removal) {
    case Removal::kInUse:
      return "in use by a program";
    case Removal::kReadOnly:
      return "read-only";
    case Removal::kNotEmpty:
      return "not empty";
    case Removal::kDenied:
      return "access denied (a running program may be using it)";
    case Removal::kRemoved:
    case Removal::kMissing:
    case Removal::kFailed:
    case Removal::kChanged:
      break;
  }
  return "could not be removed";
}

// A line of the log: "<step><path><outcome><more>", the step ending in ": ".
void Tell(Removing& r, const char* step, const char* path, const char* outcome,
          const char* more = "") {
  LogStep(r.log, {step, path, outcome, more});
}

// A line of the report's Left.
void Report(RemovalResult& result, const char* path, const char* why) {
  if (result.leftCount++ < kLeftShown)
    result.left.Add("  ").Add(path).Add(": ").Add(why).Add("\n");
}

void Leave(Removing& r, const char* step, const char* path, const char* why) {
  Report(r.result, path, why);
  Tell(r, step, path, ": left: ", why);
}

// True when it is gone; something already missing is logged, not reported.
bool Gone(Removing& r, const char* step, const char* path, Removal removal) {
  if (removal == Removal::kRemoved || removal == Removal::kMissing)
    Tell(r, step, path, removal == Removal::kRemoved ? ": removed" : ": already gone");
  else
    Leave(r, step, path, Why(removal));
  return removal == Removal::kRemoved;
}

// Always false: the removal stops at a change, which the report names.
bool Changed(Removing& r, FolderChange change, const char* at) {
  r.result.change = change;
  CopyText(r.result.changedAt, at);
  Tell(r, change == FolderChange::kFileElsewhere ? "file: " : "folder: ", at,
       ": changed: nothing more is removed");
  return false;
}

// The install folder, held open from its second check to its removal; let go however the
// removal ends.
class FolderHold {
 public:
  explicit FolderHold(RemovalOps& removal) : removal_(removal) {}
  ~FolderHold() {
    if (held)
      removal_.ReleaseFolder();
  }
  FolderHold(const FolderHold&) = delete;
  FolderHold& operator=(const FolderHold&) = delete;

  bool held = false;  // false on 95/98, which keeps no identities: the removal goes by path

 private:
  RemovalOps& removal_;
};

// The question may have stood open for long, and a user who may write to the folder may have
// replaced it meanwhile: it must still be the folder the plan listed, reached without a link
// or junction. Held, it cannot be renamed any more, nor can a folder on the way to it, so the
// path checked stays as checked.
bool CheckFolderAgain(Removing& r, FolderHold& hold) {
  const char* folder = r.plan.check.folder;
  switch (r.plan.identityRead) {
    case IdentityRead::kRead:
      hold.held = r.system.removal.HoldFolder(folder, r.plan.identity);
      if (!hold.held)
        return Changed(r, FolderChange::kReplaced, folder);
      break;
    case IdentityRead::kNotKept:
      break;
    case IdentityRead::kFailed:
      return Changed(r, FolderChange::kReplaced, folder);
  }
  FolderCheck again = r.plan.check;
  switch (CheckFolderParts(r.system.files, again)) {
    case FolderVerdict::kSafe:
      Tell(r, "folder: ", folder, ": checked again: unchanged");
      return true;
    case FolderVerdict::kLink:
      return Changed(r, FolderChange::kLinkOnTheWay, again.detail);
    default:
      return Changed(r, FolderChange::kReplaced, folder);
  }
}

// Group folders when it is their turn (`groups`), the links before them; each is placed again
// right before it goes, as the question may have stood open for long.
void RemoveRecorded(Removing& r, bool groups) {
  const NameList& shortcuts = r.plan.shortcuts;
  for (const char* path = shortcuts.First(); path; path = shortcuts.Next(path)) {
    bool group = path[0] && path[std::strlen(path) - 1] == '\\';
    if (group != groups)
      continue;
    const char* step = group ? "group: " : "shortcut: ";
    char folder[kPathCapacity];
    CopyText(folder, path);  // as long as the path
    folder[std::strlen(folder) - group] = '\0';
    ShortcutPlace place = PlaceOfRecorded(r.system, path);
    if (place == ShortcutPlace::kMissing) {
      Tell(r, step, folder, ": already gone");
    } else if (place == ShortcutPlace::kGroup) {
      Removal removal = r.system.removal.RemoveEmptyFolder(folder);
      if (removal == Removal::kNotEmpty)
        Leave(r, step, folder, "it holds other shortcuts");
      else
        r.result.groupRemoved |= Gone(r, step, folder, removal);
    } else if (place == ShortcutPlace::kDesktopLink || place == ShortcutPlace::kGroupLink) {
      bool gone = Gone(r, step, path, r.system.removal.DeleteOneFile(path));
      if (gone && place == ShortcutPlace::kDesktopLink)
        r.result.desktopRemoved = true;
      else if (gone)
        ++r.result.menuLinksRemoved;
    } else {
      Leave(r, step, folder, WhyLeft(place));
    }
  }
}

void RemoveShortcuts(Removing& r) {
  if (r.plan.shortcutRecord == FileRecord::kUnreadable)
    Leave(r, "shortcuts: ", kInstalledShortcutsValue, "the record cannot be read");
  if (r.plan.shortcutRecord != FileRecord::kMissing) {
    RemoveRecorded(r, false);
    RemoveRecorded(r, true);
    return;
  }
  const RemovalPlan& plan = r.plan;
  RemovalResult& result = r.result;
  const char* shortcut = "shortcut: ";
  if (plan.desktopLink[0])
    result.desktopRemoved =
        Gone(r, shortcut, plan.desktopLink, r.system.removal.DeleteOneFile(plan.desktopLink));
  for (int k = 0; k < plan.menuLinkCount; ++k)
    if (Gone(r, shortcut, plan.menuLinks[k], r.system.removal.DeleteOneFile(plan.menuLinks[k])))
      ++result.menuLinksRemoved;
  // The shortcuts the plan could not name are in the report.
  const char* group = "group: ";
  if (plan.group[0]) {
    Removal removal = r.system.removal.RemoveEmptyFolder(plan.group);
    if (removal == Removal::kNotEmpty)
      Leave(r, group, plan.group, "it holds other shortcuts");
    else
      result.groupRemoved = Gone(r, group, plan.group, removal);
  }
}

// Each file through the hold, which checks where its name leads, or by path on 95/98. False
// when something changed.
bool RemoveFolder(Removing& r, FolderHold& hold) {
  const RemovalPlan& plan = r.plan;
  RemovalOps& removal = r.system.removal;
  const char* folder = plan.check.folder;
  const char* file = "file: ";
  int filesLeft = plan.kept.Count();
  for (const char* name = plan.files.First(); name; name = plan.files.Next(name)) {
    char path[kPathCapacity] = {};
    if (!JoinPath(path, folder, name)) {
      ++filesLeft;
      Leave(r, file, name, "its path is too long");
      continue;
    }
    Removal outcome =
        hold.held ? removal.DeleteHeldFile(NameList::WideOf(name)) : removal.DeleteOneFile(path);
    if (outcome == Removal::kChanged)
      return Changed(r, FolderChange::kFileElsewhere, path);
    if (Gone(r, file, path, outcome))
      ++r.result.filesRemoved;
    else
      ++filesLeft;
  }
  for (const char* name = plan.kept.First(); name; name = plan.kept.Next(name)) {
    char path[kPathCapacity] = {};
    JoinPath(path, folder, name);
    Tell(r, file, path[0] ? path : name, ": kept: ",
         plan.record == FileRecord::kRead ? "Setup did not install it"
                                          : "the record cannot be read");
  }

  Removal outcome = hold.held ? removal.RemoveHeldFolder() : removal.RemoveEmptyFolder(folder);
  hold.held = false;
  if (outcome == Removal::kChanged)
    return Changed(r, FolderChange::kReplaced, folder);
  const char* step = "folder: ";
  if (outcome == Removal::kRemoved || outcome == Removal::kMissing) {
    r.result.folderRemoved = Gone(r, step, folder, outcome);
    return true;
  }
  // What the folder still holds says more than the system's error does.
  if (plan.keptFolders > 0)
    Leave(r, step, folder, "it still holds sub-folders, which are kept");
  else if (filesLeft > 0 || plan.keptLinks > 0)
    Leave(r, step, folder, "it still holds files that were left");
  else
    Leave(r, step, folder, Why(outcome));
  return true;
}

void RemoveEntry(Removing& r) {
  const char* key = r.plan.key;
  r.result.keyRemoved = r.system.removal.RegistryDeleteKey(RegistryRoot::kLocalMachine, key);
  const char* entry = "entry: HKEY_LOCAL_MACHINE\\";
  if (r.result.keyRemoved) {
    Tell(r, entry, key, ": removed");
  } else {
    Report(r.result, "the entry in the list of installed programs", "could not be deleted");
    Tell(r, entry, key, ": left: could not be deleted");
  }
}

void RemoveSelf(Removing& r) {
  const char* own = r.plan.ownPath;
  const char* step = "uninstaller: ";
  if (r.plan.keepSelf) {
    r.result.self = SelfRemoval::kKept;
    Tell(r, step, own, ": kept: setup replaces it");
    return;
  }
  // A running program's file cannot be deleted on Windows; it goes when Windows next starts.
  Removal removal = r.system.removal.DeleteOneFile(own);
  if (removal == Removal::kRemoved || removal == Removal::kMissing) {
    r.result.self = SelfRemoval::kNow;
    Tell(r, step, own, ": removed");
  } else if (r.system.removal.DeleteAtRestart(own)) {
    r.result.self = SelfRemoval::kAtRestart;
    Tell(r, step, own, ": deleted when Windows next starts");
  } else {
    Leave(r, step, own, "the uninstaller itself could not be removed");
  }
}

}  // namespace

void CarryOutRemoval(const UninstallerSystem& system, const RemovalPlan& plan,
                     RemovalResult& result, RunLog& log) {
  Removing r = {system, plan, result, log};
  if (plan.check.verdict == FolderVerdict::kSafe) {
    FolderHold hold(system.removal);
    if (!CheckFolderAgain(r, hold))
      return;
    RemoveShortcuts(r);
    if (!RemoveFolder(r, hold))
      return;
  }
  RemoveEntry(r);
  RemoveSelf(r);
}

bool LeftSomething(const RemovalPlan& plan, const RemovalResult& result) {
  return result.leftCount > 0 || plan.kept.Count() > 0 || plan.keptLinks > 0 ||
         plan.unnamedShortcuts > 0 || plan.linkedGroup[0] || plan.groupLeadsOut ||
         plan.check.verdict == FolderVerdict::kGone;
}
