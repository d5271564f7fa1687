#include "run/install_run.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/names.h"
#include "description/setup_settings.h"
#include "integration/platform.h"
#include "integration/shortcut.h"
#include "integration/uninstall_registration.h"
#include "res/resource.h"

namespace {

constexpr char kAllEntries[] = "*.*";
constexpr unsigned kPauseAfterEntryMs = 10;
constexpr unsigned kPauseAtEndMs = 100;
constexpr int kProgressEnd = 100;
constexpr int kChecked = 1;

// The distribution's own programs stay behind. Exact comparison: "SETUP.EXE" and "UNINSTAL.EXE"
// are copied like any other file.
bool IsExcluded(const char* name) {
  return std::strcmp(name, "setup.exe") == 0 || std::strcmp(name, "uninstal.exe") == 0;
}

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

// Records the names it copied, and whether the program's own file was among them.
class CopyPass final : public FolderVisitor {
 public:
  CopyPass(const InstallerSystem& system, const char* target, const char* programFile,
           InstalledFilesRecord& installed)
      : system_(system), target_(target), programFile_(programFile), installed_(installed) {}

  void Visit(const FolderEntry& entry) override {
    char name[kTextCapacity] = {};
    char destination[kPathCapacity] = {};
    // A name or destination that does not fit is not copied rather than copied to a cut path.
    // Folders (".", ".." and sub-folders) are not descended into and cannot be copied.
    if (!entry.isFolder && CopyText(name, entry.name) && !IsExcluded(name) &&
        JoinPath(destination, target_, name) && system_.files.CopyOneFile(name, destination)) {
      installed_.Add(name);
      programCopied_ = programCopied_ || SameTextIgnoringCase(name, programFile_);
    }
    system_.dialog.StepProgress();
    system_.processes.Pause(kPauseAfterEntryMs);
  }
  bool programCopied() const { return programCopied_; }

 private:
  const InstallerSystem& system_;
  const char* target_;
  const char* programFile_;
  InstalledFilesRecord& installed_;
  bool programCopied_ = false;
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
                         const char* target) {
  // The reader refuses counts above the tables; the bound holds whatever filled the record.
  int count = settings.EntryCount < kMaxEntries ? settings.EntryCount : kMaxEntries;
  for (int k = 0; k < count; ++k) {
    const char* name = settings.EntryName[k];
    const char* file = settings.EntryFile[k];
    if (!name || !file)
      continue;  // declared by the count but never read
    CreateShortcut(system.shell, system.files, kCsidlPrograms, kCsidlCommonPrograms,
                   settings.ProductName, name, target, file, name, kLinkIcon);
  }
}

// The command is quoted: unquoted, a folder such as C:\Program Files\Viewer makes the system
// try C:\Program.exe first. A quote in the name would end the quoted path and add arguments.
void StartInstalledProgram(ProcessOps& processes, const SetupSettingsRecord& settings,
                           const char* target) {
  char path[kPathCapacity] = {};
  char command[kPathCapacity + 2] = {};
  if (std::strchr(settings.ProgramFile, '"') || !JoinPath(path, target, settings.ProgramFile))
    return;
  if (!AppendText(command, "\"") || !AppendText(command, path) || !AppendText(command, "\""))
    return;
  processes.SetCurrentFolder(target);
  processes.StartProgram(command);
}

}  // namespace

int ProgressStepFor(int entries) {
  if (entries < 0)
    entries = 0;
  if (entries >= kProgressEnd)
    return 0;
  return kProgressEnd / (entries + 1);
}

InstallOutcome RunInstall(const InstallerSystem& system, SetupSettingsRecord& settings) {
  char target[kPathCapacity] = {};
  // A folder text too long for a path is refused like any other folder that cannot be made,
  // and so is a folder reached through a link, before anything is made through it.
  if (!system.dialog.GetControlText(IDC_FOLDER, target, sizeof target) ||
      PassesThroughLink(system.files, target) ||
      system.files.MakeFolder(target) == FolderCreation::kFailed) {
    system.dialog.ShowMessage(kCannotCreateFolder, "");
    return InstallOutcome::kFolderRefused;
  }
  CopyText(settings.InstallDir, target);

  EntryCounter counter;
  system.files.ListFolder(kAllEntries, counter);
  system.dialog.SetProgressStep(ProgressStepFor(counter.count()));
  // Static storage: zero-filled, it takes no room in the program file.
  static char installedNames[kInstalledFilesCapacity];
  InstalledFilesRecord installed(installedNames, sizeof installedNames);
  CopyPass copy(system, target, settings.ProgramFile, installed);
  system.files.ListFolder(kAllEntries, copy);

  RegisterUninstall(system.registry, system.files, settings, installed);

  CreateShortcut(system.shell, system.files, kCsidlDesktopDirectory, kCsidlCommonDesktopDirectory,
                 nullptr, settings.LinkTitle, target, settings.ProgramFile, settings.LinkTitle,
                 kLinkIcon);
  CreateMenuShortcuts(system, settings, target);

  system.dialog.SetProgressPos(kProgressEnd);
  system.processes.Pause(kPauseAtEndMs);
  system.dialog.EndModal(kIdOk);

  // The window lives until the handler returns, so the box can still be read. A program file
  // that this run did not copy may be anybody's, and would be started with setup's rights.
  if (system.dialog.GetCheckState(IDC_RUN_AFTER) == kChecked && copy.programCopied())
    StartInstalledProgram(system.processes, settings, target);
  return InstallOutcome::kInstalled;
}
