#include "integration/shortcut.h"

#include "common/bounded_text.h"
#include "common/names.h"
#include "description/setup_settings.h"
#include "integration/link_info.h"
#include "integration/platform.h"

namespace {

constexpr char kLinkExtension[] = ".lnk";

// The special folder for the running family. False when the family is unknown (a failed version
// query included) or the folder does not resolve: composing from an empty folder would put the
// shortcut at the root of the current drive.
bool ResolveSpecialFolder(ShellOps& shell, int folder95, int folderNT,
                          char (&path)[kPathCapacity]) {
  int csidl;
  switch (shell.WindowsFamily()) {
    case kFamilyWindows9x:
      csidl = folder95;
      break;
    case kFamilyWindowsNt:
      csidl = folderNT;
      break;
    default:
      return false;
  }
  return shell.GetSpecialFolder(csidl, path, sizeof path) && path[0] != '\0';
}

void PlaceShortcut(ShellOps& shell, FileOps& files, int folder95, int folderNT, const char* group,
                   const char* linkName, const char* workDir, const char* targetFile,
                   const char* description, const char* iconFile) {
  char folder[kPathCapacity] = {};
  char linkPath[kPathCapacity] = {};
  char target[kPathCapacity] = {};
  if (!ComposeShortcutFolder(shell, folder95, folderNT, group, folder))
    return;
  // An existing group is reused; a group that cannot be made shows up as a failed save.
  if (group)
    files.MakeFolder(folder);

  // A path that does not fit is never cut: a shortened one would name another file.
  if (!ComposeShortcutPath(folder, linkName, linkPath))
    return;
  if (!JoinPath(target, workDir, targetFile))
    return;

  LinkInfo info = {};
  info.Target = target;
  info.WorkingDir = workDir;
  info.Description = description;
  info.Hotkey = 0;
  if (iconFile) {
    info.IconFile = iconFile;
    info.IconIndex = 0;
  }
  shell.WriteShellLink(linkPath, info);
}

}  // namespace

bool ComposeShortcutFolder(ShellOps& shell, int folder95, int folderNT, const char* group,
                           char (&folder)[kPathCapacity]) {
  if (!ResolveSpecialFolder(shell, folder95, folderNT, folder))
    return false;
  return !group || JoinPath(folder, folder, group);
}

bool ComposeShortcutPath(const char* folder, const char* linkName, char (&path)[kPathCapacity]) {
  if (JoinPath(path, folder, linkName) && AppendText(path, kLinkExtension))
    return true;
  path[0] = '\0';
  return false;
}

int CreateShortcut(ShellOps& shell, FileOps& files, int folder95, int folderNT, const char* group,
                   const char* linkName, const char* workDir, const char* targetFile,
                   const char* description, const char* iconFile) {
  ComScope com(shell);
  // A separator or a colon in the link's name or its group would lead the link out of the
  // special folder, or into a stream; such a shortcut is left out. An empty group is the
  // special folder itself.
  if (linkName && workDir && targetFile && description && IsSingleName(linkName) &&
      (!group || IsSingleName(group)))
    PlaceShortcut(shell, files, folder95, folderNT, group, linkName, workDir, targetFile,
                  description, iconFile);
  return 1;
}
