#include "run/install_run.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/names.h"
#include "common/payload_format.h"
#include "description/setup_settings.h"
#include "integration/platform.h"
#include "integration/run_report.h"
#include "integration/shortcut.h"
#include "integration/uninstall_registration.h"
#include "res/resource.h"
#include "run/earlier_install.h"
#include "run/target_folder.h"

namespace {

constexpr char kAllEntries[] = "*.*";
constexpr unsigned kPauseAfterEntryMs = 10;
constexpr unsigned kPauseAtEndMs = 100;
constexpr int kProgressEnd = 100;
constexpr int kChecked = 1;
constexpr char kFolderStep[] = "folder";
constexpr char kFolderLost[] = "the target folder was moved or replaced";
constexpr char kLandedElsewhere[] = "it landed outside the target folder";

class EntryCounter final : public FolderVisitor {
 public:
  void Visit(const FolderEntry&) override {
    if (count_ < kProgressEnd)
      ++count_;
  }
  int count() const { return count_; }

 private:
  int count_ = 0;  // past 99 the step is 0 anyway
};

// Records the names it copied with their sizes, and whether the program's own file and the
// uninstaller were among them. From a folder, a file that cannot be copied is tried again for as
// long as the user asks for it; from a payload, a file that cannot be opened for writing is. Names
// go by their wide form; the ANSI one only shows them.
class CopyPass final : public FolderVisitor, public PayloadVisitor {
 public:
  CopyPass(const InstallerSystem& system, RunReport& report, const char* target,
           const wchar_t* wideTarget, const wchar_t* programFile, InstalledFilesRecord& installed)
      : system_(system),
        report_(report),
        target_(target),
        wideTarget_(wideTarget),
        programFile_(programFile),
        installed_(installed) {}

  void Visit(const FolderEntry& entry) override {
    wchar_t destination[kPathCapacity];
    // Folders (".", ".." and sub-folders) are not descended into and cannot be copied. A
    // destination that does not fit is not copied rather than copied to a cut path.
    if (!entry.isFolder && !StaysInDistribution(entry.wideName)) {
      // A device's name would open the device, not a file of the distribution.
      if (IsDeviceName(entry.wideName))
        report_.Outcome(Part::kFile, entry.name, false, "its name is a device's");
      // Setup holds it open and writes to it: it is the run's, not the product's.
      else if (system_.log.IsLog(entry))
        report_.Log().Line("file", entry.name, "not copied", "it is this run's log");
      else if (!TargetInPlace())
        report_.Outcome(Part::kFile, entry.name, false, kFolderLost);
      else if (JoinPath(destination, wideTarget_, entry.wideName))
        Copy(entry, destination);
      else
        report_.Outcome(Part::kFile, entry.name, false, kPathTooLong);
    }
    Step();
  }

  // A payload holds only what is to be installed, the uninstaller in whatever case it is named
  // among it: nothing stays behind. Its names are checked here, as no folder listing vouches
  // for them.
  const char* Place(const wchar_t* name, const char*, std::uint64_t,
                    wchar_t* destination) override {
    if (!IsPayloadName(name))
      return "its name is no plain file name";
    if (!TargetInPlace())
      return kFolderLost;
    return JoinPath(destination, kPathCapacity, wideTarget_, name) ? nullptr : kPathTooLong;
  }
  bool Retry(const char* shown, const char* reason) override {
    return AskRetry(shown, reason) && TargetInPlace();
  }
  void Written(const wchar_t* name, const char* shown, std::uint64_t bytes, PayloadWrite write,
               const char* reason) override {
    if (write != PayloadWrite::kNone && !Landed(name)) {
      write = PayloadWrite::kNone;
      reason = kLandedElsewhere;
    }
    report_.Outcome(Part::kFile, shown, write == PayloadWrite::kWhole, reason);
    // A file cut short is setup's all the same, for the uninstaller to remove.
    if (write != PayloadWrite::kNone)
      installed_.Add(name, bytes);
    if (write == PayloadWrite::kWhole)
      Mark(name);
    Step();
  }

