// The program an uninstaller removes, read from its own file name.
#pragma once

#include "description/setup_settings.h"

// Setup copies the uninstaller to "<Windows directory>\<FolderName> Uninstall.exe"; the file
// name is the only thing that ties a copy to its uninstall entry. Puts FolderName into
// `folderName` and returns true for a path whose file name has that form with a non-empty
// FolderName (the suffix compared without regard to case); false, with `folderName` empty, for
// any other name, the distribution's own UNINSTAL.EXE included.
bool FolderNameFromUninstaller(const char* ownPath, char (&folderName)[kTextCapacity]);
