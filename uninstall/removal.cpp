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
bool RemoveFile(const UninstallerSystem& system, const char* path, RemovalResult& result) {
  Removal removal = system.removal.DeleteOneFile(path);
  if (removal == Removal::kRemoved)
    return true;
  if (removal != Removal::kMissing)
    Leave(result, path, Why(removal));
  return false;
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

void RemoveFolder(const UninstallerSystem& system, const RemovalPlan& plan, RemovalResult& result) {
  const char* folder = plan.check.folder;
  int filesLeft = 0;
  for (const char* name = plan.files.First(); name; name = plan.files.Next(name)) {
    char path[kPathCapacity] = {};
    if (!JoinPath(path, folder, name)) {
      ++filesLeft;
      Leave(result, name, "its path is too long");
    } else if (RemoveFile(system, path, result)) {
      ++result.filesRemoved;
    } else {
      ++filesLeft;
    }
  }

  Removal removal = system.removal.RemoveEmptyFolder(folder);
  result.folderRemoved = removal == Removal::kRemoved;
  if (result.folderRemoved || removal == Removal::kMissing)
    return;
  // What the folder still holds says more than the system's error does.
  if (plan.keptFolders > 0)
    Leave(result, folder, "it still holds sub-folders, which are kept");
  else if (filesLeft > 0 || plan.keptLinks > 0)
    Leave(result, folder, "it still holds files that were left");
  else
    Leave(result, folder, Why(removal));
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
    RemoveShortcuts(system, plan, result);
    RemoveFolder(system, plan, result);
  }
  result.keyRemoved = system.removal.RegistryDeleteKey(RegistryRoot::kLocalMachine, plan.key);
  if (!result.keyRemoved)
    Leave(result, "the entry in the list of installed programs", "could not be deleted");
  RemoveSelf(system, plan, result);
}
