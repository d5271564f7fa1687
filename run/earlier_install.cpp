#include "run/earlier_install.h"

#include <cstdint>
#include <initializer_list>

#include "common/bounded_text.h"
#include "common/names.h"
#include "description/setup_reader.h"
#include "integration/platform.h"
#include "integration/run_report.h"
#include "integration/uninstall_registration.h"

namespace {

constexpr char kEarlierStep[] = "earlier installation";
constexpr std::size_t kQuestionCapacity = 1024;

// The entry's record, read into static storage: zero-filled, it takes no room in the program
// file. False when there is none that can be read.
bool ReadRecord(RegistryOps& registry, const char* folderName, const wchar_t** names,
                const char* value = kInstalledFilesValue) {
  static wchar_t record[kInstalledFilesCapacity + 2];
  char key[kPathCapacity];
  std::size_t size = 0;
  *names = record;
  return ComposeUninstallKey(folderName, key) &&
         registry.RegistryGetMultiString(RegistryRoot::kLocalMachine, key, value, record,
                                         kInstalledFilesCapacity + 2, &size);
}

const wchar_t* NextName(const wchar_t* name) {
  while (*name)
    ++name;
  return name + 1;
}

void Compose(char (&text)[kQuestionCapacity], std::initializer_list<const char*> pieces) {
  text[0] = '\0';
  for (const char* piece : pieces)
    AppendText(text, piece);
}

// Reports each file of the earlier record that its uninstaller left in the earlier folder.
class LeftFiles final : public FolderVisitor {
 public:
  LeftFiles(RunReport& report, const char* folder, const wchar_t* names)
      : report_(report), folder_(folder), names_(names) {}

  void Visit(const FolderEntry& entry) override {
    if (entry.isFolder)
      return;
    for (const wchar_t* name = names_; *name; name = NextName(name)) {
      char path[kPathCapacity];
      if (SameTextIgnoringCase(name, entry.wideName)) {
        report_.Outcome(Part::kEarlierFile, JoinPath(path, folder_, entry.name) ? path : entry.name,
                        false, "its uninstaller left it");
        return;
      }
    }
  }

 private:
  RunReport& report_;
  const char* folder_;
  const wchar_t* names_;
};

}  // namespace

bool FindEarlierInstall(RegistryOps& registry, const char* folderName,
                        char (&installTo)[kPathCapacity]) {
  char key[kPathCapacity];
  return ComposeUninstallKey(folderName, key) &&
         registry.RegistryGetString(RegistryRoot::kLocalMachine, key, "InstallTo", installTo,
                                    kPathCapacity) &&
         installTo[0] != '\0';
}

bool AddEarlierRecord(RegistryOps& registry, const char* folderName,
                      InstalledFilesRecord& installed, const char* value) {
  const wchar_t* names = nullptr;
  if (!ReadRecord(registry, folderName, &names, value))
    return false;
  for (const wchar_t* name = names; *name; name = NextName(name))
    installed.AddIfMissing(name);
  return true;
}

bool ConfirmMove(RunReport& report, const SetupSettingsRecord& settings, const char* earlier,
                 const char* target) {
  bool yes = true;
  if (!report.Unattended()) {
    char question[kQuestionCapacity];
    Compose(question, {settings.ProductName, " is installed in \"", earlier,
                       "\".\n\nTo install it in \"", target,
                       "\", setup first removes it from there with its uninstaller. Files that "
                       "setup did not install are kept.\n\nContinue?"});
    yes = report.Dialog().AskYesNo(question, kSetupInfoTitle);
  }
  report.Log().Line(
      kEarlierStep, earlier,
      yes ? "removed first: another folder was chosen" : "kept: the move was declined");
  return yes;
}

bool RemoveEarlierInstall(const InstallerSystem& system, RunReport& report,
                          const SetupSettingsRecord& settings, const char* earlier) {
  // Read first: afterwards the record is gone with the entry.
  const wchar_t* names = nullptr;
  bool recorded = ReadRecord(system.registry, settings.FolderName, &names);
  char uninstaller[kPathCapacity];
  char command[kPathCapacity + 2 + sizeof kQuietKeepSelf];
  std::uint32_t code = 0;
  const char* why = nullptr;
  command[0] = '"';
  if (!ComposeUninstallerPath(system.files, settings.FolderName, uninstaller) ||
      !CopyText(command + 1, sizeof command - 1, uninstaller) || !AppendText(command, "\"") ||
      !AppendText(command, kQuietKeepSelf))
    why = kPathTooLong;
  else if (!system.processes.RunAndWait(command, &code))
    why = "its uninstaller could not be started";
  char ended[48];
  CopyText(ended, "its uninstaller ended with exit code ");
  char digits[11];
  AppendText(ended, DecimalDigits(code, digits));

  char still[kPathCapacity];
  if (!why && !FindEarlierInstall(system.registry, settings.FolderName, still)) {
    report.Log().Line(kEarlierStep, earlier, "removed", ended);
    LeftFiles left(report, earlier, names);
    char pattern[kPathCapacity];
    if (recorded && JoinPath(pattern, earlier, "*.*"))
      system.files.ListFolder(pattern, left);
    return true;
  }
  if (!why)
    why = ended;
  report.Log().Line(kEarlierStep, earlier, "not removed: nothing was installed", why);
  if (!report.Unattended()) {
    char message[kQuestionCapacity];
    Compose(message, {settings.ProductName, " could not be removed from \"", earlier, "\" (", why,
                      "), so it was not installed in another folder.\n\nInstall it in \"", earlier,
                      "\" again, or remove it from the list of installed programs first."});
    report.Dialog().ShowMessage(message, kSetupInfoTitle);
  }
  return false;
}
