#include "uninstall/folder_safety.h"

#include <cstring>
#include <initializer_list>

#include "common/bounded_text.h"
#include "integration/platform.h"
#include "uninstall/path_text.h"

namespace {

// The folders that make up Windows: nothing inside them belongs to an installed program's
// folder.
constexpr int kCsidlWindows = 0x24;
constexpr int kCsidlSystem = 0x25;
constexpr int kCsidlProfile = 0x28;
constexpr int kWindowsFolders[] = {kCsidlWindows, kCsidlSystem};

// Folders of Windows and of its users (CSIDL values), refused as they are and together with
// every folder that holds one. A folder inside them, say "C:\Program Files\Viewer", may well be
// an install folder of its own.
constexpr int kProtectedFolders[] = {
    0x02,  // Start-menu programs
    0x05,  // documents
    0x06,  // favourites
    0x07,  // start-up programs
    0x08,  // recent documents
    0x09,  // send to
    0x0b,  // Start menu
    0x0d,  // music
    0x0e,  // videos
    0x10,  // desktop
    0x13,  // network shortcuts
    0x14,  // fonts
    0x15,  // templates
    0x16,  // all users' Start menu
    0x17,  // all users' Start-menu programs
    0x18,  // all users' start-up programs
    0x19,  // all users' desktop
    0x1a,  // application data
    0x1b,  // printer shortcuts
    0x1c,  // local application data
    0x1f,  // all users' favourites
    0x20,  // internet cache
    0x21,  // cookies
    0x22,  // history
    0x23,  // all users' application data
    kCsidlWindows, kCsidlSystem,
    0x26,  // program files
    0x27,  // pictures
    kCsidlProfile,
    0x29,  // 32-bit system folder
    0x2a,  // 32-bit program files
    0x2b,  // common files
    0x2c,  // 32-bit common files
    0x2d,  // all users' templates
    0x2e,  // all users' documents
    0x2f,  // all users' administrative tools
    0x30,  // administrative tools
    0x35,  // all users' music
    0x36,  // all users' pictures
    0x37,  // all users' videos
    0x38,  // resources (themes)
    0x3b,  // CD burning area
};

// On 64-bit Windows the folders above are a 32-bit program's own: "Program Files (x86)" and its
// "Common Files". The system's own, which hold 64-bit programs, are named in its registry view.
constexpr char kSystemFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kSystemFolderValues[] = {"ProgramFilesDir", "CommonFilesDir"};

class FirstEntry final : public FolderVisitor {
 public:
  void Visit(const FolderEntry& entry) override {
    if (kind_ != PathKind::kMissing)
      return;
    if (entry.isReparsePoint)
      kind_ = PathKind::kLink;
    else
      kind_ = entry.isFolder ? PathKind::kFolder : PathKind::kFile;
  }
  PathKind kind() const { return kind_; }

 private:
  PathKind kind_ = PathKind::kMissing;
};

FolderVerdict Refuse(FolderCheck& check, FolderVerdict verdict, const char* detail) {
  check.verdict = verdict;
  CopyText(check.detail, detail);
  return verdict;
}

}  // namespace

FolderVerdict CheckFolderParts(FileOps& files, FolderCheck& check) {
  const char* folder = check.folder;
  std::size_t length = std::strlen(folder);
  char part[kPathCapacity] = {};
  for (std::size_t end = RootLength(folder) + 1; end <= length; ++end) {
    if (end < length && folder[end] != '\\')
      continue;
    std::memcpy(part, folder, end);
    part[end] = '\0';
    switch (ExaminePath(files, part)) {
      case PathKind::kFolder:
        break;
      case PathKind::kLink:
        return Refuse(check, FolderVerdict::kLink, part);
      case PathKind::kFile:
        return Refuse(check, end == length ? FolderVerdict::kNotFolder : FolderVerdict::kGone,
                      part);
      case PathKind::kMissing:
        return Refuse(check, FolderVerdict::kGone, part);
    }
  }
  return FolderVerdict::kSafe;
}

