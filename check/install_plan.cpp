#include "check/install_plan.h"

#include <algorithm>
#include <memory>

#include "check/file_names.h"
#include "check/planning_platform.h"
#include "check/version_resource.h"
#include "common/file_version.h"
#include "common/names.h"
#include "description/setup_lines.h"
#include "description/setup_settings.h"
#include "integration/run_log.h"
#include "integration/run_report.h"
#include "integration/uninstall_registration.h"
#include "run/install_run.h"

namespace {

// The names the installer leaves behind, spelled exactly so.
constexpr char kInstallerName[] = "setup.exe";
constexpr char kUninstallerName[] = "uninstal.exe";
constexpr char kTooLong[] = "longer than 259 characters";
// Warnings about the folder as a whole rather than a line of setup.inf.
constexpr int kDistribution = -1;

PlanningSystem SymbolicSystem(int family) {
  PlanningSystem system = {family, kWindowsSymbol, {}};
  if (family == kFamilyWindows9x) {
    system.specialFolders[kCsidlDesktopDirectory] = kDesktopSymbol;
    system.specialFolders[kCsidlPrograms] = kProgramsSymbol;
  } else {
    system.specialFolders[kCsidlCommonDesktopDirectory] = kCommonDesktopSymbol;
    system.specialFolders[kCsidlCommonPrograms] = kCommonProgramsSymbol;
  }
  return system;
}

// The longest of the usual places of each family's folders: a path that fits these fits on
// an ordinary machine.
PlanningSystem UsualSystem(int family) {
  PlanningSystem system = {family, "C:\\WINDOWS", {}};
  if (family == kFamilyWindows9x) {
    system.specialFolders[kCsidlDesktopDirectory] = "C:\\WINDOWS\\Desktop";
    system.specialFolders[kCsidlPrograms] = "C:\\WINDOWS\\Start Menu\\Programs";
  } else {
    system.specialFolders[kCsidlCommonDesktopDirectory] =
        "C:\\Documents and Settings\\All Users\\Desktop";
    system.specialFolders[kCsidlCommonPrograms] =
        "C:\\Documents and Settings\\All Users\\Start Menu\\Programs";
  }
  return system;
}

const char* FamilyName(int family) {
  return family == kFamilyWindows9x ? "Windows 95, 98 and Me" : "Windows NT, 2000, XP and later";
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

bool StartsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

std::unique_ptr<PlanningPlatform> RunOnce(const std::string& folder,
                                          const std::vector<ListedEntry>& listing,
                                          const PlanningSystem& system,
                                          const SetupSettingsRecord& settings, bool payload) {
  std::unique_ptr<PlanningPlatform> platform(
      new PlanningPlatform(folder, listing, system, settings.InstallDir, payload));
  InstallerSystem installer(*platform);
  if (payload)
    installer.payload = platform.get();
  // The run overwrites InstallDir; the entry strings stay owned by `settings`.
  SetupSettingsRecord copy = settings;
  // As with the dialog: messages are recorded, a file that fails is skipped.
  RunLog log(*platform, nullptr);
  MessageText failures;
  RunReport report(log, *platform, false, failures);
  platform->folderRefused = RunInstall(installer, copy, report) == InstallOutcome::kFolderRefused;
  return platform;
}

// What each CreateShortcut call of a run is for: the desktop first, then each entry that the
// reader filled, in order.
struct ShortcutSource {
  bool desktop;
  int line;  // the installer's line, from 0
  std::string name;
};

std::vector<ShortcutSource> ShortcutSources(const SetupSettingsRecord& settings) {
  std::vector<ShortcutSource> sources = {{true, kLineLinkTitle, settings.LinkTitle}};
  int count = std::min<int>(settings.EntryCount, kMaxEntries);
  for (int k = 0; k < count; ++k) {
    if (settings.EntryName[k] && settings.EntryFile[k])
      sources.push_back({false, kFirstEntryLine + k, settings.EntryName[k]});
  }
  return sources;
}

std::string ShortcutLabel(const ShortcutSource& source) {
  return std::string(source.desktop ? "the desktop shortcut " : "the Start-menu shortcut ") +
         Quoted(source.name);
}

class Planner {
 public:
  Planner(const std::string& folder, const std::vector<ListedEntry>& listing,
          const SetupSettingsRecord& settings, const std::vector<ReaderLine>& lines,
          CheckWarnings* warnings, bool payload)
      : folder_(folder),
        listing_(listing),
        settings_(settings),
        lines_(lines),
        warnings_(warnings),
        payload_(payload) {}

  InstallPlan Plan();

 private:
  void Warn(int index, const std::string& text) {
    warnings_->push_back({index == kDistribution ? 0 : PhysicalLineOf(lines_, index), text});
  }
  void CopyPass(const PlanningPlatform& run);
  void Registration(const PlanningPlatform& run);
  void Shortcuts();
  PlannedLink LinkOf(const ShortcutAttempt& attempt, PlannedShortcut* shortcut);
  void FitWarnings(int family, const PlanningPlatform& symbolic);
  bool Copied(const std::string& name) const;
  // A shortcut whose name, or group, the installer will not compose into a path.
  bool LeftOutForItsName(const ShortcutSource& source) const {
    const char* group = settings_.ProductName;
    return !IsSingleName(source.name.c_str()) ||
           (!source.desktop && (!IsSingleName(group) || (group[0] && !IsFolderName(group))));
  }
  void FileWarning(int index, const std::string& what, const std::string& name,
                   const std::string& use, const std::string& after);
  void VersionWarning(const std::string& program);

  const std::string& folder_;
  const std::vector<ListedEntry>& listing_;
  const SetupSettingsRecord& settings_;
  const std::vector<ReaderLine>& lines_;
  CheckWarnings* warnings_;
  bool payload_;  // the files come from a packed program's payload, in its order
  std::unique_ptr<PlanningPlatform> run9x_;
  std::unique_ptr<PlanningPlatform> runNt_;
  InstallPlan plan_;
};

InstallPlan Planner::Plan() {
  run9x_ = RunOnce(folder_, listing_, SymbolicSystem(kFamilyWindows9x), settings_, payload_);
  runNt_ = RunOnce(folder_, listing_, SymbolicSystem(kFamilyWindowsNt), settings_, payload_);
  const PlanningPlatform& run = *runNt_;
  plan_.fromPayload = payload_;

  plan_.targetFolder = run.madeFolders.empty() ? settings_.InstallDir : run.madeFolders.front();
  if (run.folderRefused) {
    plan_.folderRefused = true;
    plan_.message = run.messages.front();
    return plan_;
  }
  CopyPass(run);
  Registration(run);
  Shortcuts();
  plan_.launched = run.started;
  plan_.launchFolder = run.currentFolder;
  plan_.launchCommand = run.commandLine;
  // A program file that is not copied is warned about with the other files.
  const std::string program = settings_.ProgramFile;
  if (program.find('"') != std::string::npos)
    Warn(kLineProgramFile, "ProgramFile " + Quoted(program) +
                               " holds '\"', which would end the quoted command and add "
                               "arguments to it: the installer does not start the program");
  else if (!run.started && Copied(program))
    Warn(kLineProgramFile,
         "the program is not started after setup: the command composed from "
         "the target folder and ProgramFile would be " +
             std::string(kTooLong));

  FitWarnings(kFamilyWindows9x, *run9x_);
  FitWarnings(kFamilyWindowsNt, *runNt_);

  FileWarning(kLineProgramFile, "ProgramFile", settings_.ProgramFile,
              "the desktop shortcut points at", ", and the program is not started after setup");
  if (Copied(program))
    VersionWarning(program);
  int count = std::min<int>(settings_.EntryCount, kMaxEntries);
  for (int k = 0; k < count; ++k) {
    if (settings_.EntryFile[k])
      FileWarning(kFirstEntryLine + k, "the entry's file", settings_.EntryFile[k],
                  "its shortcut points at", "");
  }
  return plan_;
}

void Planner::CopyPass(const PlanningPlatform& run) {
  plan_.entriesCounted = static_cast<int>(listing_.size());
  plan_.progressStep = run.progressStep;
  bool dots = run.FindListed(".", true) == "." && run.FindListed("..", true) == "..";
  if (dots && ProgressStepFor(plan_.entriesCounted - 2) != plan_.progressStep)
    plan_.progressStepAtRoot = ProgressStepFor(plan_.entriesCounted - 2);

  const std::string uninstallerFolder = std::string(kWindowsSymbol) + "\\";
  for (const ListedEntry& entry : listing_) {
    if (entry.name == "." || entry.name == "..")
      continue;
    const RecordedCopy* copy = nullptr;
    for (const RecordedCopy& c : run.copies) {
      if (c.from == entry.name && !StartsWith(c.to, uninstallerFolder))
        copy = &c;
    }
    if (copy) {
      plan_.copies.push_back({entry.name, copy->to});
      // A payload holds only what setup installs: nothing of it stays behind.
      if (!payload_ && (SameNameIgnoringCase(entry.name, kInstallerName) ||
                        SameNameIgnoringCase(entry.name, kUninstallerName)))
        Warn(kDistribution, Quoted(entry.name) +
                                " is copied into the target folder: the installer leaves "
                                "behind only \"setup.exe\" and \"uninstal.exe\", spelled "
                                "exactly so");
      continue;
    }
    std::string reason;
    if (entry.isFolder) {
      reason = "a folder: the installer copies no sub-folders";
      Warn(kDistribution, "the folder " + Quoted(entry.name) +
                              " is not copied: the installer copies no sub-folders");
    } else if (!payload_ && entry.name == kInstallerName) {
      reason = "the installer itself, which stays behind";
    } else if (!payload_ && entry.name == kUninstallerName) {
      reason = "the uninstaller's name, which stays behind";
    } else if (IsDeviceName(entry.name.c_str())) {
      reason = "a device's name: Windows would open the device, not the file";
      Warn(kDistribution, Quoted(entry.name) + " is not copied: it is named like a device (" +
                              "CON, NUL, COM1 ...), which Windows opens instead of the file");
    } else {
      reason = "its destination path would be " + std::string(kTooLong);
      Warn(kLineInstallDir, Quoted(entry.name) +
                                " is not copied: the path composed from the "
                                "target folder and its name would be " +
                                kTooLong);
    }
    plan_.passedOver.push_back({entry.name, reason});
  }
  if (run.FindListed(kUninstallerSource, false).empty())
    Warn(kDistribution,
         "the distribution holds no UNINSTAL.EXE: the uninstall entry will name an "
         "uninstaller that is never copied");
}

void Planner::Registration(const PlanningPlatform& run) {
  if (!run.registryWrites.empty()) {
    plan_.registryWritten = true;
    plan_.registryKey = run.registryWrites.front().key;
    for (const RecordedValue& value : run.registryWrites) {
      if (value.isNumber) {
        plan_.registryNumbers.push_back({value.name, value.number});
        continue;
      }
      if (!value.isList) {
        plan_.registryValues.push_back({value.name, value.data});
        continue;
      }
      // The record of shortcuts: the plan's shortcuts name them.
      if (value.name != kInstalledFilesValue)
        continue;
      plan_.installedFilesRecorded = true;
      plan_.installedFiles = value.names;
    }
    if (!plan_.installedFilesRecorded) {
      std::size_t bytes = 1;
      for (const PlannedCopy& copy : plan_.copies)
        bytes += copy.name.size() + 1;
      Warn(kDistribution, "the names of the " + std::to_string(plan_.copies.size()) +
                              " files copied take " + std::to_string(bytes) +
                              " bytes, more than the " + std::to_string(kInstalledFilesCapacity) +
                              " of the record of installed files: the uninstall entry gets no " +
                              kInstalledFilesValue +
                              " value, and the uninstaller takes every file in the folder for "
                              "installed");
    }
  } else {
    Warn(kLineInstallDir,
         "no uninstall entry is written: the key name composed from "
         "FolderName, or the uninstaller's path, would be " +
             std::string(kTooLong));
  }
  const std::string uninstallerFolder = std::string(kWindowsSymbol) + "\\";
  for (const RecordedCopy& copy : run.copies) {
    // From a payload, setup copies the uninstaller from where it installed it.
    if ((payload_ || copy.from == kUninstallerSource) && StartsWith(copy.to, uninstallerFolder)) {
      plan_.uninstallerCopied = true;
      plan_.uninstallerFrom = copy.from;
      plan_.uninstallerTo = copy.to;
    }
  }
}

PlannedLink Planner::LinkOf(const ShortcutAttempt& attempt, PlannedShortcut* shortcut) {
  PlannedLink link;
  link.folder = attempt.specialFolder;
  if (!attempt.written)
    return link;
  link.created = true;
  link.link = attempt.linkPath;
  // The link lies in the group folder the attempt made, or straight in the special folder.
  std::string holder =
      attempt.madeFolders.empty() ? attempt.specialFolder : attempt.madeFolders.back();
  shortcut->hasGroup = !attempt.madeFolders.empty();
  if (shortcut->hasGroup && StartsWith(holder, attempt.specialFolder + "\\"))
    shortcut->group = holder.substr(attempt.specialFolder.size() + 1);
  shortcut->fileName = StartsWith(attempt.linkPath, holder + "\\")
                           ? attempt.linkPath.substr(holder.size() + 1)
                           : attempt.linkPath;
  shortcut->target = attempt.target;
  shortcut->workingFolder = attempt.workingDir;
  shortcut->description = attempt.description;
  return link;
}

void Planner::Shortcuts() {
  std::vector<ShortcutSource> sources = ShortcutSources(settings_);
  std::size_t attempts = std::max(run9x_->shortcuts.size(), runNt_->shortcuts.size());
  for (std::size_t i = 0; i < attempts; ++i) {
    PlannedShortcut shortcut;
    if (i < sources.size()) {
      shortcut.desktop = sources[i].desktop;
      shortcut.line = PhysicalLineOf(lines_, sources[i].line);
      shortcut.name = sources[i].name;
    }
    if (i < run9x_->shortcuts.size())
      shortcut.family9x = LinkOf(run9x_->shortcuts[i], &shortcut);
    if (i < runNt_->shortcuts.size())
      shortcut.familyNt = LinkOf(runNt_->shortcuts[i], &shortcut);
    if ((!shortcut.family9x.created || !shortcut.familyNt.created) && i < sources.size() &&
        !LeftOutForItsName(sources[i]))
      Warn(sources[i].line, ShortcutLabel(sources[i]) +
                                " is not created: its target, composed "
                                "from the target folder and its file, or "
                                "its link path would be " +
                                std::string(kTooLong));
    plan_.shortcuts.push_back(shortcut);
  }
}

// Runs the install again where the special folders and the Windows directory have their usual,
// longest places, and names what fits with the symbols but not there.
void Planner::FitWarnings(int family, const PlanningPlatform& symbolic) {
  std::unique_ptr<PlanningPlatform> usual =
      RunOnce(folder_, listing_, UsualSystem(family), settings_, payload_);
  std::string where = std::string(" on ") + FamilyName(family) + ", whose folders usually lie at ";
  std::vector<ShortcutSource> sources = ShortcutSources(settings_);
  for (std::size_t i = 0; i < symbolic.shortcuts.size() && i < usual->shortcuts.size(); ++i) {
    const ShortcutAttempt& fits = symbolic.shortcuts[i];
    const ShortcutAttempt& there = usual->shortcuts[i];
    if (!fits.written || there.written || i >= sources.size())
      continue;
    Warn(sources[i].line, ShortcutLabel(sources[i]) + " is not created" + where +
                              Quoted(there.specialFolder) + ": its link path would be " + kTooLong);
  }
  if (family != kFamilyWindowsNt)
    return;  // the Windows directory's usual place is the same for both families
  const std::string windowsFolder = UsualSystem(family).windowsFolder;
  const std::string windows = Quoted(windowsFolder);
  bool copied = false;
  for (const RecordedCopy& copy : usual->copies)
    copied = copied || ((payload_ || copy.from == kUninstallerSource) &&
                        StartsWith(copy.to, windowsFolder + "\\"));
  if (plan_.uninstallerCopied && !copied)
    Warn(kLineInstallDir, "where the Windows directory is " + windows +
                              ", the uninstaller's path composed from FolderName would be " +
                              kTooLong +
                              ": neither the uninstall entry nor the uninstaller's "
                              "copy is made");
  else if (plan_.registryWritten && usual->registryWrites.empty())
    Warn(kLineInstallDir, "where the Windows directory is " + windows +
                              ", no uninstall entry is written: its uninstaller path would be " +
                              kTooLong);
}

bool Planner::Copied(const std::string& name) const {
  for (const PlannedCopy& copy : plan_.copies) {
    if (SameNameIgnoringCase(copy.name, name))
      return true;
  }
  return false;
}

void Planner::FileWarning(int index, const std::string& what, const std::string& name,
                          const std::string& use, const std::string& after) {
  if (Copied(name))
    return;
  std::string text;
  if (name.empty())
    text = what + " is empty: " + use + " the target folder itself";
  else if (name.find_first_of("\\/") != std::string::npos)
    text = what + " " + Quoted(name) +
           " lies in a sub-folder, and the installer copies no "
           "sub-folders: " +
           use + " a file that is not installed";
  else if (!runNt_->FindListed(name, true).empty())
    text = what + " " + Quoted(name) + " is a folder, and the installer copies no folders: " + use +
           " nothing";
  else if (!runNt_->FindListed(name, false).empty())
    text = what + " " + Quoted(name) + " is in the distribution but is not copied: " + use +
           " a file that is not installed";
  else
    text = what + " " + Quoted(name) + " is not in the distribution: " + use +
           " a file that is not installed";
  Warn(index, text + after);
}

// The installer gives the uninstall entry the program file's version and publisher, read from
// its version resource.
void Planner::VersionWarning(const std::string& program) {
  FileVersion version = {};
  const std::string listed = runNt_->FindListed(program, false);
  const bool found = ReadFileVersionResource(PathInFolder(folder_, listed), version);
  wchar_t shown[kVersionTextCapacity];
  if (ComposeDisplayVersion(version, shown))
    return;
  Warn(kLineProgramFile,
       "ProgramFile " + Quoted(program) +
           (found ? " has a version resource with neither a ProductVersion nor a file version"
                  : " has no version resource") +
           ": the list of installed programs shows no version, and package managers cannot "
           "match the product by version");
}

bool ListingOrder(const ListedEntry& a, const ListedEntry& b) {
  auto rank = [](const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; };
  if (rank(a.name) != rank(b.name))
    return rank(a.name) < rank(b.name);
  std::string x = a.name, y = b.name;
  for (char& c : x)
    c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  for (char& c : y)
    c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  return x != y ? x < y : a.name < b.name;
}

}  // namespace

InstallPlan PlanInstall(const std::string& folder, const std::vector<ListedEntry>& listing,
                        const SetupSettingsRecord& settings, const std::vector<ReaderLine>& lines,
                        CheckWarnings* warnings, bool payload) {
  return Planner(folder, listing, settings, lines, warnings, payload).Plan();
}

void SortListing(std::vector<ListedEntry>* listing) {
  std::sort(listing->begin(), listing->end(), ListingOrder);
}
