// The narrow interfaces through which the portable core reaches Windows, one per role. The Win32
// implementations live in integration/win32; native tests use one recording fake for all roles.
// Every operation reports the outcome its callers rely on and nothing more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "common/file_version.h"
#include "common/folder_access.h"
#include "integration/link_info.h"

// Shell special folders (CSIDL values).
constexpr int kCsidlPrograms = 2;                   // Start-menu programs, 95/98 family
constexpr int kCsidlDesktopDirectory = 0x10;        // desktop, 95/98 family
constexpr int kCsidlCommonPrograms = 0x17;          // all users' Start-menu programs, NT family
constexpr int kCsidlCommonDesktopDirectory = 0x19;  // all users' desktop, NT family

// Platform identifiers of the Windows families.
constexpr int kFamilyWindows9x = 1;
constexpr int kFamilyWindowsNt = 2;

// Dialog results and control ids shared with the resource script.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

enum class FolderCreation {
  kCreated,
  kAlreadyExists,  // the name exists (a folder, or a file of that name)
  kFailed,         // missing parent, invalid name, no permission, ...
};

enum class RegistryRoot {
  kLocalMachine,
  // HKEY_LOCAL_MACHINE as the system's own programs see it. On 64-bit Windows a 32-bit program
  // otherwise sees its own part of HKLM\Software, which names its own "Program Files (x86)".
  // Only read: opening, writing and deleting keys there fail.
  kLocalMachineSystemView,
};

// What became of a file or folder that was to be removed.
enum class Removal {
  kRemoved,
  kMissing,   // nothing of that name was there
  kInUse,     // a program holds it open
  kReadOnly,  // marked read-only
  kNotEmpty,  // a folder that still holds something
  kDenied,    // no permission, or the file of a running program
  kFailed,
  kChanged,  // no longer the plain file, or the folder, that was checked: left, whatever it is
};

// What names a file or folder whatever path leads to it: its volume and its index there.
struct FileIdentity {
  std::uint32_t volume;
  std::uint64_t index;
};

// Zero, as in a plan that read none, counts as a failure.
enum class IdentityRead {
  kFailed,  // missing, not a folder, a link or junction, or it cannot be opened
  kRead,
  kNotKept,  // the system keeps none (the 95/98 family, which has no links either)
};

// One entry of a folder listing, as a bare name. On the NT family names are Unicode: `wideName`
// is the name itself, `name` only shows it (characters outside the ANSI code page approximated).
// On 95/98 `name` is the name and `wideName` the same, widened.
struct FolderEntry {
  const char* name;
  const wchar_t* wideName;
  bool isFolder;
  bool isReparsePoint;  // a link or junction
  std::uint64_t size;   // bytes, for a file
};

class FolderVisitor {
 public:
  virtual void Visit(const FolderEntry& entry) = 0;

 protected:
  ~FolderVisitor() = default;
};

// The roles. Each is a small interface; a program is built with the roles it takes, so that
// setup.exe carries none of the uninstaller's removal operations.

// The one dialog, its controls and its message boxes.
class DialogOps {
 public:
  // A message box owned by the dialog, with an OK button and no icon; returns when closed.
  virtual void ShowMessage(const char* text, const char* title) = 0;
  // A question with Yes and No buttons and a question icon; true when Yes was chosen.
  virtual bool AskYesNo(const char* text, const char* title) = 0;
  // Asks the modal loop to end; the process then exits with `exitCode`.
  virtual void RequestQuit(int exitCode) = 0;

  virtual void SetCaption(const char* text) = 0;
  // Reads a control's text into `buf`. False, with `buf` empty, when it does not fit.
  virtual bool GetControlText(int id, char* buf, std::size_t cap) = 0;
  virtual void SetControlText(int id, const char* text) = 0;
  // Check box state: 0 cleared, 1 checked, 2 indeterminate.
  virtual int GetCheckState(int id) = 0;
  virtual void SetCheckState(int id, int state) = 0;
  // Ends the modal dialog with `result`; the window lives on until the handler returns.
  virtual void EndModal(int result) = 0;

  // The progress bar, range 0 to 100.
  virtual void SetProgressStep(int step) = 0;
  virtual void StepProgress() = 0;
  virtual void SetProgressPos(int pos) = 0;

 protected:
  ~DialogOps() = default;
};