  bool programCopied() const { return programCopied_; }
  bool uninstallerCopied() const { return uninstallerCopied_; }

 private:
  void Copy(const FolderEntry& entry, const wchar_t* destination) {
    char reason[kTextCapacity];
    const char* why = nullptr;
    // The folder is checked again before each new attempt: the question may wait for minutes.
    while (!why && !system_.files.CopyListedFile(entry.wideName, destination)) {
      system_.files.DescribeCopyFailure(reason, sizeof reason);
      if (!AskRetry(entry.name, reason))
        why = reason;
      else if (!TargetInPlace())
        why = kFolderLost;
    }
    if (!why && !Landed(entry.wideName))
      why = kLandedElsewhere;
    report_.Outcome(Part::kFile, entry.name, !why, why);
    if (why)
      return;
    installed_.Add(entry.wideName, entry.size);
    Mark(entry.wideName);
  }
  // Once the folder is found moved or replaced, nothing more is written through its path, which
  // may now lead anywhere. Written files not found where they were meant are not recorded: the
  // uninstaller would delete whatever has their names in the folder. A file that just landed in
  // the folder shows it in place; it is looked at again before the first file and after each
  // question, which may have waited for minutes.
  bool TargetInPlace() {
    if (!inPlace_)
      lost_ = lost_ || !system_.target.TargetInPlace();
    inPlace_ = !lost_;
    return !lost_;
  }
  // The program's file stays open from here to its start.
  bool Landed(const wchar_t* name) {
    lost_ = lost_ || !system_.target.FileLanded(name, SameTextIgnoringCase(name, programFile_));
    inPlace_ = !lost_;
    return !lost_;
  }
  bool AskRetry(const char* shown, const char* reason) {
    inPlace_ = false;
    return report_.AskRetry(shown, target_, reason);
  }
  void Mark(const wchar_t* name) {
    programCopied_ = programCopied_ || SameTextIgnoringCase(name, programFile_);
    uninstallerCopied_ = uninstallerCopied_ || SameTextIgnoringCase(name, L"UNINSTAL.EXE");
  }
  // The pauses let the dialog's bar be seen moving; with nobody watching they only cost time.
  void Step() {
    system_.dialog.StepProgress();
    if (!report_.Unattended())
      system_.processes.Pause(kPauseAfterEntryMs);
  }

  const InstallerSystem& system_;
  RunReport& report_;
  const char* target_;
  const wchar_t* wideTarget_;
  const wchar_t* programFile_;
  InstalledFilesRecord& installed_;
  bool programCopied_ = false;
  bool uninstallerCopied_ = false;
  bool lost_ = false;
  bool inPlace_ = false;  // seen in place since the last question
};

class LinkFinder final : public FolderVisitor {
 public:
  void Visit(const FolderEntry& entry) override { found_ = found_ || entry.isReparsePoint; }
  bool found() const { return found_; }

