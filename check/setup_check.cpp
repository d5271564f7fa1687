#include "check/setup_check.h"

#include "check/check_report.h"
#include "check/description_lines.h"
#include "check/description_warnings.h"
#include "check/folder_listing.h"
#include "check/planning_platform.h"
#include "description/setup_reader.h"

namespace {

const char kUsage[] =
    "usage: setup-check [--json] [DIR]\n"
    "Checks DIR/setup.inf (DIR defaults to the current folder) with the installer's own reader,\n"
    "warns of every line the installer will read otherwise than meant, and shows what the\n"
    "installer would install. Exit status: 0 when the installer accepts the description, 1 when\n"
    "it would stop with one of its messages, 2 for a usage error.\n"
    "  --json   one JSON object on standard output instead of the text report\n";

// Far more than the installer ever reads: its lines that matter lie within the first 16 KB, and
// anything beyond is only warned about as ignored.
constexpr std::size_t kWarningReadLimit = 1 << 20;

}  // namespace

CheckResult::CheckResult() : settings() {}

CheckResult::~CheckResult() {
  FreeEntryStrings(settings);
}

void CheckDistribution(const std::string& folder, CheckResult* result) {
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
  SortWarnings(&result->warnings);
}

int RunSetupCheck(const std::vector<std::string>& args, std::string* out, std::string* err) {
  bool json = false;
  bool haveFolder = false;
  std::string folder = ".";
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && (arg == "-h" || arg == "--help")) {
      *out += kUsage;
      return kCheckAccepted;
    }
    if (!optionsEnded && arg == "--json") {
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
  if (!IsExistingFolder(folder)) {
    *err += "setup-check: " + folder + " is not a folder\n" + std::string(kUsage);
    return kCheckUsage;
  }
  CheckResult result;
  CheckDistribution(folder, &result);
  *out += json ? JsonReport(result) : TextReport(result);
  return result.refused ? kCheckRefused : kCheckAccepted;
}
