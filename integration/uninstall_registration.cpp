#include "integration/uninstall_registration.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/names.h"
#include "description/setup_settings.h"
#include "integration/run_report.h"

namespace {

constexpr int kProbeNameCapacity = 80;
// Room for the uninstaller path and the quotes around it.
constexpr int kCommandCapacity = kPathCapacity + 2;
// What package managers and deployment tools run to remove a program without a question.
constexpr char kQuietSwitch[] = " /S";

// Quoted, so that the system does not split the path at its space and start, say,
// C:\WINDOWS\notepad.exe for a folder named notepad.
bool QuoteCommand(const char* path, char (&command)[kCommandCapacity]) {
  command[0] = '\0';
  return AppendText(command, "\"") && AppendText(command, path) && AppendText(command, "\"");
}

}  // namespace

InstalledFilesRecord::InstalledFilesRecord(wchar_t* buffer, std::size_t capacity)
    : buffer_(buffer), capacity_(capacity), complete_(capacity > 0) {
  if (complete_)
    buffer_[0] = '\0';
}

void InstalledFilesRecord::Add(const wchar_t* name, std::uint64_t bytes) {
  bytes_ += bytes;
  std::size_t length = 1;
  while (name[length - 1])
    ++length;
  // Room is kept for the zero after the last name.
  if (!complete_ || length >= capacity_ - used_) {
    complete_ = false;
    return;
  }
  std::memcpy(buffer_ + used_, name, length * sizeof *name);
  used_ += length;
  buffer_[used_] = '\0';
}

void InstalledFilesRecord::AddIfMissing(const wchar_t* name) {
  for (std::size_t at = 0; at < used_;) {
    if (SameTextIgnoringCase(buffer_ + at, name))
      return;
    while (buffer_[at++])
      ;
  }
  Add(name);
}

std::uint32_t InstalledFilesRecord::KiloBytes() const {
  std::uint64_t kilo = bytes_ / 1024 + (bytes_ % 1024 != 0);
  return kilo > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(kilo);
}

bool ComposeUninstallerPath(FileOps& files, const char* folderName, char (&path)[kPathCapacity]) {
  char windows[kPathCapacity] = {};
  if (!files.GetWindowsFolder(windows, sizeof windows))
    return false;
  return JoinPath(path, windows, folderName) && AppendText(path, kUninstallerSuffix);
}

bool ComposeUninstallKey(const char* folderName, char (&key)[kPathCapacity]) {
  if (CopyText(key, kUninstallKeyPrefix) && AppendText(key, folderName))
    return true;
  key[0] = '\0';
  return false;
}

int RegKeyExists(RegistryOps& registry, RegistryRoot root, const char* subKey, const char* child) {
  char name[kProbeNameCapacity] = {};
  bool fits = child ? JoinPath(name, subKey, child) : CopyText(name, subKey);
  if (!fits)
    return 0;
  return registry.RegistryKeyOpens(root, name) ? 1 : 0;
}

