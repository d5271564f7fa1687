// Win32Platform: the platform operations carried out by the Windows API.
// Its dialog operations act on the window given by SetDialog.
#pragma once

#include <windows.h>

#include "integration/platform.h"

class Win32Platform final : public Platform {
 public:
  void SetDialog(HWND dialog) { dialog_ = dialog; }
  HWND Dialog() const { return dialog_; }

  // Dialog and messages: dialog_ops.cpp
  void ShowMessage(const char* text, const char* title) override;
  void RequestQuit(int exitCode) override;
  void SetCaption(const char* text) override;
  bool GetControlText(int id, char* buf, std::size_t cap) override;
  void SetControlText(int id, const char* text) override;
  int GetCheckState(int id) override;
  void SetCheckState(int id, int state) override;
  void EndModal(int result) override;
  void SetProgressStep(int step) override;
  void StepProgress() override;
  void SetProgressPos(int pos) override;

  // Reading setup.inf: read_file_head.cpp
  bool ReadFileHead(const char* name, char* buf, std::size_t cap, std::size_t* got) override;

  // Files and processes: file_ops.cpp
  FolderCreation MakeFolder(const char* path) override;
  void ListFolder(const char* pattern, FolderVisitor& visitor) override;
  bool CopyOneFile(const char* from, const char* to) override;
  bool GetWindowsFolder(char* buf, std::size_t cap) override;
  bool SetCurrentFolder(const char* path) override;
  void StartProgram(const char* commandLine) override;
  void Pause(unsigned milliseconds) override;

  // Shell and COM: shell_ops.cpp
  int WindowsFamily() override;
  bool GetSpecialFolder(int csidl, char* buf, std::size_t cap) override;
  void InitializeCom() override;
  void UninitializeCom() override;
  bool WriteShellLink(const char* linkPath, const LinkInfo& info) override;

  // Folder browser: browse_ops.cpp
  bool BrowseForFolder(const char* title, char* path, std::size_t cap) override;

  // Registry: registry.cpp
  bool RegistryKeyOpens(RegistryRoot root, const char* key) override;
  bool RegistrySetString(RegistryRoot root, const char* key, const char* valueName,
                         const char* data) override;

  // Uninstalling: uninstall_ops.cpp
  bool RegistryGetString(RegistryRoot root, const char* key, const char* valueName, char* buf,
                         std::size_t cap) override;
  bool RegistryDeleteKey(RegistryRoot root, const char* key) override;
  bool AskYesNo(const char* text, const char* title) override;
  bool GetOwnPath(char* buf, std::size_t cap) override;
  bool SameFolder(const char* a, const char* b) override;
  Removal DeleteOneFile(const char* path) override;
  Removal RemoveEmptyFolder(const char* path) override;
  bool DeleteAtRestart(const char* path) override;

 private:
  HWND dialog_ = nullptr;
};
