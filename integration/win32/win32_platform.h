// The platform roles carried out by the Windows API, one class a role, so that a program links
// only the roles it uses. Win32Dialog acts on the window given by SetDialog (none: message boxes
// without an owner); Win32Shell's folder browser is owned by that window too.
#pragma once

#include <windows.h>

#include "integration/platform.h"
#include "integration/win32/file_identity.h"
#include "integration/win32/unique_handle.h"

// The NT family keeps names in Unicode; 95/98 has ANSI names only and stubs for the wide calls.
inline bool IsNtFamily() {
  return !(GetVersion() & 0x80000000u);
}

// dialog_ops.cpp
class Win32Dialog final : public DialogOps {
 public:
  void SetDialog(HWND dialog) { dialog_ = dialog; }
  HWND Dialog() const { return dialog_; }

  void ShowMessage(const char* text, const char* title) override;
  bool AskYesNo(const char* text, const char* title) override;
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

 private:
  HWND dialog_ = nullptr;
};

// Why a call failed with `error`, in the system's words, on one line (file_ops.cpp).
void DescribeError(DWORD error, char* buf, std::size_t cap);

// file_ops.cpp; ReadFileHead in read_file_head.cpp. It reads no version resource:
// Win32InstallerFiles does, so that only setup.exe carries the version library's calls.
class Win32Files : public FileOps {
 public:
  bool ReadFileHead(const char* name, char* buf, std::size_t cap, std::size_t* got) override;
  FolderCreation MakeFolder(const char* path) override;
  void ListFolder(const char* pattern, FolderVisitor& visitor) override;
  bool CopyOneFile(const char* from, const char* to) override;
  bool CopyListedFile(const wchar_t* from, const wchar_t* to) override;
  bool WidenText(const char* text, wchar_t* buf, std::size_t cap) override;
  void DescribeCopyFailure(char* buf, std::size_t cap) override;
  bool GetWindowsFolder(char* buf, std::size_t cap) override;
  bool SameFolder(const char* a, const char* b) override;  // file_identity.cpp
  bool ReadFileVersion(const wchar_t*, FileVersion& version) override {
    version = FileVersion{};
    return false;
  }

 private:
  // Kept at once: a message box or a log line in between would overwrite the thread's own.
  DWORD copyError_ = 0;
};

// file_version_ops.cpp. From a payload, setup.inf is read from memory, not from a folder.
class Win32InstallerFiles final : public Win32Files {
 public:
  bool ReadFileVersion(const wchar_t* path, FileVersion& version) override;
  void UseSetupInfo(const char* text, std::size_t size) {
    setupInfo_ = text;
    setupInfoSize_ = size;
  }
  bool ReadFileHead(const char* name, char* buf, std::size_t cap, std::size_t* got) override;

 private:
  const char* setupInfo_ = nullptr;
  std::size_t setupInfoSize_ = 0;
};

// shell_ops.cpp; BrowseForFolder in browse_ops.cpp
class Win32Shell final : public ShellOps {
 public:
  constexpr explicit Win32Shell(const Win32Dialog& owner) : owner_(owner) {}

  int WindowsFamily() override;
  bool GetSpecialFolder(int csidl, char* buf, std::size_t cap) override;
  bool BrowseForFolder(const char* title, char* path, std::size_t cap) override;
  void InitializeCom() override;
  void UninitializeCom() override;
  bool WriteShellLink(const char* linkPath, const LinkInfo& info) override;

 private:
  const Win32Dialog& owner_;
};

// registry.cpp. The writer reads nothing; Win32Registry adds the readers (registry_read.cpp),
// which setup.exe uses to find the product's earlier installation.
class Win32RegistryWriter : public RegistryOps {
 public:
  bool RegistryKeyOpens(RegistryRoot root, const char* key) override;
  bool RegistrySetString(RegistryRoot root, const char* key, const char* valueName,
                         const char* data) override;
  bool RegistrySetNumber(RegistryRoot root, const char* key, const char* valueName,
                         std::uint32_t value) override;
  bool RegistrySetMultiString(RegistryRoot root, const char* key, const char* valueName,
                              const wchar_t* list, std::size_t size) override;
  bool RegistrySetWideString(RegistryRoot root, const char* key, const char* valueName,
                             const wchar_t* text) override;
  bool RegistryDeleteValue(RegistryRoot root, const char* key, const char* valueName) override;
  bool RegistryGetString(RegistryRoot, const char*, const char*, char* buf,
                         std::size_t cap) override {
    if (cap)
      buf[0] = '\0';
    return false;
  }
  bool RegistryGetMultiString(RegistryRoot, const char*, const char*, wchar_t*, std::size_t,
                              std::size_t* size) override {
    *size = 0;
    return false;
  }
};