namespace {

// The record of installed files, or none. A list missing files would pass for complete: the
// uninstaller would leave the missing names behind unnoticed. Without one it takes every file in
// the folder for installed and lists them in its question; so an incomplete list, or one an
// earlier installation there did without, is deleted rather than written.
// `overflow` says what a record too long to keep means, and `overflowKept` what it means when
// the earlier one could not be deleted either.
void WriteRecord(
    RegistryOps& registry, const char* key, const InstalledFilesRecord& installed,
    RunReport* report, const char* value = kInstalledFilesValue,
    const char* overflow =
        "over 64 KiB: the uninstaller takes every file in the folder for installed",
    const char* overflowKept = "over 64 KiB, and the earlier list could not be deleted") {
  if (installed.Complete() && !installed.KeepsNone()) {
    Report(report, Part::kValue, value,
           registry.RegistrySetMultiString(RegistryRoot::kLocalMachine, key, value,
                                           installed.List(), installed.Size()));
    return;
  }
  bool deleted = registry.RegistryDeleteValue(RegistryRoot::kLocalMachine, key, value);
  if (!installed.Complete())
    Report(report, Part::kValue, value, false, deleted ? overflow : overflowKept);
  else if (!deleted)
    Report(report, Part::kValue, value, false, "the earlier list could not be deleted");
  else if (report)
    report->Log().Line("registry value", value,
                       "left out: the earlier installation there kept none");
}

// The values of the entry below `key`, each reported. `command` is the quoted uninstaller.
void WriteValues(RegistryOps& registry, const char* key, const char* command,
                 const SetupSettingsRecord& settings, const InstalledFilesRecord& installed,
                 RunReport* report) {
  static const char* const kTextNames[] = {"DisplayName",     "UninstallString",
                                           "InstallTo",       "QuietUninstallString",
                                           "InstallLocation", "DisplayIcon"};
  static const char* const kNumberNames[] = {"EstimatedSize", "NoModify", "NoRepair"};
  char quiet[kCommandCapacity + sizeof kQuietSwitch - 1];
  char icon[kPathCapacity];
  CopyText(quiet, command);
  AppendText(quiet, kQuietSwitch);  // sized to fit
  const char* texts[] = {
      settings.FolderName,
      command,
      settings.InstallDir,
      quiet,
      settings.InstallDir,
      JoinPath(icon, settings.InstallDir, settings.ProgramFile) ? icon : nullptr};
  for (int k = 0; k < 6; ++k)
    Report(report, Part::kValue, kTextNames[k],
           texts[k] && registry.RegistrySetString(RegistryRoot::kLocalMachine, key, kTextNames[k],
                                                  texts[k]),
           texts[k] ? nullptr : kPathTooLong);
  const std::uint32_t numbers[] = {installed.KiloBytes(), 1, 1};
  for (int k = 0; k < 3; ++k)
    Report(
        report, Part::kValue, kNumberNames[k],
        registry.RegistrySetNumber(RegistryRoot::kLocalMachine, key, kNumberNames[k], numbers[k]));
  WriteRecord(registry, key, installed, report);
}

// Writes `text` as the value `name`, or deletes an earlier one when there is no text: a value
// left from an earlier version would name what is no longer installed.
void WriteOrDelete(RegistryOps& registry, const char* key, const char* name, const wchar_t* text,
                   RunReport* report) {
  if (text)
    Report(report, Part::kValue, name,
           registry.RegistrySetWideString(RegistryRoot::kLocalMachine, key, name, text));
  else if (!registry.RegistryDeleteValue(RegistryRoot::kLocalMachine, key, name))
    Report(report, Part::kValue, name, false, "the earlier value could not be deleted");
  else if (report)
    report->Log().Line("registry value", name, "left out: the program file names none");
}

void WriteVersion(RegistryOps& registry, const char* key, const FileVersion& version,
                  RunReport* report) {
  wchar_t text[kVersionTextCapacity];
  WriteOrDelete(registry, key, "DisplayVersion",
                ComposeDisplayVersion(version, text) ? text : nullptr, report);
  WriteOrDelete(registry, key, "Publisher", version.companyName[0] ? version.companyName : nullptr,
                report);
}

}  // namespace

bool RegisterUninstall(RegistryOps& registry, FileOps& files, const SetupSettingsRecord& settings,
                       const InstalledFilesRecord& installed, RunReport* report,
                       const FileVersion* version, const char* source) {
  bool written = false;
  char uninstaller[kPathCapacity] = {};
  bool havePath = ComposeUninstallerPath(files, settings.FolderName, uninstaller);

  // Below HKEY_LOCAL_MACHINE, as the log names it.
  if (!RegKeyExists(registry, RegistryRoot::kLocalMachine, kUninstallRoot, nullptr)) {
    Report(report, Part::kKey, kUninstallRoot, false, "it cannot be opened for writing");
  } else {
    char key[kPathCapacity] = {};
    char command[kCommandCapacity] = {};
    // An entry is written whole or not at all: one whose UninstallString names no file, or
    // that sits under a shortened key name, would belong to nothing.
    bool fits = havePath && QuoteCommand(uninstaller, command) &&
                ComposeUninstallKey(settings.FolderName, key);
    Report(report, Part::kKey, fits ? key : settings.FolderName, fits, kPathTooLong);
    if (fits)
      WriteValues(registry, key, command, settings, installed, report);
    written = fits;
    if (fits && version)
      WriteVersion(registry, key, *version, report);
  }

  bool copied = havePath && source && files.CopyOneFile(source, uninstaller);
  char reason[kTextCapacity];
  CopyText(reason, havePath ? "no UNINSTAL.EXE was installed from the payload" : kPathTooLong);
  if (havePath && source && !copied && report)
    files.DescribeCopyFailure(reason, sizeof reason);
  Report(report, Part::kUninstaller, havePath ? uninstaller : settings.FolderName, copied, reason);
  return written;
}

void RecordShortcuts(RegistryOps& registry, const char* folderName,
                     const InstalledFilesRecord& shortcuts, RunReport* report) {
  char key[kPathCapacity];
  if (ComposeUninstallKey(folderName, key))
    WriteRecord(registry, key, shortcuts, report, kInstalledShortcutsValue, "too long",
                "the earlier list could not be deleted");
}
