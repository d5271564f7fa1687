#include "uninstall/removal_plan.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "common/bounded_text.h"
#include "description/setup_reader.h"
#include "integration/platform.h"
#include "integration/shortcut.h"
#include "integration/uninstall_registration.h"
#include "uninstall/path_text.h"
#include "uninstall/recorded_shortcuts.h"
#include "uninstall/uninstaller_name.h"

namespace {

constexpr char kInstallToValue[] = "InstallTo";
constexpr char kAllEntries[] = "*.*";

// True when the record names `name`. Only single names count: any other is never composed
// into a path. The record ends in two zeros.
bool Recorded(const wchar_t* record, std::size_t size, const wchar_t* name) {
  for (const wchar_t* p = record; p < record + size && *p; p += std::wcslen(p) + 1)
    if (IsSingleName(p) && SameTextIgnoringCase(p, name))
      return true;
  return false;
}

// Sorts the folder's entries: files setup copied go, the rest stay. Without a record, every
// file goes, as before setup kept one.
class FileLister final : public FolderVisitor {
 public:
  FileLister(RemovalPlan& plan, const wchar_t* record, std::size_t size)
      : plan_(plan), record_(record), size_(size) {}

  void Visit(const FolderEntry& entry) override {
    if (std::strcmp(entry.name, ".") == 0 || std::strcmp(entry.name, "..") == 0)
      return;
    if (entry.isReparsePoint) {
      ++plan_.keptLinks;
    } else if (entry.isFolder) {
      ++plan_.keptFolders;
    } else {
      // A device's name opens the device, never a file of the folder: it is not touched.
      bool goes = !IsDeviceName(entry.wideName) &&
                  (plan_.record == FileRecord::kMissing ||
                   (plan_.record == FileRecord::kRead && Recorded(record_, size_, entry.wideName)));
      if (!(goes ? plan_.files : plan_.kept).Add(entry.name, entry.wideName))
        outOfMemory_ = true;
    }
  }
  bool outOfMemory() const { return outOfMemory_; }