// Reading, listing, making and copying files and folders.
class FileOps {
 public:
  // Reads up to `cap` bytes from the start of a file. False when it cannot be opened.
  virtual bool ReadFileHead(const char* name, char* buf, std::size_t cap, std::size_t* got) = 0;
  // Creates the last component of `path` only.
  virtual FolderCreation MakeFolder(const char* path) = 0;
  // Every entry matching `pattern`, in the platform's order.
  virtual void ListFolder(const char* pattern, FolderVisitor& visitor) = 0;
  // Copies a file, replacing an existing one; fails on folders, read-only and hidden targets.
  virtual bool CopyOneFile(const char* from, const char* to) = 0;
  // The same for a listed name (FolderEntry::wideName) and a path composed from it.
  virtual bool CopyListedFile(const wchar_t* from, const wchar_t* to) = 0;
  // `text` in the ANSI code page, converted to wide. False, with `buf` empty, when it does not fit.
  virtual bool WidenText(const char* text, wchar_t* buf, std::size_t cap) = 0;
  // Why the last CopyOneFile that failed did, in the system's words, on one line.
  virtual void DescribeCopyFailure(char* buf, std::size_t cap) = 0;
  // The Windows directory, without a trailing backslash unless it is a drive root.
  // False when it cannot be read or does not fit.
  virtual bool GetWindowsFolder(char* buf, std::size_t cap) = 0;
  // True when both paths name the same existing folder however they are spelled (letter case,
  // short names, a second drive letter for it). Where the system cannot tell, their full path
  // names are compared without regard to case.
  virtual bool SameFolder(const char* a, const char* b) = 0;
  // The version resource of the program file `path`. False, with `version` zero-filled, when
  // the file has none or cannot be read.
  virtual bool ReadFileVersion(const wchar_t* path, FileVersion& version) = 0;

 protected:
  ~FileOps() = default;
};

// The shell: the Windows family, special folders, the folder browser and shell links.
class ShellOps {
 public:
  // The platform identifier: 1 for the 95/98 family, 2 for NT, 0 when the query fails.
  virtual int WindowsFamily() = 0;
  // The full path of a special folder. False when it cannot be resolved or does not fit.
  virtual bool GetSpecialFolder(int csidl, char* buf, std::size_t cap) = 0;
  // Runs the shell's folder browser. False when the user cancelled; otherwise `path`
  // holds what the shell made of the chosen item (empty when it had no file-system path).
  virtual bool BrowseForFolder(const char* title, char* path, std::size_t cap) = 0;
  // COM for the calling thread, around each shortcut.
  virtual void InitializeCom() = 0;
  virtual void UninitializeCom() = 0;
  // Writes a .lnk file through the shell's link object. True when it was saved.
  virtual bool WriteShellLink(const char* linkPath, const LinkInfo& info) = 0;

 protected:
  ~ShellOps() = default;
};

// Keys and values below a root; deleting keys belongs to the removal role.
class RegistryOps {
 public:
  // True when `key` opens with full access.
  virtual bool RegistryKeyOpens(RegistryRoot root, const char* key) = 0;
  // Creates or opens `key` and, when `valueName` is given, writes `data` as REG_SZ.
  // True when the key was created or opened and the value, when given, written.
  virtual bool RegistrySetString(RegistryRoot root, const char* key, const char* valueName,
                                 const char* data) = 0;
  // Writes `value` as REG_DWORD into an existing or new `key`. True when it was written.
  virtual bool RegistrySetNumber(RegistryRoot root, const char* key, const char* valueName,
                                 std::uint32_t value) = 0;
  // Writes `size` characters of `list` as REG_MULTI_SZ into an existing or new `key`: names each
  // ending in a zero, and one more zero after the last. True when the value was written.
  virtual bool RegistrySetMultiString(RegistryRoot root, const char* key, const char* valueName,
                                      const wchar_t* list, std::size_t size) = 0;
  // Writes `text` as REG_SZ into an existing or new `key`. True when the value was written.
  virtual bool RegistrySetWideString(RegistryRoot root, const char* key, const char* valueName,
                                     const wchar_t* text) = 0;
  // Deletes the value `valueName` of `key`. True when it is gone, or was never there. A value,
  // unlike a key, holds nothing that another program could have put below it.
  virtual bool RegistryDeleteValue(RegistryRoot root, const char* key, const char* valueName) = 0;
  // Reads a REG_SZ value. False, with `buf` empty, when the key or value is missing, the value
  // is of another type, or it does not fit.
  virtual bool RegistryGetString(RegistryRoot root, const char* key, const char* valueName,
                                 char* buf, std::size_t cap) = 0;
  // Reads a REG_MULTI_SZ value into `buf` (`cap` characters); `*size` gets its characters. The
  // list in `buf` always ends in two zeros, even where the stored value lacks them. False, with
  // `*size` 0, when the key or value is missing, the value is of another type, or it does not fit.
  virtual bool RegistryGetMultiString(RegistryRoot root, const char* key, const char* valueName,
                                      wchar_t* buf, std::size_t cap, std::size_t* size) = 0;

