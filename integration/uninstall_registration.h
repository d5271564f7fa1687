// Uninstall registration: the uninstall key under HKEY_LOCAL_MACHINE and the uninstaller's copy
// in the Windows directory.
#pragma once

#include "description/setup_settings.h"
#include "integration/platform.h"

struct SetupSettingsRecord;

constexpr char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kUninstallKeyPrefix[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kUninstallerSource[] = "UNINSTAL.EXE";
constexpr char kUninstallerSuffix[] = " Uninstall.exe";
// The uninstall key's value that records the files setup copied into InstallTo in its last run:
// REG_MULTI_SZ, each name as the distribution's listing spelled it, in no particular order.
constexpr char kInstalledFilesValue[] = "InstalledFiles";

// 1 when `subKey` (followed by a backslash and `child`, when given) opens under `root` with full
// access, else 0. A name longer than a key name may be is never probed in a shortened form.
int RegKeyExists(RegistryOps& registry, RegistryRoot root, const char* subKey, const char* child);

// "<Windows directory>\<folderName> Uninstall.exe". False when the Windows directory cannot be
// read or the path does not fit.
bool ComposeUninstallerPath(FileOps& files, const char* folderName, char (&path)[kPathCapacity]);

// The uninstall key's name below HKEY_LOCAL_MACHINE. False, with `key` empty, when it does not fit.
bool ComposeUninstallKey(const char* folderName, char (&key)[kPathCapacity]);

// Writes DisplayName, UninstallString and InstallTo below the uninstall key named after
// FolderName, when the uninstall root opens with full access, then copies UNINSTAL.EXE to
// "<Windows directory>\<FolderName> Uninstall.exe" whether or not the key was written.
// Nothing is reported.
void RegisterUninstall(RegistryOps& registry, FileOps& files, const SetupSettingsRecord& settings);
