#include "ui/folder_browse.h"

#include "common/bounded_text.h"
#include "res/resource.h"

char BrowsePath[kPathCapacity];

void BrowseForInstallFolder(ShellOps& shell, DialogOps& dialog,
                            const SetupSettingsRecord& settings) {
  if (!shell.BrowseForFolder(kBrowseTitle, BrowsePath, sizeof BrowsePath))
    return;  // cancelled
  if (BrowsePath[0] == '\0')
    return;
  // No separator is looked for: a drive root such as "C:\" gets a second backslash.
  char folder[kPathCapacity];
  if (JoinPath(folder, BrowsePath, settings.FolderName))
    dialog.SetControlText(IDC_FOLDER, folder);
}
