#include "uninstall/removal_plan.h"

#include <cstdlib>
#include <cstring>

#include "common/bounded_text.h"
#include "description/setup_reader.h"
#include "integration/platform.h"
#include "integration/shortcut.h"
#include "integration/uninstall_registration.h"
#include "uninstall/path_text.h"
#include "uninstall/uninstaller_name.h"

namespace {

constexpr char kInstallToValue[] = "InstallTo";
constexpr char kAllEntries[] = "*.*";

class FileLister final : public FolderVisitor {
 public:
  explicit FileLister(RemovalPlan& plan) : plan_(plan) {}

  void Visit(const FolderEntry& entry) override {
    if (std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0)
      return;
    if (entry.isReparsePoint)
      ++plan_.keptLinks;
    else if (entry.isFolder)
      ++plan_.keptFolders;
    else if (!plan_.files.Add(entry.name))
      outOfMemory_ = true;
  }
  bool outOfMemory() const { return outOfMemory_; }

 private:
  RemovalPlan& plan_;
  bool outOfMemory_ = false;
};

// The installer's own reader, over the copy of setup.inf that it left in the folder.
PlanStatus ReadDescription(const UninstallerSystem& system, const char* folder,
                           SetupSettingsRecord& settings) {
  char path[kPathCapacity] = {};
  if (!JoinPath(path, folder, kSetupInfoName))
    return PlanStatus::kNoDescription;
  // On the heap: a buffer of static storage would be stored in the program file.
  char* data = static_cast<char*>(std::malloc(kSetupInfoReadLimit));
  if (!data)
    return PlanStatus::kNoDescription;
  std::size_t size = 0;
  bool read = system.files.ReadFileHead(path, data, kSetupInfoReadLimit, &size);
  SetupInfoStatus status =
      read ? ParseSetupInfo(data, size, settings) : SetupInfoStatus::kCannotOpen;
  std::free(data);
  return status == SetupInfoStatus::kOk ? PlanStatus::kReady : PlanStatus::kNoDescription;
}

// The shortcuts as the installer named them on this Windows family. A name that is not a single
// name could lead the deletion out of the folder, so that shortcut is left.
void PlanShortcuts(const UninstallerSystem& system, const SetupSettingsRecord& settings,
                   RemovalPlan& plan) {
  char folder[kPathCapacity] = {};
  if (!IsSingleName(settings.LinkTitle))
    ++plan.unnamedShortcuts;
  else if (ComposeShortcutFolder(system.shell, kCsidlDesktopDirectory, kCsidlCommonDesktopDirectory,
                                 nullptr, folder))
    ComposeShortcutPath(folder, settings.LinkTitle, plan.desktopLink);

  CopyText(plan.groupName, settings.ProductName);
  if (!ComposeShortcutFolder(system.shell, kCsidlPrograms, kCsidlCommonPrograms,
                             settings.ProductName, folder))
    return;
  // Setup made a real folder; behind a link its shortcuts may be anybody's.
  if (ExaminePath(system.files, folder) == PathKind::kLink) {
    CopyText(plan.linkedGroup, folder);
    return;
  }
  // An empty or dotted group name is the programs folder itself or one above it: never removed.
  if (IsFolderName(settings.ProductName))
    CopyText(plan.group, folder);
  int count = settings.EntryCount < kMaxEntries ? settings.EntryCount : kMaxEntries;
  for (int k = 0; k < count; ++k) {
    const char* name = settings.EntryName[k];
    if (!name || !settings.EntryFile[k])
      continue;  // never created
    if (!IsSingleName(name)) {
      ++plan.unnamedShortcuts;
      continue;
    }
    char(&link)[kPathCapacity] = plan.menuLinks[plan.menuLinkCount];
    if (!ComposeShortcutPath(folder, name, link))
      continue;
    bool seen = false;
    for (int j = 0; j < plan.menuLinkCount && !seen; ++j)
      seen = SameTextIgnoringCase(plan.menuLinks[j], link);
    if (!seen)
      ++plan.menuLinkCount;
  }
}

PlanStatus PlanFolder(const UninstallerSystem& system, RemovalPlan& plan) {
  SetupSettingsRecord settings = {};
  PlanStatus status = ReadDescription(system, plan.check.folder, settings);
  if (status == PlanStatus::kReady && !SameTextIgnoringCase(settings.FolderName, plan.folderName)) {
    CopyText(plan.otherName, settings.FolderName);
    status = PlanStatus::kOtherProgram;
  }
  if (status == PlanStatus::kReady) {
    if (settings.ProductName[0])
      CopyText(plan.productName, settings.ProductName);
    PlanShortcuts(system, settings, plan);
  }
  FreeEntryStrings(settings);
  if (status != PlanStatus::kReady)
    return status;

  char pattern[kPathCapacity] = {};
  FileLister lister(plan);
  if (!JoinPath(pattern, plan.check.folder, kAllEntries))
    return PlanStatus::kCannotList;
  system.files.ListFolder(pattern, lister);
  return lister.outOfMemory() ? PlanStatus::kCannotList : PlanStatus::kReady;
}

}  // namespace

PlanStatus PlanRemoval(const UninstallerSystem& system, RemovalPlan& plan) {
  if (!system.removal.GetOwnPath(plan.ownPath, sizeof plan.ownPath))
    return PlanStatus::kNoOwnPath;
  if (!FolderNameFromUninstaller(plan.ownPath, plan.folderName))
    return PlanStatus::kBadName;
  CopyText(plan.productName, plan.folderName);

  char installTo[kPathCapacity] = {};
  if (!ComposeUninstallKey(plan.folderName, plan.key) ||
      !system.registry.RegistryGetString(RegistryRoot::kLocalMachine, plan.key, kInstallToValue,
                                         installTo, sizeof installTo))
    return PlanStatus::kNotRegistered;
  // Full access, as the installer asked for it: a user who may read the key but not delete it
  // would be left with half an uninstallation.
  if (!system.registry.RegistryKeyOpens(RegistryRoot::kLocalMachine, plan.key))
    return PlanStatus::kNoRights;

  switch (CheckInstallFolder(system, installTo, plan.check)) {
    case FolderVerdict::kSafe:
      return PlanFolder(system, plan);
    case FolderVerdict::kGone:
      return PlanStatus::kFolderGone;
    default:
      return PlanStatus::kFolderRefused;
  }
}