 private:
  bool found_ = false;
};

// True when `path` or a folder on the way to it is a link or junction. A folder that someone
// else prepared so would lead the copies, and the program started after them, anywhere.
bool PassesThroughLink(FileOps& files, const char* path) {
  char part[kPathCapacity] = {};
  LinkFinder finder;
  for (std::size_t end = 1; path[end - 1] != '\0' && !finder.found(); ++end) {
    char next = path[end];
    char last = path[end - 1];
    // A drive ("C:") and a text ending in a separator name no entry of their own.
    if ((next != '\0' && next != '\\' && next != '/') || last == ':' || last == '\\' ||
        last == '/' || end >= sizeof part)
      continue;
    std::memcpy(part, path, end);
    part[end] = '\0';
    files.ListFolder(part, finder);
  }
  return finder.found();
}

void CreateMenuShortcuts(const InstallerSystem& system, const SetupSettingsRecord& settings,
                         const char* target, RunReport& report, InstalledFilesRecord& made) {
  // The reader refuses counts above the tables; the bound holds whatever filled the record.
  int count = settings.EntryCount < kMaxEntries ? settings.EntryCount : kMaxEntries;
  for (int k = 0; k < count; ++k) {
    const char* name = settings.EntryName[k];
    const char* file = settings.EntryFile[k];
    if (!name || !file)
      continue;  // declared by the count but never read
    CreateShortcut(system.shell, system.files, kCsidlPrograms, kCsidlCommonPrograms,
                   settings.ProductName, name, target, file, name, kLinkIcon, &report, &made);
  }
}

// Starts the program when the run-after box is checked and this run copied its file, still held
// open in the held folder: a file that it did not copy may be anybody's, and would be started
// with setup's rights. The command
// is quoted: unquoted, a folder such as C:\Program Files\Viewer makes the system try
// C:\Program.exe first. A quote in the name would end the quoted path and add arguments.
void StartInstalledProgram(const InstallerSystem& system, const SetupSettingsRecord& settings,
                           const char* target, const wchar_t* programFile, bool copied,
                           RunLog& log) {
  char command[kPathCapacity + 2];
  command[0] = '"';
  const char* why;
  if (system.dialog.GetCheckState(IDC_RUN_AFTER) != kChecked) {
    why = "not asked for";
  } else if (!copied) {
    why = "not copied by this run";
  } else if (!system.target.IsKeptFile(programFile)) {
    why = "it is no longer the file this run copied";
  } else if (std::strchr(settings.ProgramFile, '"')) {
    why = "its name holds a quote";
  } else if (!JoinPath(command + 1, kPathCapacity, target, settings.ProgramFile) ||
             !AppendText(command, "\"")) {
    why = kPathTooLong;
  } else {
    system.processes.SetCurrentFolder(target);
    log.Line("program", command,
             system.processes.StartProgram(command) ? "started" : "could not be started");
    return;
  }
  log.Line("program", settings.ProgramFile, "not started", why);
}

// The version resource of the program file this run copied; null when it copied none, and the
// entry keeps what it said of the file there before.
const FileVersion* InstalledVersion(FileOps& files, const wchar_t* target,
                                    const wchar_t* programFile, bool copied) {
  // Static storage keeps the install run's frame small.
  static FileVersion version;
  wchar_t path[kPathCapacity];
  if (!copied || !JoinPath(path, target, programFile))
    return nullptr;
  files.ReadFileVersion(path, version);
  return &version;
}

}  // namespace

namespace {

bool SameName(const wchar_t* a, const wchar_t* b) {
  while (*a && *a == *b)
    ++a, ++b;
  return *a == *b;
}

}  // namespace

bool StaysInDistribution(const wchar_t* name) {
  return SameName(name, L"setup.exe") || SameName(name, L"uninstal.exe");
}

int ProgressStepFor(int entries) {
  if (entries < 0)
    entries = 0;
  if (entries >= kProgressEnd)
    return 0;
  return kProgressEnd / (entries + 1);
}