class Win32Registry final : public Win32RegistryWriter {
 public:
  bool RegistryGetString(RegistryRoot root, const char* key, const char* valueName, char* buf,
                         std::size_t cap) override;
  bool RegistryGetMultiString(RegistryRoot root, const char* key, const char* valueName,
                              wchar_t* buf, std::size_t cap, std::size_t* size) override;
};

// process_ops.cpp
class Win32Processes final : public ProcessOps {
 public:
  bool SetCurrentFolder(const char* path) override;
  bool StartProgram(const char* commandLine) override;
  bool RunAndWait(const char* commandLine, std::uint32_t* exitCode) override;
  void Pause(unsigned milliseconds) override;
};

// log_ops.cpp. The log stays open until the program ends.
class Win32Log final : public LogOps {
 public:
  bool OpenLog(const char* path) override;
  bool AppendToLog(const char* text) override;
  bool IsLog(const FolderEntry& entry) override;
  void LocalTimestamp(char (&stamp)[20]) override;

 private:
  // Closed by the system when the program ends: setup keeps its roles in static storage,
  // which has no destructors to run.
  HANDLE file_ = nullptr;
};

// target_ops.cpp. Its handles are closed by the system when the program ends (see Win32Log).
// The security calls and ntdll's file calls are looked up when used: the program still starts
// on 95/98, where every check passes.
class Win32Target final : public TargetOps {
 public:
  bool HoldTarget(const char* path) override;
  FolderAccess TargetAccess() override;
  bool ProtectTarget() override;
  bool TargetInPlace() override;
  bool FileLanded(const wchar_t* name, bool keep) override;
  bool IsKeptFile(const wchar_t* name) override;

 private:
  // A file of the held folder, opened without following a link, when it lies directly in it:
  // its name on its volume, every link on the way followed, is the held folder's and its own.
  HANDLE OpenLanded(const wchar_t* name, DWORD access, DWORD share, FileIdentity* identity);

  bool nt_ = false;  // the NT family: folders can be held, and there are links and permissions
  HANDLE held_ = nullptr;
  HANDLE kept_ = nullptr;
  FileIdentity heldIdentity_ = {};
  FileIdentity keptIdentity_ = {};
  wchar_t heldPath_[MAX_PATH] = {};
  FileSystemName heldName_ = {};
  NtFileCalls calls_ = {};
};

// What setup.exe works with, one set for the program: the dialog and a run with no window
// share it. Its dialog operations act on the setup dialog once that is initialised.
struct Win32Installer {
  PayloadOps* payload;  // set when the program carries an intact payload
  Win32Dialog dialog;
  Win32InstallerFiles files;
  Win32Shell shell{dialog};
  Win32Registry registry;
  Win32Processes processes;
  Win32Log log;
  Win32Target target;
};

// removal_ops.cpp. The held folder's operations use ntdll's file calls, which every system of
// the NT family has and which are looked up when used: the program still starts on 95/98.
class Win32Removal final : public RemovalOps {
 public:
  bool GetOwnPath(char* buf, std::size_t cap) override;
  Removal DeleteOneFile(const char* path) override;
  Removal RemoveEmptyFolder(const char* path) override;
  bool DeleteAtRestart(const char* path) override;
  bool RegistryDeleteKey(RegistryRoot root, const char* key) override;
  bool RegistryValueExists(RegistryRoot root, const char* key, const char* valueName) override;
  bool RegistryKeyExists(RegistryRoot root, const char* key) override;
  bool NarrowText(const wchar_t* text, char* buf, std::size_t cap) override;
  IdentityRead ReadFolderIdentity(const char* path, FileIdentity* identity) override;
  bool HoldFolder(const char* path, const FileIdentity& identity) override;
  Removal DeleteHeldFile(const wchar_t* name) override;
  Removal RemoveHeldFolder() override;
  void ReleaseFolder() override;

 private:
  UniqueHandle held_;
  char heldPath_[MAX_PATH] = {};
  wchar_t heldWidePath_[MAX_PATH] = {};
  FileIdentity heldIdentity_ = {};
  FileSystemName heldName_ = {};
  NtFileCalls nt_ = {};
};
