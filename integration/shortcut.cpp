#include "integration/shortcut.h"

#include "common/bounded_text.h"
#include "common/names.h"
#include "description/setup_settings.h"
#include "integration/link_info.h"
#include "integration/platform.h"
#include "integration/run_report.h"
#include "integration/uninstall_registration.h"

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

// Adds `path` to `made`, with a trailing backslash for a folder. A group whose path then no
// longer fits is not recorded: the uninstaller leaves it, which harms nothing.
void Record(FileOps& files, InstalledFilesRecord* made, const char* path, bool folder) {
  char text[kPathCapacity];
  wchar_t wide[kPathCapacity];
  if (made && CopyText(text, path) && (!folder || AppendText(text, "\\")) &&
      files.WidenText(text, wide, kPathCapacity))
    made->AddIfMissing(wide);
}

// Null when the shortcut was saved as `linkPath`, else why not.
const char* PlaceShortcut(ShellOps& shell, FileOps& files, int folder95, int folderNT,
                          const char* group, const char* linkName, const char* workDir,
                          const char* targetFile, const char* description, const char* iconFile,
                          char (&linkPath)[kPathCapacity], InstalledFilesRecord* made) {
  char folder[kPathCapacity] = {};
  char target[kPathCapacity] = {};
  if (!ComposeShortcutFolder(shell, folder95, folderNT, group, folder))
    return "its folder is unknown";
  // An existing group is reused; a group that cannot be made shows up as a failed save. A
  // group of our own is recorded for the uninstaller, which removes it only when empty.
  if (group && files.MakeFolder(folder) != FolderCreation::kFailed && group[0])
    Record(files, made, folder, true);

  // A path that does not fit is never cut: a shortened one would name another file.
  if (!ComposeShortcutPath(folder, linkName, linkPath) || !JoinPath(target, workDir, targetFile))
    return kPathTooLong;

  LinkInfo info = {};
  info.Target = target;
  info.WorkingDir = workDir;
  info.Description = description;
  info.Hotkey = 0;
  if (iconFile) {
    info.IconFile = iconFile;
    info.IconIndex = 0;
  }
  if (!shell.WriteShellLink(linkPath, info))
    return "the shell could not save it";
  Record(files, made, linkPath, false);
  return nullptr;
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
                   const char* description, const char* iconFile, RunReport* report,
                   InstalledFilesRecord* made) {
  ComScope com(shell);
  char linkPath[kPathCapacity] = {};
  const char* why = "its name or group is not a single name";
  // A separator or a colon in the link's name or its group would lead the link out of the
  // special folder, or into a stream; such a shortcut is left out. An empty group is the
  // special folder itself; "." or ".." would be that folder or the one above it.
  if (group && group[0] && IsSingleName(group) && !IsFolderName(group))
    why = "its group is only dots";
  else if (linkName && workDir && targetFile && description && IsSingleName(linkName) &&
           (!group || IsSingleName(group)))
    why = PlaceShortcut(shell, files, folder95, folderNT, group, linkName, workDir, targetFile,
                        description, iconFile, linkPath, made);
  if (linkName)
    Report(report, Part::kShortcut, linkPath[0] ? linkPath : linkName, !why, why);
  return 1;
}
