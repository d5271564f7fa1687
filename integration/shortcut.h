// CreateShortcut: one shell shortcut in a special folder, composed over the platform operations.
#pragma once

#include "description/setup_settings.h"

class FileOps;
class InstalledFilesRecord;
class RunReport;
class ShellOps;

// Writes "<special folder>[\<group>]\<linkName>.lnk" pointing at "<workDir>\<targetFile>", with
// `workDir` as its working folder and `description` as its tool tip. The special folder is
// `folder95` on the 95/98 family and `folderNT` on the NT family. A non-null `group` (even an
// empty one) is created inside the special folder first. A shortcut that cannot be placed, or
// whose name or group is not a single name (common/names.h), is left out. Whether it was
// created, and else why not, goes to `report` when one is given. A group of dots and spaces only
// would be the special folder or one above it: its shortcuts are left out. The path of a saved
// shortcut, and of the group it made or used (with a trailing backslash), go to `made`.
// Always returns 1.
int CreateShortcut(ShellOps& shell, FileOps& files, int folder95, int folderNT, const char* group,
                   const char* linkName, const char* workDir, const char* targetFile,
                   const char* description, const char* iconFile, RunReport* report = nullptr,
                   InstalledFilesRecord* made = nullptr);

// The folder CreateShortcut puts a shortcut in: the special folder for the running family, then
// `group` inside it when given. False when the family is unknown, the folder does not resolve,
// or the path does not fit. The uninstaller composes the same paths to find what was made.
bool ComposeShortcutFolder(ShellOps& shell, int folder95, int folderNT, const char* group,
                           char (&folder)[kPathCapacity]);

// "<folder>\<linkName>.lnk". False, with `path` empty, when it does not fit.
bool ComposeShortcutPath(const char* folder, const char* linkName, char (&path)[kPathCapacity]);