namespace {

// True when `folder` is `protectedFolder` or one of the folders that hold it, short of the root.
bool IsOrHolds(const UninstallerSystem& system, const char* folder, const char* protectedFolder) {
  char step[kPathCapacity] = {};
  if (NormalizeFolderPath(protectedFolder, step) != PathForm::kFull)
    return false;
  do {
    if (std::strlen(step) > RootLength(step) && system.files.SameFolder(folder, step))
      return true;
  } while (ParentFolder(step, step));
  return false;
}

// True when `folder` is `windowsFolder` or lies anywhere inside it.
bool IsInside(const UninstallerSystem& system, const char* folder, const char* windowsFolder) {
  char step[kPathCapacity] = {};
  CopyText(step, folder);
  do {
    if (system.files.SameFolder(step, windowsFolder))
      return true;
  } while (ParentFolder(step, step));
  return false;
}

// True for "<users>\<profile>\AppData\Local\Programs\<name>", where a program installed for one
// user keeps a folder of its own.
bool IsPerUserPrograms(const UninstallerSystem& system, const char* folder, const char* users) {
  char step[kPathCapacity] = {};
  CopyText(step, folder);
  for (const char* part : {"Programs", "Local", "AppData"}) {
    if (!ParentFolder(step, step))
      return false;
    const char* last = std::strrchr(step, '\\');
    if (!last || !SameTextIgnoringCase(last + 1, part))
      return false;
  }
  char profileParent[kPathCapacity] = {};
  return ParentFolder(step, step) && ParentFolder(step, profileParent) &&
         system.files.SameFolder(profileParent, users);
}

FolderVerdict CheckWindowsAndSpecialFolders(const UninstallerSystem& system, FolderCheck& check) {
  const char* folder = check.folder;
  char special[kPathCapacity] = {};

  char root[kPathCapacity] = {};
  std::memcpy(root, folder, RootLength(folder));
  root[RootLength(folder)] = '\0';
  if (system.files.SameFolder(folder, root))
    return Refuse(check, FolderVerdict::kDriveRoot, root);

  if (system.files.GetWindowsFolder(special, sizeof special) && special[0] &&
      IsInside(system, folder, special))
    return Refuse(check, FolderVerdict::kWindows, special);
  for (int csidl : kWindowsFolders) {
    if (system.shell.GetSpecialFolder(csidl, special, sizeof special) && special[0] &&
        IsInside(system, folder, special))
      return Refuse(check, FolderVerdict::kWindows, special);
  }

  for (int csidl : kProtectedFolders) {
    if (system.shell.GetSpecialFolder(csidl, special, sizeof special) && special[0] &&
        IsOrHolds(system, folder, special))
      return Refuse(check, FolderVerdict::kProtected, special);
  }
  for (const char* value : kSystemFolderValues) {
    if (system.registry.RegistryGetString(RegistryRoot::kLocalMachineSystemView, kSystemFoldersKey,
                                          value, special, sizeof special) &&
        special[0] && IsOrHolds(system, folder, special))
      return Refuse(check, FolderVerdict::kProtected, special);
  }

  // Every user's profile sits in one folder; the current user's tells which. A profile folder
  // directly below a root is no sign of such a folder, and the root is refused anyway.
  char profile[kPathCapacity] = {};
  char users[kPathCapacity] = {};
  char parent[kPathCapacity] = {};
  if (!system.shell.GetSpecialFolder(kCsidlProfile, special, sizeof special) ||
      NormalizeFolderPath(special, profile) != PathForm::kFull || !ParentFolder(profile, users) ||
      std::strlen(users) == RootLength(users) || !ParentFolder(folder, parent))
    return FolderVerdict::kSafe;
  if (system.files.SameFolder(parent, users))
    return Refuse(check, FolderVerdict::kProfile, users);
  // Other accounts' special folders cannot be asked for, and a user may have saved anything
  // anywhere in their profile.
  if (IsInside(system, folder, users) && !IsPerUserPrograms(system, folder, users))
    return Refuse(check, FolderVerdict::kInUsers, users);
  return FolderVerdict::kSafe;
}

}  // namespace

PathKind ExaminePath(FileOps& files, const char* path) {
  FirstEntry first;
  files.ListFolder(path, first);
  return first.kind();
}

FolderVerdict CheckInstallFolder(const UninstallerSystem& system, const char* installTo,
                                 FolderCheck& check) {
  check.verdict = FolderVerdict::kSafe;
  check.detail[0] = '\0';
  switch (NormalizeFolderPath(installTo, check.folder)) {
    case PathForm::kFull:
      break;
    case PathForm::kEmpty:
      return Refuse(check, FolderVerdict::kEmpty, "");
    case PathForm::kRelative:
      return Refuse(check, FolderVerdict::kRelative, "");
    case PathForm::kInvalid:
      return Refuse(check, FolderVerdict::kInvalid, "");
    case PathForm::kOddPart:
      return Refuse(check, FolderVerdict::kOddPart, "");
  }
  if (std::strlen(check.folder) == RootLength(check.folder))
    return Refuse(check, FolderVerdict::kDriveRoot, check.folder);
  if (CheckFolderParts(system.files, check) != FolderVerdict::kSafe)
    return check.verdict;
  return CheckWindowsAndSpecialFolders(system, check);
}
