// An installation of the same product that an earlier run left: the uninstall key named after
// FolderName, with its InstallTo and its record of installed files. A reinstall into that folder
// adds to the record, so that what the earlier run copied and this one did not is still known;
// an install into another folder first removes the earlier one with its own uninstaller, so
// that no folder is left with files that no entry knows.
#pragma once

#include "description/setup_settings.h"

class RegistryOps;
class RunReport;
class InstalledFilesRecord;
struct InstallerSystem;

// The uninstaller's switches that remove without a question and leave its own file, which
// setup then replaces.
inline constexpr char kQuietKeepSelf[] = " /S /KEEPSELF";

// Reads the InstallTo of the product's entry. False, with `installTo` empty, when there is no
// entry or it names no folder.
bool FindEarlierInstall(RegistryOps& registry, const char* folderName,
                        char (&installTo)[kPathCapacity]);

// Adds the names of the entry's record `value` (InstalledFiles, InstalledShortcuts) that
// `installed` lacks, compared ignoring case. False when the entry keeps no such record that can
// be read.
bool AddEarlierRecord(RegistryOps& registry, const char* folderName,
                      InstalledFilesRecord& installed, const char* value);

// Asks whether to move the product from `earlier` to `target`; with nobody there the run was
// started for it (/D=) and the answer is yes. Logged either way.
bool ConfirmMove(RunReport& report, const SetupSettingsRecord& settings, const char* earlier,
                 const char* target);

// Runs the earlier installation's uninstaller quietly and waits for it. True when the entry is
// gone; the files of its record still in `earlier` are then reported one by one. False, with
// the reason told, when the entry is still there: nothing may then be installed elsewhere.
bool RemoveEarlierInstall(const InstallerSystem& system, RunReport& report,
                          const SetupSettingsRecord& settings, const char* earlier);