 protected:
  ~RegistryOps() = default;
};

// Starting the installed program, and the pauses of the copy pass.
class ProcessOps {
 public:
  virtual bool SetCurrentFolder(const char* path) = 0;
  // Starts a command line, shown normally. Not waited for. True when it was started.
  virtual bool StartProgram(const char* commandLine) = 0;
  // Starts a command line without a window of its own and waits until it has ended. False when
  // it could not be started; else `*exitCode` gets its exit code.
  virtual bool RunAndWait(const char* commandLine, std::uint32_t* exitCode) = 0;
  virtual void Pause(unsigned milliseconds) = 0;

 protected:
  ~ProcessOps() = default;
};

// The uninstaller's own operations: its own file, folder identity, and removing files, folders
// and keys now or at the next start. A folder that a user may change is emptied through a hold:
// its identity is read when the plan is made, and after the question it is opened again, held
// and checked, and each file is deleted through a handle checked against it.
class RemovalOps {
 public:
  // The full path of the running program's own file. False when it does not fit.
  virtual bool GetOwnPath(char* buf, std::size_t cap) = 0;
  // Deletes one file; a link is deleted as itself, never followed.
  virtual Removal DeleteOneFile(const char* path) = 0;
  // Removes a folder when it is empty.
  virtual Removal RemoveEmptyFolder(const char* path) = 0;
  // Marks a file to be deleted when Windows next starts. False when it cannot be marked.
  virtual bool DeleteAtRestart(const char* path) = 0;
  // Deletes `key`, which must hold no sub-keys. True when it was deleted.
  virtual bool RegistryDeleteKey(RegistryRoot root, const char* key) = 0;
  // True when `key` holds a value `valueName`, of whatever type and size.
  virtual bool RegistryValueExists(RegistryRoot root, const char* key, const char* valueName) = 0;
  // False only when `key` is known not to exist; a key this user may not read counts as there.
  virtual bool RegistryKeyExists(RegistryRoot root, const char* key) = 0;
  // `text` converted to the ANSI code page. False, with `buf` empty, when it does not fit or a
  // character has no form there (a stand-in would name another file).
  virtual bool NarrowText(const wchar_t* text, char* buf, std::size_t cap) = 0;

  // The identity of the folder `path` names, opened without following a link or junction.
  virtual IdentityRead ReadFolderIdentity(const char* path, FileIdentity* identity) = 0;
  // Opens the folder `path` names without following a link or junction and holds it open, so
  // that it cannot be renamed or removed, until ReleaseFolder or RemoveHeldFolder. False,
  // holding nothing, when it is not a real folder of that identity.
  virtual bool HoldFolder(const char* path, const FileIdentity& identity) = 0;
  // Deletes the file `name` (a single name) of the held folder through a handle opened without
  // following a link, once that handle shows a plain file directly in the held folder; else
  // kChanged, and nothing is deleted. kFailed when no folder is held.
  virtual Removal DeleteHeldFile(const wchar_t* name) = 0;
  // Lets the held folder go and removes it, through a handle, when it is empty and its path
  // still names it (kChanged when it names anything else).
  virtual Removal RemoveHeldFolder() = 0;
  virtual void ReleaseFolder() = 0;

 protected:
  ~RemovalOps() = default;
};

// The folder setup installs into, held from its check to the end of the run: open without
// delete sharing, so that nobody can rename it, remove it or put a link in its place. Each file
// written into it is checked to have landed there, and the program to start stays open from its
// copy to its start, so that nobody can change or replace it meanwhile. On the 95/98 family,
// which has neither permissions nor links, every check passes and nothing is held.
class TargetOps {
 public:
  // Holds the folder `path` names, opened without following a link or junction. False, holding
  // nothing, when it is not a real folder.
  virtual bool HoldTarget(const char* path) = 0;
  // Who may change the held folder.
  virtual FolderAccess TargetAccess() = 0;
  // Gives the held folder permissions of its own (WriteOwnFolderAcl), none inherited.
  virtual bool ProtectTarget() = 0;
  // True while the held folder's path still names it, reached through no link or junction.
  virtual bool TargetInPlace() = 0;
  // True when the file `name` (a single name) that was just written is a plain file directly in
  // the held folder, its path still leading there. With `keep` it stays open until the program
  // ends, shared for reading only, in place of the one kept before.
  virtual bool FileLanded(const wchar_t* name, bool keep) = 0;
  // True when `name` in the held folder still is the file kept by FileLanded.
  virtual bool IsKeptFile(const wchar_t* name) = 0;

