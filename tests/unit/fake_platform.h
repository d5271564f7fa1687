// FakePlatform: a recording stand-in for every role of the platform, for native tests.
// Every call is appended to `calls` as one readable line, in order; answers come from the
// public fields, which a test sets up beforehand.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "integration/platform.h"

class FakePlatform final : public PayloadOps,
                           public DialogOps,
                           public FileOps,
                           public ShellOps,
                           public RegistryOps,
                           public ProcessOps,
                           public RemovalOps,
                           public LogOps,
                           public TargetOps {
 public:
  struct Entry {
    std::string name;
    bool isFolder = false;
    bool isReparsePoint = false;
    std::uint64_t size = 0;
  };

  // --- What the fake answers -----------------------------------------------------------
  std::map<std::string, std::string> files;          // name -> bytes, for ReadFileHead
  std::map<std::string, FolderCreation> makeFolder;  // path -> result; default kCreated
  std::vector<Entry> listing;                        // ListFolder's answer for "*.*"
  std::set<std::string> copyFails;                   // sources whose copy fails
  std::string copyFailure = "The file is in use.";   // DescribeCopyFailure's answer
  std::set<std::string> valueFails;                  // registry values not written
  bool startFails = false;
  std::string windowsFolder = "C:\\WINDOWS";  // empty: the query fails
  int family = kFamilyWindowsNt;
  std::map<int, std::string> specialFolders;  // csidl -> path; missing: unresolved
  bool browseChooses = false;                 // false: the user cancels
  std::string browsePath;                     // what the browser returns
  std::map<int, std::string> controlText;     // also updated by SetControlText
  std::map<int, int> checkState;              // also updated by SetCheckState
  std::set<std::string> openableKeys;         // registry keys that open with full access
  bool registryWritable = true;               // also: keys can be deleted
  // What RegistryRoot::kLocalMachineSystemView reads: key -> value -> data.
  std::map<std::string, std::map<std::string, std::string>> systemViewRegistry;
  // Every other pattern is answered from `tree`: "<folder>\*.*" lists ".", ".." and the folder's
  // children, any other pattern the entry of that exact path (nothing when it is missing).
  // Deleting and removing take entries out of it.
  std::map<std::string, Entry> tree;            // full path -> entry
  std::map<std::string, Removal> removalFails;  // path -> what deleting or removing it gives
  std::map<std::string, std::string> aliases;   // lower-case path -> lower-case folder it names
  std::string ownPath;                          // empty: it cannot be read
  bool answerYes = false;
  bool restartDeletionWorks = true;
  // Folder identities: a real folder in `tree` has the one of its canonical path unless
  // `identities` gives another (lower-case path -> index). False: the system keeps none (95/98).
  bool identitiesKept = true;
  std::map<std::string, std::uint64_t> identities;
  // Files of the held folder whose handle turns out to lie elsewhere (full paths).
  std::set<std::string> openedElsewhere;
  // Run by AskYesNo while the question is open: what a user changes meanwhile.
  std::function<void(FakePlatform&)> whileAsking;
  // Version resources of program files, by full path; missing: the file has none.
  std::map<std::string, FileVersion> versions;
  // The payload's files, in order: a file whose destination cannot be opened, or that is cut
  // short while it is written. ExtractPayload answers false when `payloadReadThrough` is false.
  struct PayloadFile {
    std::string name;
    std::uint64_t bytes = 0;
    bool opens = true;
    bool whole = true;
  };
  std::vector<PayloadFile> payloadFiles;
  bool payloadReadThrough = true;
  // RunAndWait: what the started command does before it ends, and its exit code.
  std::function<void(FakePlatform&)> whileRunning;
  std::uint32_t runExitCode = 0;
  bool runFails = false;

  // The target folder: who may change it, before and after ProtectTarget; whether it can be
  // held and protected. `swapDuring` names the file during whose writing the folder is replaced:
  // that file lands elsewhere and the folder is no longer in place. `keptReplaced`: the kept
  // program file is replaced before its start.
  FolderAccess targetAccess = FolderAccess::kAdministrators;
  FolderAccess accessAfterProtect = FolderAccess::kAdministrators;
  bool targetHolds = true;
  bool protectWorks = true;
  std::string swapDuring;
  bool keptReplaced = false;

  std::string timestamp = "2026-12-07 09:30:00";  // for LocalTimestamp
  bool logWritable = true;  // false: OpenLog fails, as for a log that is refused
  std::string logListedAs;  // the listed name that is the open log; empty: none is

  // --- What the fake saw ------------------------------------------------------------------
  std::map<std::string, std::string> logs;  // path -> what was appended
  int logOpenings = 0;
  std::vector<std::string> calls;
  std::string caption;
  int progressPos = 0;
  int progressStep = 10;                                               // the control's default step
  std::map<std::string, std::map<std::string, std::string>> registry;  // key -> value -> data
  std::map<std::string, std::string> copied;                           // destination -> source
  std::vector<std::string> deletedAtRestart;
  std::string heldFolder;  // empty when none is held
  std::string heldTarget;  // the target folder setup holds; empty when none
  std::string keptFile;    // the file FileLanded keeps open

  // Puts a file, folder or link (a reparse point) into `tree` under its full path.
  void AddFile(const std::string& path);
  void AddFolder(const std::string& path);
  void AddLink(const std::string& path, bool toFolder);

  // Calls whose line starts with `prefix`, in order.
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

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
  bool ReadFileHead(const char* name, char* buf, std::size_t cap, std::size_t* got) override;
  FolderCreation MakeFolder(const char* path) override;
  void ListFolder(const char* pattern, FolderVisitor& visitor) override;
  bool CopyOneFile(const char* from, const char* to) override;
  bool CopyListedFile(const wchar_t* from, const wchar_t* to) override;
  bool WidenText(const char* text, wchar_t* buf, std::size_t cap) override;
  void DescribeCopyFailure(char* buf, std::size_t cap) override;
  bool GetWindowsFolder(char* buf, std::size_t cap) override;
  int WindowsFamily() override;
  bool GetSpecialFolder(int csidl, char* buf, std::size_t cap) override;
  bool BrowseForFolder(const char* title, char* path, std::size_t cap) override;
  void InitializeCom() override;
  void UninitializeCom() override;
  bool WriteShellLink(const char* linkPath, const LinkInfo& info) override;
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
  bool RegistryGetString(RegistryRoot root, const char* key, const char* valueName, char* buf,
                         std::size_t cap) override;
  bool RegistryGetMultiString(RegistryRoot root, const char* key, const char* valueName,
                              wchar_t* buf, std::size_t cap, std::size_t* size) override;
  bool RegistryDeleteKey(RegistryRoot root, const char* key) override;
  bool AskYesNo(const char* text, const char* title) override;
  bool GetOwnPath(char* buf, std::size_t cap) override;
  bool SameFolder(const char* a, const char* b) override;
  bool ReadFileVersion(const wchar_t* path, FileVersion& version) override;
  Removal DeleteOneFile(const char* path) override;
  Removal RemoveEmptyFolder(const char* path) override;
  bool DeleteAtRestart(const char* path) override;
  bool RegistryValueExists(RegistryRoot root, const char* key, const char* valueName) override;
  bool RegistryKeyExists(RegistryRoot root, const char* key) override;
  bool NarrowText(const wchar_t* text, char* buf, std::size_t cap) override;
  IdentityRead ReadFolderIdentity(const char* path, FileIdentity* identity) override;
  bool HoldFolder(const char* path, const FileIdentity& identity) override;
  Removal DeleteHeldFile(const wchar_t* name) override;
  Removal RemoveHeldFolder() override;
  void ReleaseFolder() override;
  bool SetCurrentFolder(const char* path) override;
  bool StartProgram(const char* commandLine) override;
  bool RunAndWait(const char* commandLine, std::uint32_t* exitCode) override;
  void Pause(unsigned milliseconds) override;
  int PayloadFileCount() override { return static_cast<int>(payloadFiles.size()); }
  // Written files go to `copied` as "<payload>".
  bool ExtractPayload(PayloadVisitor& visitor) override;
  // The log's lines go to `logs`, not to `calls`.
  bool OpenLog(const char* path) override;
  bool AppendToLog(const char* text) override;
  bool IsLog(const FolderEntry& entry) override;
  void LocalTimestamp(char (&stamp)[20]) override;
  bool HoldTarget(const char* path) override;
  FolderAccess TargetAccess() override;
  bool ProtectTarget() override;
  bool TargetInPlace() override;
  bool FileLanded(const wchar_t* name, bool keep) override;
  bool IsKeptFile(const wchar_t* name) override;

 private:
  // The identity of the real folder `path` names now, or false.
  bool IdentityNow(const std::string& path, FileIdentity* identity) const;
  Removal Delete(const std::string& path);
  Removal RemoveFolderEntry(const std::string& path);

  FileIdentity heldIdentity_ = {};
  bool protected_ = false;
  bool swapped_ = false;
  std::string openLog_;  // empty: no log is open
};
