#include "uninstall/removal.h"

#include "common/bounded_text.h"
#include "integration/platform.h"
#include "uninstall/removal_plan.h"

namespace {

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

void Leave(RemovalResult& result, const char* path, const char* why) {
  if (result.leftCount++ < kLeftShown)
    result.left.Add("  ").Add(path).Add(": ").Add(why).Add("\n");
}

// True when the file is gone; something already missing is not reported.
bool Gone(RemovalResult& result, const char* path, Removal removal) {
  if (removal == Removal::kRemoved)
    return true;
  if (removal != Removal::kMissing)
    Leave(result, path, Why(removal));
  return false;
}

bool RemoveFile(const UninstallerSystem& system, const char* path, RemovalResult& result) {
  return Gone(result, path, system.removal.DeleteOneFile(path));
}

// Always false: the removal stops at a change.
bool Changed(RemovalResult& result, FolderChange change, const char* at) {
  result.change = change;
  CopyText(result.changedAt, at);
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
bool CheckFolderAgain(const UninstallerSystem& system, const RemovalPlan& plan, FolderHold& hold,
                      RemovalResult& result) {
  const char* folder = plan.check.folder;
  switch (plan.identityRead) {
    case IdentityRead::kRead:
      hold.held = system.removal.HoldFolder(folder, plan.identity);
      if (!hold.held)
        return Changed(result, FolderChange::kReplaced, folder);
      break;
    case IdentityRead::kNotKept:
      break;
    case IdentityRead::kFailed:
      return Changed(result, FolderChange::kReplaced, folder);
  }
  FolderCheck again = plan.check;
  switch (CheckFolderParts(system.files, again)) {
    case FolderVerdict::kSafe:
      return true;
    case FolderVerdict::kLink:
      return Changed(result, FolderChange::kLinkOnTheWay, again.detail);
    default:
      return Changed(result, FolderChange::kReplaced, folder);
  }
}

void RemoveShortcuts(const UninstallerSystem& system, const RemovalPlan& plan,
                     RemovalResult& result) {
  if (plan.desktopLink[0])
    result.desktopRemoved = RemoveFile(system, plan.desktopLink, result);
  for (int k = 0; k < plan.menuLinkCount; ++k)
    if (RemoveFile(system, plan.menuLinks[k], result))
      ++result.menuLinksRemoved;
  if (plan.group[0]) {
    Removal removal = system.removal.RemoveEmptyFolder(plan.group);
    result.groupRemoved = removal == Removal::kRemoved;
    if (removal == Removal::kNotEmpty)
      Leave(result, plan.group, "it holds other shortcuts");
    else if (removal != Removal::kRemoved && removal != Removal::kMissing)
      Leave(result, plan.group, Why(removal));
  }
}

// Each file through the hold, which checks where its name leads, or by path on 95/98. False
// when something changed.
bool RemoveFolder(const UninstallerSystem& system, const RemovalPlan& plan, FolderHold& hold,
                  RemovalResult& result) {
  const char* folder = plan.check.folder;
  int filesLeft = plan.kept.Count();
  for (const char* name = plan.files.First(); name; name = plan.files.Next(name)) {
    char path[kPathCapacity] = {};
    if (!JoinPath(path, folder, name)) {
      ++filesLeft;
      Leave(result, name, "its path is too long");
      continue;
    }
    Removal removal =
        hold.held ? system.removal.DeleteHeldFile(name) : system.removal.DeleteOneFile(path);
    if (removal == Removal::kChanged)
      return Changed(result, FolderChange::kFileElsewhere, path);
    if (Gone(result, path, removal))
      ++result.filesRemoved;
    else
      ++filesLeft;
  }

  Removal removal =
      hold.held ? system.removal.RemoveHeldFolder() : system.removal.RemoveEmptyFolder(folder);
  hold.held = false;
  if (removal == Removal::kChanged)
    return Changed(result, FolderChange::kReplaced, folder);
  result.folderRemoved = removal == Removal::kRemoved;
  if (result.folderRemoved || removal == Removal::kMissing)
    return true;
  // What the folder still holds says more than the system's error does.
  if (plan.keptFolders > 0)
    Leave(result, folder, "it still holds sub-folders, which are kept");
  else if (filesLeft > 0 || plan.keptLinks > 0)
    Leave(result, folder, "it still holds files that were left");
  else
    Leave(result, folder, Why(removal));
  return true;
}

void RemoveSelf(const UninstallerSystem& system, const RemovalPlan& plan, RemovalResult& result) {
  // A running program's file cannot be deleted on Windows; it goes when Windows next starts.
  Removal removal = system.removal.DeleteOneFile(plan.ownPath);
  if (removal == Removal::kRemoved || removal == Removal::kMissing)
    result.self = SelfRemoval::kNow;
  else if (system.removal.DeleteAtRestart(plan.ownPath))
    result.self = SelfRemoval::kAtRestart;
  else
    Leave(result, plan.ownPath, "the uninstaller itself could not be removed");
}

}  // namespace

void CarryOutRemoval(const UninstallerSystem& system, const RemovalPlan& plan,
                     RemovalResult& result) {
  if (plan.check.verdict == FolderVerdict::kSafe) {
    FolderHold hold(system.removal);
    if (!CheckFolderAgain(system, plan, hold, result))
      return;
    RemoveShortcuts(system, plan, result);
    if (!RemoveFolder(system, plan, hold, result))
      return;
  }
  result.keyRemoved = system.removal.RegistryDeleteKey(RegistryRoot::kLocalMachine, plan.key);
  if (!result.keyRemoved)
    Leave(result, "the entry in the list of installed programs", "could not be deleted");
  RemoveSelf(system, plan, result);
}