 private:
  RemovalPlan& plan_;
  const wchar_t* record_;
  std::size_t size_;
  bool outOfMemory_ = false;
};

// Reads the record into `data` (kRecordLimit and two characters); `size` gets its characters.
FileRecord ReadRecord(const UninstallerSystem& system, const char* key, wchar_t* data,
                      std::size_t* size) {
  if (system.registry.RegistryGetMultiString(RegistryRoot::kLocalMachine, key, kInstalledFilesValue,
                                             data, kRecordLimit + 2, size))
    return FileRecord::kRead;
  return system.removal.RegistryValueExists(RegistryRoot::kLocalMachine, key, kInstalledFilesValue)
             ? FileRecord::kUnreadable
             : FileRecord::kMissing;
}

// Reads the record and the folder's identity, then sorts the folder's files by the record.
PlanStatus ListFolder(const UninstallerSystem& system, RemovalPlan& plan) {
  char pattern[kPathCapacity] = {};
  if (!JoinPath(pattern, plan.check.folder, kAllEntries))
    return PlanStatus::kCannotList;
  // On the heap: a buffer of static storage would be stored in the program file.
  wchar_t* record = static_cast<wchar_t*>(std::malloc((kRecordLimit + 2) * sizeof(wchar_t)));
  if (!record)
    return PlanStatus::kCannotList;
  std::size_t size = 0;
  plan.record = ReadRecord(system, plan.key, record, &size);
  plan.identityRead = system.removal.ReadFolderIdentity(plan.check.folder, &plan.identity);
  FileLister lister(plan, record, size);
  system.files.ListFolder(pattern, lister);
  std::free(record);
  return lister.outOfMemory() ? PlanStatus::kCannotList : PlanStatus::kReady;
}

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
  // Composed into a path, "..\..\Desktop" would lead the deletions out of the Start menu, and
  // ".." to the Start menu itself: setup made no shortcuts there.
  const char* product = settings.ProductName;
  if (!IsSingleName(product) || (product[0] && !IsFolderName(product))) {
    plan.groupLeadsOut = true;
    return;
  }
  if (!ComposeShortcutFolder(system.shell, kCsidlPrograms, kCsidlCommonPrograms,
                             settings.ProductName, folder))
    return;
  // Setup made a real folder; behind a link its shortcuts may be anybody's.
  if (ExaminePath(system.files, folder) == PathKind::kLink) {
    CopyText(plan.linkedGroup, folder);
    return;
  }
  // An empty group name is the programs folder itself: never removed.
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

// Reads the record of shortcuts into `plan.shortcuts`, and describes what it names for the
// question as setup.inf would have. kMissing when setup kept none.
FileRecord PlanRecordedShortcuts(const UninstallerSystem& system, RemovalPlan& plan) {
  // On the heap: a buffer of static storage would be stored in the program file.
  constexpr std::size_t kLimit = kInstalledShortcutsCapacity + 2;
  wchar_t* record = static_cast<wchar_t*>(std::malloc(kLimit * sizeof(wchar_t)));
  std::size_t size = 0;
  if (!record ||
      !system.registry.RegistryGetMultiString(RegistryRoot::kLocalMachine, plan.key,
                                              kInstalledShortcutsValue, record, kLimit, &size)) {
    std::free(record);
    return system.removal.RegistryValueExists(RegistryRoot::kLocalMachine, plan.key,
                                              kInstalledShortcutsValue)
               ? FileRecord::kUnreadable
               : FileRecord::kMissing;
  }
  for (const wchar_t* p = record; p < record + size && *p; p += std::wcslen(p) + 1) {
    char path[kPathCapacity];
    // A path with no form in the code page is named so, and never matches a place.
    if (!system.removal.NarrowText(p, path, sizeof path))
      CopyText(path, "?");
    plan.shortcuts.Add(path, p);
    switch (PlaceOfRecorded(system, path)) {
      case ShortcutPlace::kDesktopLink:
        if (!plan.desktopLink[0])
          CopyText(plan.desktopLink, path);
        break;
      case ShortcutPlace::kGroupLink:
        ++plan.menuLinkCount;
        break;
      case ShortcutPlace::kGroup:
        if (!plan.group[0]) {
          CopyText(plan.group, path);
          plan.group[std::strlen(plan.group) - 1] = '\0';
          CopyText(plan.groupName, std::strrchr(plan.group, '\\') + 1);
        }
        break;
      default:
        break;
    }
  }
  std::free(record);
  return FileRecord::kRead;
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
    // Where anyone may write the folder, its setup.inf may name another product's shortcuts.
    plan.shortcutRecord = PlanRecordedShortcuts(system, plan);
    if (plan.shortcutRecord == FileRecord::kMissing)
      PlanShortcuts(system, settings, plan);
  }
  FreeEntryStrings(settings);
  if (status != PlanStatus::kReady)
    return status;
  return ListFolder(system, plan);
}

}  // namespace

PlanStatus PlanRemoval(const UninstallerSystem& system, RemovalPlan& plan) {
  if (!system.removal.GetOwnPath(plan.ownPath, sizeof plan.ownPath))
    return PlanStatus::kNoOwnPath;
  if (!FolderNameFromUninstaller(plan.ownPath, plan.folderName))
    return PlanStatus::kBadName;
  CopyText(plan.productName, plan.folderName);

  if (!ComposeUninstallKey(plan.folderName, plan.key))
    return PlanStatus::kNotRegistered;
  if (!system.registry.RegistryGetString(RegistryRoot::kLocalMachine, plan.key, kInstallToValue,
                                         plan.installTo, sizeof plan.installTo))
    return system.removal.RegistryKeyExists(RegistryRoot::kLocalMachine, plan.key)
               ? PlanStatus::kNotRegistered
               : PlanStatus::kNoEntry;
  // Full access, as the installer asked for it: a user who may read the key but not delete it
  // would be left with half an uninstallation.
  if (!system.registry.RegistryKeyOpens(RegistryRoot::kLocalMachine, plan.key))
    return PlanStatus::kNoRights;

  switch (CheckInstallFolder(system, plan.installTo, plan.check)) {
    case FolderVerdict::kSafe:
      return PlanFolder(system, plan);
    case FolderVerdict::kGone:
      return PlanStatus::kFolderGone;
    default:
      return PlanStatus::kFolderRefused;
  }
}
