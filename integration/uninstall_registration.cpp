#include "integration/uninstall_registration.h"

#include <cstring>

#include "common/bounded_text.h"
#include "description/setup_settings.h"

namespace {

constexpr int kProbeNameCapacity = 80;
// Room for the uninstaller path and the quotes around it.
constexpr int kCommandCapacity = kPathCapacity + 2;

// Quoted, so that the system does not split the path at its space and start, say,
// C:\WINDOWS\notepad.exe for a folder named notepad.
bool QuoteCommand(const char* path, char (&command)[kCommandCapacity]) {
  command[0] = '\0';
  return AppendText(command, "\"") && AppendText(command, path) && AppendText(command, "\"");
}

}  // namespace

InstalledFilesRecord::InstalledFilesRecord(char* buffer, std::size_t capacity)
    : buffer_(buffer), capacity_(capacity), complete_(capacity > 0) {
  if (complete_)
    buffer_[0] = '\0';
}

void InstalledFilesRecord::Add(const char* name) {
  std::size_t length = std::strlen(name) + 1;
  // Room is kept for the zero after the last name.
  if (!complete_ || length >= capacity_ - used_) {
    complete_ = false;
    return;
  }
  std::memcpy(buffer_ + used_, name, length);
  used_ += length;
  buffer_[used_] = '\0';
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

void RegisterUninstall(RegistryOps& registry, FileOps& files, const SetupSettingsRecord& settings,
                       const InstalledFilesRecord& installed) {
  char uninstaller[kPathCapacity] = {};
  bool havePath = ComposeUninstallerPath(files, settings.FolderName, uninstaller);

  if (RegKeyExists(registry, RegistryRoot::kLocalMachine, kUninstallRoot, nullptr)) {
    char key[kPathCapacity] = {};
    char command[kCommandCapacity] = {};
    // An entry is written whole or not at all: one whose UninstallString names no file, or
    // that sits under a shortened key name, would belong to nothing.
    if (havePath && QuoteCommand(uninstaller, command) &&
        ComposeUninstallKey(settings.FolderName, key)) {
      registry.RegistrySetString(RegistryRoot::kLocalMachine, key, "DisplayName",
                                 settings.FolderName);
      registry.RegistrySetString(RegistryRoot::kLocalMachine, key, "UninstallString", command);
      registry.RegistrySetString(RegistryRoot::kLocalMachine, key, "InstallTo",
                                 settings.InstallDir);
      // An incomplete record is left out: without one the uninstaller takes every file in the
      // folder for installed, with one it would leave the missing names behind unnoticed.
      if (installed.Complete())
        registry.RegistrySetMultiString(RegistryRoot::kLocalMachine, key, kInstalledFilesValue,
                                        installed.List(), installed.Size());
    }
  }

  if (havePath)
    files.CopyOneFile(kUninstallerSource, uninstaller);
}