InstallOutcome RunInstall(const InstallerSystem& system, SetupSettingsRecord& settings,
                          RunReport& report) {
  char target[kPathCapacity] = {};
  wchar_t wideTarget[kPathCapacity];
  // A folder text too long for a path is refused like any other folder that cannot be made,
  // and so is a folder reached through a link, before anything is made through it.
  bool read = system.dialog.GetControlText(IDC_FOLDER, target, sizeof target) &&
              system.files.WidenText(target, wideTarget, kPathCapacity);
  if (!read || PassesThroughLink(system.files, target)) {
    report.Tell(kFolderStep, read ? target : kPathTooLong, kCannotCreateFolder, "");
    return InstallOutcome::kFolderRefused;
  }
  // The product installed before: into the same folder its record grows, into another it is
  // removed from there first, or both folders would hold files that only one entry knows.
  char earlier[kPathCapacity] = {};
  bool hasEarlier = FindEarlierInstall(system.registry, settings.FolderName, earlier);
  bool moving = hasEarlier && !system.files.SameFolder(target, earlier);
  if (moving && !ConfirmMove(report, settings, earlier, target))
    return InstallOutcome::kFolderRefused;
  FolderCreation made = system.files.MakeFolder(target);
  if (made == FolderCreation::kFailed) {
    report.Tell(kFolderStep, target, kCannotCreateFolder, "");
    return InstallOutcome::kFolderRefused;
  }
  if (const char* why =
          SecureTarget(system.target, report.Log(), target, made == FolderCreation::kCreated)) {
    report.Log().Line(kFolderStep, target, "refused", why);
    char text[kTextCapacity];
    CopyText(text, "This folder cannot be used: ");
    AppendText(text, why);
    AppendText(text, ".\n\nPlease choose another folder.");
    if (!report.Unattended())
      report.Dialog().ShowMessage(text, "");
    return InstallOutcome::kFolderRefused;
  }
  if (moving && !RemoveEarlierInstall(system, report, settings, earlier))
    return InstallOutcome::kFolderRefused;
  report.Log().Line(kFolderStep, target, made == FolderCreation::kCreated ? "created" : "exists");
  CopyText(settings.InstallDir, target);

  EntryCounter counter;
  if (!system.payload)
    system.files.ListFolder(kAllEntries, counter);
  system.dialog.SetProgressStep(
      ProgressStepFor(system.payload ? system.payload->PayloadFileCount() : counter.count()));
  // Static storage: zero-filled, it takes no room in the program file.
  static wchar_t installedNames[kInstalledFilesCapacity];
  InstalledFilesRecord installed(installedNames, kInstalledFilesCapacity);
  // A program file that does not fit matches no name.
  wchar_t programFile[kTextCapacity];
  system.files.WidenText(settings.ProgramFile, programFile, kTextCapacity);
  CopyPass copy(system, report, target, wideTarget, programFile, installed);
  if (!system.payload)
    system.files.ListFolder(kAllEntries, copy);
  else if (!system.payload->ExtractPayload(copy))
    report.Outcome(Part::kPayload, "the files after those above", false);
  // An earlier entry without a record of files leaves none kept: to the uninstaller that means
  // every file in the folder, which still holds the earlier files. Its shortcuts add to this
  // run's, so that a group renamed since is still known.
  static wchar_t shortcutPaths[kInstalledShortcutsCapacity];
  InstalledFilesRecord shortcuts(shortcutPaths, kInstalledShortcutsCapacity);
  if (hasEarlier && !moving) {
    if (!AddEarlierRecord(system.registry, settings.FolderName, installed, kInstalledFilesValue))
      installed.KeepNone();
    AddEarlierRecord(system.registry, settings.FolderName, shortcuts, kInstalledShortcutsValue);
  }

  // From a payload, the uninstaller is registered from the copy this run wrote.
  char uninstaller[kPathCapacity];
  const char* source = kUninstallerSource;
  if (system.payload)
    source = copy.uninstallerCopied() && JoinPath(uninstaller, target, kUninstallerSource)
                 ? uninstaller
                 : nullptr;
  bool registered = RegisterUninstall(
      system.registry, system.files, settings, installed, &report,
      InstalledVersion(system.files, wideTarget, programFile, copy.programCopied()), source);

  CreateShortcut(system.shell, system.files, kCsidlDesktopDirectory, kCsidlCommonDesktopDirectory,
                 nullptr, settings.LinkTitle, target, settings.ProgramFile, settings.LinkTitle,
                 kLinkIcon, &report, &shortcuts);
  CreateMenuShortcuts(system, settings, target, report, shortcuts);
  if (registered)
    RecordShortcuts(system.registry, settings.FolderName, shortcuts, &report);

  system.dialog.SetProgressPos(kProgressEnd);
  if (!report.Unattended())
    system.processes.Pause(kPauseAtEndMs);
  report.ShowFailures();
  system.dialog.EndModal(kIdOk);

  // The window lives until the handler returns, so the box can still be read.
  StartInstalledProgram(system, settings, target, programFile, copy.programCopied(), report.Log());
  return report.Failures() ? InstallOutcome::kIncomplete : InstallOutcome::kInstalled;
}
