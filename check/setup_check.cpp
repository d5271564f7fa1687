#include "check/setup_check.h"

#include <cstdio>
#include <cstdlib>

#include "check/check_report.h"
#include "check/code_page.h"
#include "check/description_lines.h"
#include "check/description_warnings.h"
#include "check/folder_listing.h"
#include "check/planning_platform.h"
#include "check/sha256.h"
#include "check/winget_manifest.h"
#include "description/setup_reader.h"

namespace {

const char kUsage[] =
    "usage: setup-check [--json] [--codepage N] [DIR | PACKED.exe]\n"
    "       setup-check --winget [--codepage N] PACKED.exe\n"
    "Checks DIR/setup.inf (DIR defaults to the current folder) with the installer's own reader,\n"
    "warns of every line the installer will read otherwise than meant, and shows what the\n"
    "installer would install. A packed setup program (made by setup-pack) is checked as the\n"
    "distribution its payload carries. Exit status: 0 when the installer accepts the\n"
    "description, 1 when it would stop with one of its messages, 2 for a usage error or a file\n"
    "that carries no intact payload.\n"
    "  --json   one JSON object on standard output instead of the text report\n"
    "  --winget the installer manifest of the Windows Package Manager for PACKED.exe\n"
    "  --codepage N\n"
    "           warn of file names that machines using ANSI code page N cannot show\n"
    "           (default 1252); the code page of setup.inf's text and of the payload's names\n"
    "           that are not marked as UTF-8\n";

// A temporary folder that goes, with what was put into it, when the check is done.
class PrivateFolder {
 public:
  PrivateFolder() : path_(MakePrivateFolder()) {}
  ~PrivateFolder() {
    if (!path_.empty())
      RemovePrivateFolder(path_);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The value setup writes to the uninstall entry as `name`; empty when it writes none.
std::string PlannedValue(const InstallPlan& plan, const char* name) {
  for (const auto& value : plan.registryValues) {
    if (value.first == name)
      return value.second;
  }
  return "";
}

int WingetReport(const CheckResult& result, int codePage, std::string* out, std::string* err) {
  const PackedFile& packed = result.payload;
  const std::string fail = "setup-check: " + packed.path + ": ";
  if (result.refused) {
    *err += fail + "the installer stops with this message: " + result.message + "\n";
    return kCheckRefused;
  }
  WingetPackage package;
  const char* architecture = WingetArchitecture(packed.machine);
  if (!architecture) {
    char machine[7];
    std::snprintf(machine, sizeof machine, "0x%04X", packed.machine);
    *err += fail + "setup.exe is built for the machine " + machine +
            ", which the package manager names no architecture for\n";
    return kCheckUsage;
  }
  package.architecture = architecture;
  if (!Sha256OfFile(packed.path, &package.sha256)) {
    *err += fail + "cannot be read\n";
    return kCheckUsage;
  }
  if (!Utf8FromCodePage(result.settings.FolderName, codePage, &package.folderName)) {
    *err += fail + "FolderName holds bytes that code page " + std::to_string(codePage) +
            " has no characters for\n";
    return kCheckUsage;
  }
  package.fileName = packed.path.substr(packed.path.find_last_of("/\\") + 1);
  package.displayVersion = PlannedValue(result.plan, "DisplayVersion");
  package.publisher = PlannedValue(result.plan, "Publisher");
  *out += WingetInstallerManifest(package);
  if (!result.warnings.empty())
    *err += "setup-check: " + std::to_string(result.warnings.size()) +
            (result.warnings.size() == 1 ? " warning; setup-check " : " warnings; setup-check ") +
            packed.path + " shows them\n";
  return kCheckAccepted;
}

// Far more than the installer ever reads: its lines that matter lie within the first 16 KB, and
// anything beyond is only warned about as ignored.
constexpr std::size_t kWarningReadLimit = 1 << 20;

}  // namespace

CheckResult::CheckResult() : settings() {}

CheckResult::~CheckResult() {
  FreeEntryStrings(settings);
}

void CheckDistribution(const std::string& folder, CheckResult* result, int codePage,
                       const std::vector<ListedEntry>* payload) {
  result->folder = folder;
  std::vector<ListedEntry> listing;
  if (payload) {
    listing = *payload;
  } else {
    ListFolderEntries(folder, &listing);
    SortListing(&listing);
  }

  // The installer's own reader, over a platform that answers from the folder.
  PlanningSystem noSystem = {0, "", {}};
  PlanningPlatform reading(folder, listing, noSystem, "");
  ReadSetupInfo(reading, reading, result->settings);
  if (!reading.messages.empty()) {
    result->refused = true;
    result->message = reading.messages.front();
    result->messageTitle = reading.messageTitles.front();
  }

  std::string bytes;
  std::string listed = reading.FindListed(kSetupInfoName, false);
  if (listed.empty() || !ReadFileStart(PathInFolder(folder, listed), kWarningReadLimit, &bytes))
    return;
  std::vector<ReaderLine> lines = ReadLinesAsInstaller(bytes);
  result->warnings = DescriptionWarnings(bytes, lines, result->settings);
  if (result->refused)
    return;
  result->planned = true;
  result->plan =
      PlanInstall(folder, listing, result->settings, lines, &result->warnings, payload != nullptr);
  // Copied under its own name all the same; the code page only shows it, in the uninstaller's
  // question for one.
  for (const PlannedCopy& copy : result->plan.copies) {
    std::string shown;
    if (!ShownInCodePage(copy.name, codePage, &shown))
      result->warnings.push_back({0, "\"" + copy.name + "\": shown as \"" + shown +
                                         "\" on machines using code page " +
                                         std::to_string(codePage)});
  }
  SortWarnings(&result->warnings);
}

bool CheckPackedFile(PackedFile& packed, CheckResult* result, int codePage, std::string* error) {
  PrivateFolder folder;
  if (folder.path().empty()) {
    *error = "no temporary folder could be made for its payload";
    return false;
  }
  if (!ExtractPayload(&packed, folder.path(), codePage, error))
    return false;
  CheckDistribution(folder.path(), result, codePage, &packed.files);
  result->folder = packed.path;
  result->packed = true;
  result->payload = packed;
  return true;
}

int RunSetupCheck(const std::vector<std::string>& args, std::string* out, std::string* err) {
  bool json = false;
  bool winget = false;
  int codePage = 1252;
  bool wantCodePage = false;
  bool haveFolder = false;
  std::string folder = ".";
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && (arg == "-h" || arg == "--help")) {
      *out += kUsage;
      return kCheckAccepted;
    }
    if (wantCodePage) {
      wantCodePage = false;
      char* end = nullptr;
      long number = std::strtol(arg.c_str(), &end, 10);
      if (arg.empty() || *end || number <= 0 || number > 65535 ||
          !KnownCodePage(static_cast<int>(number))) {
        *err += "setup-check: unknown code page " + arg + "\n" + kUsage;
        return kCheckUsage;
      }
      codePage = static_cast<int>(number);
    } else if (!optionsEnded && arg == "--codepage") {
      wantCodePage = true;
    } else if (!optionsEnded && arg == "--json") {
      json = true;
    } else if (!optionsEnded && arg == "--winget") {
      winget = true;
    } else if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      *err += "setup-check: unknown option " + arg + "\n" + kUsage;
      return kCheckUsage;
    } else if (haveFolder) {
      *err += "setup-check: more than one folder given\n" + std::string(kUsage);
      return kCheckUsage;
    } else {
      folder = arg;
      haveFolder = true;
    }
  }
  if (wantCodePage) {
    *err += "setup-check: --codepage needs a number\n" + std::string(kUsage);
    return kCheckUsage;
  }
  if (json && winget) {
    *err += "setup-check: --json and --winget exclude each other\n" + std::string(kUsage);
    return kCheckUsage;
  }
  CheckResult result;
  if (IsExistingFolder(folder)) {
    if (winget) {
      *err += "setup-check: --winget takes a packed setup program (setup-pack makes one); " +
              folder + " is a folder\n" + std::string(kUsage);
      return kCheckUsage;
    }
    CheckDistribution(folder, &result, codePage);
  } else {
    PackedFile packed;
    std::string error;
    if (!InspectPackedFile(folder, &packed)) {
      *err += "setup-check: " + folder + " is no folder, nor a file that can be read\n" +
              std::string(kUsage);
      return kCheckUsage;
    }
    if (packed.state == PayloadState::kNone) {
      *err +=
          "setup-check: " + folder + " carries no payload: check its distribution folder instead\n";
      return kCheckUsage;
    }
    if (packed.state == PayloadState::kDamaged) {
      *err += "setup-check: " + folder + ": its payload is damaged or cut short (" + packed.damage +
              "); setup would install nothing\n";
      return kCheckUsage;
    }
    if (!CheckPackedFile(packed, &result, codePage, &error)) {
      *err += "setup-check: " + folder + ": " + error + "\n";
      return kCheckUsage;
    }
  }
  if (winget)
    return WingetReport(result, codePage, out, err);
  *out += json ? JsonReport(result) : TextReport(result);
  return result.refused ? kCheckRefused : kCheckAccepted;
}
