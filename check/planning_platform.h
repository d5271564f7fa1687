// PlanningPlatform: the installer's platform operations answered from the distribution folder and
// recorded instead of carried out, so that the installer's own code says what it would do.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "check/folder_listing.h"
#include "common/bounded_text.h"
#include "integration/platform.h"

// What one system answers: its family, its Windows directory and its special folders.
struct PlanningSystem {
  int family;
  std::string windowsFolder;
  std::map<int, std::string> specialFolders;  // by CSIDL value
};

struct RecordedCopy {
  std::string from;
  std::string to;
};

struct RecordedValue {
  std::string key;
  std::string name;
  std::string data;                // REG_SZ
  bool isList = false;             // REG_MULTI_SZ
  std::vector<std::string> names;  // its names, when a list
  bool isNumber = false;           // REG_DWORD
  std::uint32_t number = 0;
};

// One CreateShortcut call, from COM's initialisation to its end.
struct ShortcutAttempt {
  std::string specialFolder;             // the folder's path as answered; empty if never asked
  std::vector<std::string> madeFolders;  // the group folder, when one is made
  bool written = false;
  std::string linkPath;
  std::string target;
  std::string workingDir;
  std::string description;
  bool hasIcon = false;
  std::string iconFile;
};

class PlanningPlatform final : public DialogOps,
                               public FileOps,
                               public ShellOps,
                               public RegistryOps,
                               public ProcessOps,
                               public LogOps,
                               public PayloadOps,
                               public TargetOps {
 public:
  // `listing` is the distribution folder `folder` in the order the installer will see it;
  // `folderBox` the text the folder box holds when OK is pressed. From a `payload`, `listing`
  // is the payload's files in its order, extracted into `folder`.
  PlanningPlatform(const std::string& folder, const std::vector<ListedEntry>& listing,
                   const PlanningSystem& system, const std::string& folderBox,
                   bool payload = false);

  // --- What the installer did ---------------------------------------------------------------
  bool folderRefused = false;         // the run stopped at the target folder
  std::vector<std::string> messages;  // texts of the message boxes shown
  std::vector<std::string> messageTitles;
  bool quitRequested = false;
  std::vector<std::string> madeFolders;  // outside shortcuts: the target folder
  int listings = 0;
  std::vector<RecordedCopy> copies;
  int progressStep = -1;
  std::vector<RecordedValue> registryWrites;
  std::vector<ShortcutAttempt> shortcuts;
  bool started = false;
  std::string currentFolder;
  std::string commandLine;
  int endedWith = 0;

  // The listed name that `name` opens on a system whose file names ignore case; empty when
  // there is none. Folders only when `folders` is true.
  std::string FindListed(const std::string& name, bool folders) const;

  void ShowMessage(const char* text, const char* title) override;
  bool AskYesNo(const char*, const char*) override { return false; }
  void RequestQuit(int exitCode) override;
  void SetCaption(const char*) override {}
  bool GetControlText(int id, char* buf, std::size_t cap) override;
  void SetControlText(int, const char*) override {}
  int GetCheckState(int id) override;
  void SetCheckState(int, int) override {}
  void EndModal(int result) override { endedWith = result; }
  void SetProgressStep(int step) override { progressStep = step; }
  void StepProgress() override {}
  void SetProgressPos(int) override {}
  bool ReadFileHead(const char* name, char* buf, std::size_t cap, std::size_t* got) override;
  FolderCreation MakeFolder(const char* path) override;
  void ListFolder(const char* pattern, FolderVisitor& visitor) override;
  bool CopyOneFile(const char* from, const char* to) override;
  bool CopyListedFile(const wchar_t* from, const wchar_t* to) override;
  bool WidenText(const char* text, wchar_t* buf, std::size_t cap) override;
  void DescribeCopyFailure(char* buf, std::size_t cap) override {
    CopyText(buf, cap, "not in the distribution");
  }
  bool GetWindowsFolder(char* buf, std::size_t cap) override;
  int WindowsFamily() override { return system_.family; }
  bool GetSpecialFolder(int csidl, char* buf, std::size_t cap) override;
  bool BrowseForFolder(const char*, char*, std::size_t) override { return false; }
  void InitializeCom() override;
  void UninitializeCom() override { inShortcut_ = false; }
  bool WriteShellLink(const char* linkPath, const LinkInfo& info) override;
  bool RegistryKeyOpens(RegistryRoot, const char*) override { return true; }
  bool RegistrySetString(RegistryRoot root, const char* key, const char* valueName,
                         const char* data) override;
  bool RegistrySetNumber(RegistryRoot root, const char* key, const char* valueName,
                         std::uint32_t value) override;
  bool RegistrySetWideString(RegistryRoot root, const char* key, const char* valueName,
                             const wchar_t* text) override;
  // A fresh system has no value to delete.
  bool RegistryDeleteValue(RegistryRoot, const char*, const char*) override { return true; }
  bool SameFolder(const char* a, const char* b) override;
  // The version resource of the distribution's file that `path` names in the target folder.
  bool ReadFileVersion(const wchar_t* path, FileVersion& version) override;
  bool SetCurrentFolder(const char* path) override;
  bool StartProgram(const char* commandLine) override;
  // On a fresh system there is no earlier installation to remove.
  bool RunAndWait(const char*, std::uint32_t*) override { return false; }
  bool RegistrySetMultiString(RegistryRoot root, const char* key, const char* valueName,
                              const wchar_t* list, std::size_t size) override;
  void Pause(unsigned) override {}
  // The plan is of an install run without a log.
  bool OpenLog(const char*) override { return true; }
  bool AppendToLog(const char*) override { return true; }
  bool IsLog(const FolderEntry&) override { return false; }
  void LocalTimestamp(char (&stamp)[20]) override { stamp[0] = '\0'; }
  // The plan is of a target folder the administrators own, which nobody changes meanwhile.
  bool HoldTarget(const char*) override { return true; }
  FolderAccess TargetAccess() override { return FolderAccess::kAdministrators; }
  bool ProtectTarget() override { return true; }
  bool TargetInPlace() override { return true; }
  bool FileLanded(const wchar_t*, bool) override { return true; }
  bool IsKeptFile(const wchar_t*) override { return true; }
  // The install run never reads back or asks. Should it ever, the answers are those of a
  // system where nothing is found.
  bool RegistryGetString(RegistryRoot, const char*, const char*, char* buf,
                         std::size_t cap) override {
    CopyText(buf, cap, "");
    return false;
  }
  bool RegistryGetMultiString(RegistryRoot, const char*, const char*, wchar_t*, std::size_t,
                              std::size_t* size) override {
    *size = 0;
    return false;
  }
  int PayloadFileCount() override { return static_cast<int>(listing_.size()); }
  // Each file is placed as the installer asks and recorded as copied.
  bool ExtractPayload(PayloadVisitor& visitor) override;

 private:
  std::string folder_;
  const std::vector<ListedEntry>& listing_;
  std::vector<std::wstring> wideNames_;  // the listing's names, as the installer sees them
  PlanningSystem system_;
  std::string folderBox_;
  bool payload_;
  bool inShortcut_ = false;
};
