#include "check/setup_check.h"

#include <cstdlib>

#include "check/check_report.h"
#include "check/code_page.h"
#include "check/description_lines.h"
#include "check/description_warnings.h"
#include "check/folder_listing.h"
#include "check/planning_platform.h"
#include "description/setup_reader.h"

namespace {

const char kUsage[] =
    "usage: setup-check [--json] [--codepage N] [DIR]\n"
    "Checks DIR/setup.inf (DIR defaults to the current folder) with the installer's own reader,\n"
    "warns of every line the installer will read otherwise than meant, and shows what the\n"
    "installer would install. Exit status: 0 when the installer accepts the description, 1 when\n"
    "it would stop with one of its messages, 2 for a usage error.\n"
    "  --json   one JSON object on standard output instead of the text report\n"
    "  --codepage N\n"
    "           warn of file names that machines using ANSI code page N cannot show\n"
    "           (default 1252)\n";

// Far more than the installer ever reads: its lines that matter lie within the first 16 KB, and
// anything beyond is only warned about as ignored.
constexpr std::size_t kWarningReadLimit = 1 << 20;

}  // namespace

CheckResult::CheckResult() : settings() {}

CheckResult::~CheckResult() {
  FreeEntryStrings(settings);
}

void CheckDistribution(const std::string& folder, CheckResult* result, int codePage) {
  result->folder = folder;
  std::vector<ListedEntry> listing;
  ListFolderEntries(folder, &listing);
  SortListing(&listing);

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
  result->plan = PlanInstall(folder, listing, result->settings, lines, &result->warnings);
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

int RunSetupCheck(const std::vector<std::string>& args, std::string* out, std::string* err) {
  bool json = false;
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
  if (!IsExistingFolder(folder)) {
    *err += "setup-check: " + folder + " is not a folder\n" + std::string(kUsage);
    return kCheckUsage;
  }
  CheckResult result;
  CheckDistribution(folder, &result, codePage);
  *out += json ? JsonReport(result) : TextReport(result);
  return result.refused ? kCheckRefused : kCheckAccepted;
}
