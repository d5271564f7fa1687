#include "ui/folder_browse.h"

#include "common/bounded_text.h"
#include "res/resource.h"

char BrowsePath[kPathCapacity];

void BrowseForInstallFolder(Platform& platform, const SetupSettingsRecord& settings) {
  if (!platform.BrowseForFolder(kBrowseTitle, BrowsePath, sizeof BrowsePath))
    return;  // cancelled
  if (BrowsePath[0] == '\0')
    return;
  // No separator is looked for: a drive root such as "C:\" gets a second backslash.
  char folder[kPathCapacity];
  if (JoinPath(folder, BrowsePath, settings.FolderName))
    platform.SetControlText(IDC_FOLDER, folder);
}