 protected:
  ~TargetOps() = default;
};

// How much of one file of the payload reached its destination.
enum class PayloadWrite {
  kNone,   // nothing: not opened, or left out
  kWhole,  // every byte its entry announced
  kPart,   // opened and written, but not to its end: the file there is cut short
};

// Decides where each file of the payload goes, and hears what became of it.
class PayloadVisitor {
 public:
  // Before file `name` (`shown` in the ANSI code page, for messages and logs) of `bytes` bytes is
  // written: fills `destination` (MAX_PATH characters) and returns null, or returns why it is
  // left out.
  virtual const char* Place(const wchar_t* name, const char* shown, std::uint64_t bytes,
                            wchar_t* destination) = 0;
  // Its destination could not be opened for `reason`: whether to try again.
  virtual bool Retry(const char* shown, const char* reason) = 0;
  // What became of it, with why when it was not written whole. Once for every file.
  virtual void Written(const wchar_t* name, const char* shown, std::uint64_t bytes,
                       PayloadWrite write, const char* reason) = 0;

 protected:
  ~PayloadVisitor() = default;
};

// The payload a packed setup program carries in its own file: its files, written straight into
// their destinations. Only a program that carries one has this role.
class PayloadOps {
 public:
  virtual int PayloadFileCount() = 0;
  // Writes the payload's files one by one, each where `visitor` places it. False when the
  // payload could not be read to its end; each file met is still told to `visitor`.
  virtual bool ExtractPayload(PayloadVisitor& visitor) = 0;

 protected:
  ~PayloadOps() = default;
};

// The log of a run: lines appended to a plain-text file, and the local time to stamp them with.
class LogOps {
 public:
  // Opens the file `path` for the run, once: its full path is taken against the current folder
  // now, and it stays open (others may read it, not change it) until the program ends. Created
  // when missing, never truncated. False, opening nothing, when it cannot be opened or is no
  // plain file of its own: a link or junction (never followed, even when dangling), a file with
  // other hard links, a folder or a device.
  virtual bool OpenLog(const char* path) = 0;
  // Appends `text` to the open log, on disk at once. False when none is open or it was not
  // written whole.
  virtual bool AppendToLog(const char* text) = 0;
  // True when the listed `entry` of the current folder is the open log.
  virtual bool IsLog(const FolderEntry& entry) = 0;
  // The local date and time, "YYYY-MM-DD hh:mm:ss".
  virtual void LocalTimestamp(char (&stamp)[20]) = 0;

 protected:
  ~LogOps() = default;
};

namespace platform_detail {
// True for one object that carries out several roles at once, as the test fakes do.
template <class All, class System>
using IfAllRoles = typename std::enable_if<!std::is_base_of<System, All>::value, int>::type;
}  // namespace platform_detail

// What setup.exe works with: every role but removal.
struct InstallerSystem {
  InstallerSystem(DialogOps& dialog, FileOps& files, ShellOps& shell, RegistryOps& registry,
                  ProcessOps& processes, LogOps& log, TargetOps& target)
      : dialog(dialog),
        files(files),
        shell(shell),
        registry(registry),
        processes(processes),
        log(log),
        target(target) {}
  template <class All, platform_detail::IfAllRoles<All, InstallerSystem> = 0>
  InstallerSystem(All& all) : InstallerSystem(all, all, all, all, all, all, all) {}

  DialogOps& dialog;
  FileOps& files;
  ShellOps& shell;
  RegistryOps& registry;
  ProcessOps& processes;
  LogOps& log;
  TargetOps& target;
  // The files come from here, not from the current folder, when setup.exe carries a payload.
  PayloadOps* payload = nullptr;
};

// What UNINSTAL.EXE works with: every role but starting programs.
struct UninstallerSystem {
  UninstallerSystem(DialogOps& dialog, FileOps& files, ShellOps& shell, RegistryOps& registry,
                    RemovalOps& removal, LogOps& log)
      : dialog(dialog),
        files(files),
        shell(shell),
        registry(registry),
        removal(removal),
        log(log) {}
  template <class All, platform_detail::IfAllRoles<All, UninstallerSystem> = 0>
  UninstallerSystem(All& all) : UninstallerSystem(all, all, all, all, all, all) {}

  DialogOps& dialog;
  FileOps& files;
  ShellOps& shell;
  RegistryOps& registry;
  RemovalOps& removal;
  LogOps& log;
};

// Scope of COM initialisation for one shortcut.
class ComScope {
 public:
  explicit ComScope(ShellOps& shell) : shell_(shell) { shell_.InitializeCom(); }
  ~ComScope() { shell_.UninitializeCom(); }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  ShellOps& shell_;
};
