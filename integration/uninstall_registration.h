// Uninstall registration: the uninstall key under HKEY_LOCAL_MACHINE and the uninstaller's copy
// in the Windows directory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "description/setup_settings.h"
#include "integration/platform.h"

class RunReport;
struct SetupSettingsRecord;

constexpr char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kUninstallKeyPrefix[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kUninstallerSource[] = "UNINSTAL.EXE";
constexpr char kUninstallerSuffix[] = " Uninstall.exe";
// The uninstall key's value that records the files setup copied into InstallTo in its last run:
// REG_MULTI_SZ, each name as the distribution's listing spelled it, in no particular order.
constexpr char kInstalledFilesValue[] = "InstalledFiles";
// The shortcuts setup saved, in its last run and in the earlier ones into the same folder:
// REG_MULTI_SZ, the full path of each .lnk, and of each Start-menu group it made or used, that one
// ending in a backslash. The uninstaller deletes these and no others.
constexpr char kInstalledShortcutsValue[] = "InstalledShortcuts";
// Its room, in characters: the shortcuts of several runs with differently named groups.
constexpr std::size_t kInstalledShortcutsCapacity = 16 * 1024;

// 1 when `subKey` (followed by a backslash and `child`, when given) opens under `root` with full
// access, else 0. A name longer than a key name may be is never probed in a shortened form.
int RegKeyExists(RegistryOps& registry, RegistryRoot root, const char* subKey, const char* child);

// "<Windows directory>\<folderName> Uninstall.exe". False when the Windows directory cannot be
// read or the path does not fit.
bool ComposeUninstallerPath(FileOps& files, const char* folderName, char (&path)[kPathCapacity]);

// The uninstall key's name below HKEY_LOCAL_MACHINE. False, with `key` empty, when it does not fit.
bool ComposeUninstallKey(const char* folderName, char (&key)[kPathCapacity]);

// The room for the record of installed files, in characters: thousands of names, and still one
// fixed buffer.
constexpr std::size_t kInstalledFilesCapacity = 64 * 1024;

// The record of installed files as the copy pass builds it in a buffer of the caller's, in the
// form the value stores: each name ending in a zero, one more zero after the last.
class InstalledFilesRecord {
 public:
  InstalledFilesRecord(wchar_t* buffer, std::size_t capacity);
  // A name that does not fit spoils the record: a list missing files would pass for complete.
  // Its bytes count all the same.
  void Add(const wchar_t* name, std::uint64_t bytes = 0);
  // Adds `name` unless the list holds it already, compared ignoring case as Windows compares
  // file names.
  void AddIfMissing(const wchar_t* name);
  // No record is to be kept: the folder holds an earlier installation's files that no record
  // names, which the uninstaller then takes for installed, every file in the folder.
  void KeepNone() { keepNone_ = true; }
  bool KeepsNone() const { return keepNone_; }
  bool Complete() const { return complete_; }
  const wchar_t* List() const { return buffer_; }
  // The list's characters, the last zero included.
  std::size_t Size() const { return used_ + 1; }
  // The size of the files added, in KiB rounded up (EstimatedSize), at most 0xFFFFFFFF.
  std::uint32_t KiloBytes() const;

 private:
  wchar_t* buffer_;
  std::size_t capacity_;
  std::size_t used_ = 0;
  bool complete_;
  bool keepNone_ = false;
  std::uint64_t bytes_ = 0;
};

// Writes the entry in the list of installed programs below the uninstall key named after
// FolderName, when the uninstall root opens with full access: DisplayName, UninstallString
// (the quoted uninstaller), InstallTo, QuietUninstallString (the same with " /S"),
// InstallLocation, DisplayIcon (the installed program's file), EstimatedSize (KiB of the files
// copied), NoModify and NoRepair (1), and the record of installed files when it is complete
// (else the value is deleted and, when incomplete, reported). With `version`, the installed
// program's, DisplayVersion and Publisher follow, each deleted when the version names none.
// Then copies `uninstaller` (the distribution's UNINSTAL.EXE; null when there is none) to
// "<Windows directory>\<FolderName> Uninstall.exe" whether or not the key was written. Each value
// and the copy go to `report` when one is given; nothing is returned.
// True when the key was written.
bool RegisterUninstall(RegistryOps& registry, FileOps& files, const SetupSettingsRecord& settings,
                       const InstalledFilesRecord& installed, RunReport* report = nullptr,
                       const FileVersion* version = nullptr,
                       const char* uninstaller = kUninstallerSource);

// Writes the record of shortcuts into the entry RegisterUninstall wrote; one that did not fit is
// deleted and reported, as the record of files is.
void RecordShortcuts(RegistryOps& registry, const char* folderName,
                     const InstalledFilesRecord& shortcuts, RunReport* report);
