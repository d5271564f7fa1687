// The "..." button of the setup dialog: a folder picked in the shell's browser becomes that
// folder, a backslash and FolderName in the folder box.
#pragma once

#include "description/setup_settings.h"
#include "integration/platform.h"

constexpr char kBrowseTitle[] = "Select the folder...";

// The folder the browser last returned, as the shell gave it. Zero at start.
extern char BrowsePath[kPathCapacity];

// Runs the browser and, when a folder was chosen, sets the folder box. The box keeps its text
// when the user cancels, when the chosen item has no file-system path, and when the composed
// folder would not fit in MAX_PATH: a cut path would name a folder nobody chose.
void BrowseForInstallFolder(ShellOps& shell, DialogOps& dialog,
                            const SetupSettingsRecord& settings);
