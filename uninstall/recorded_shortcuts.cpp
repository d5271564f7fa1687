#include "uninstall/recorded_shortcuts.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/names.h"
#include "integration/platform.h"
#include "integration/shortcut.h"
#include "uninstall/folder_safety.h"
#include "uninstall/path_text.h"

namespace {

// True when the special folder resolves and `folder` is it.
bool IsSpecial(const UninstallerSystem& system, const char* folder, int folder95, int folderNT) {
  char special[kPathCapacity] = {};
  return ComposeShortcutFolder(system.shell, folder95, folderNT, nullptr, special) &&
         system.files.SameFolder(folder, special);
}

bool IsOwnName(const char* name) {
  return IsFolderName(name) && !IsDeviceName(name);
}

}  // namespace

ShortcutPlace PlaceOfRecorded(const UninstallerSystem& system, const char* recorded) {
  std::size_t length = std::strlen(recorded);
  bool group = length > 0 && recorded[length - 1] == '\\';
  if (group)
    --length;
  // Setup writes each path in one spelling: full, no part of dots, no doubled separator.
  FolderCheck parent = {};
  char path[kPathCapacity] = {};
  if (NormalizeFolderPath(recorded, path) != PathForm::kFull || std::strlen(path) != length ||
      std::strncmp(path, recorded, length) != 0 || !ParentFolder(path, parent.folder))
    return ShortcutPlace::kElsewhere;
  const char* name = std::strrchr(path, '\\') + 1;
  char grand[kPathCapacity] = {};
  bool link = !group && EndsWithIgnoringCase(name, ".lnk");
  ShortcutPlace place = ShortcutPlace::kElsewhere;
  if (!IsOwnName(name) || !(group || link))
    return place;
  if (link &&
      IsSpecial(system, parent.folder, kCsidlDesktopDirectory, kCsidlCommonDesktopDirectory))
    place = ShortcutPlace::kDesktopLink;
  else if (group && IsSpecial(system, parent.folder, kCsidlPrograms, kCsidlCommonPrograms))
    place = ShortcutPlace::kGroup;
  else if (link && ParentFolder(parent.folder, grand) &&
           IsOwnName(std::strrchr(parent.folder, '\\') + 1) &&
           IsSpecial(system, grand, kCsidlPrograms, kCsidlCommonPrograms))
    place = ShortcutPlace::kGroupLink;
  if (place == ShortcutPlace::kElsewhere)
    return place;
  // A folder on the way that is a link would make the same path name another file.
  switch (CheckFolderParts(system.files, parent)) {
    case FolderVerdict::kSafe:
      break;
    case FolderVerdict::kGone:
      return ShortcutPlace::kMissing;
    case FolderVerdict::kLink:
      return ShortcutPlace::kThroughLink;
    default:
      return ShortcutPlace::kNotPlain;
  }
  switch (ExaminePath(system.files, path)) {
    case PathKind::kMissing:
      return ShortcutPlace::kMissing;
    case PathKind::kLink:
      return ShortcutPlace::kThroughLink;
    case PathKind::kFolder:
      return group ? place : ShortcutPlace::kNotPlain;
    case PathKind::kFile:
      return group ? ShortcutPlace::kNotPlain : place;
  }
  return ShortcutPlace::kNotPlain;
}

const char* WhyLeft(ShortcutPlace place) {
  switch (place) {
    case ShortcutPlace::kElsewhere:
      return "not on the desktop or in a Start-menu group";
    case ShortcutPlace::kThroughLink:
      return "a link or junction, never followed";
    case ShortcutPlace::kNotPlain:
      return "not what Setup made";
    default:
      return "";
  }
}
