// The install plan: what OK will do with a distribution, found by running the installer's own
// install run over a planning platform, once for each Windows family.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "check/check_warning.h"
#include "check/description_lines.h"
#include "check/folder_listing.h"

struct SetupSettingsRecord;

// Special folders stand for what each user's machine has; the plan names them by these symbols.
constexpr char kWindowsSymbol[] = "<windows>";
constexpr char kDesktopSymbol[] = "<desktop>";
constexpr char kProgramsSymbol[] = "<programs>";
constexpr char kCommonDesktopSymbol[] = "<common desktop>";
constexpr char kCommonProgramsSymbol[] = "<common programs>";

struct PlannedCopy {
  std::string name;
  std::string to;
};

struct PassedOver {
  std::string name;
  std::string reason;
};

// Where one shortcut goes on one Windows family.
struct PlannedLink {
  bool created = false;
  std::string folder;  // the special folder's symbol
  std::string link;    // the full path of the .lnk file
};

struct PlannedShortcut {
  bool desktop = false;
  int line = 0;      // the line of setup.inf that names it
  std::string name;  // the title it was made from
  bool hasGroup = false;
  std::string group;
  std::string fileName;
  std::string target;
  std::string workingFolder;
  std::string description;
  PlannedLink family9x;
  PlannedLink familyNt;
};

struct InstallPlan {
  bool fromPayload = false;  // the files come from a packed program's payload
  std::string targetFolder;
  bool folderRefused = false;
  std::string message;  // shown when the folder cannot be created
  std::vector<PlannedCopy> copies;
  std::vector<PassedOver> passedOver;
  int entriesCounted = 0;
  int progressStep = 0;
  int progressStepAtRoot = -1;  // where a drive's root lists no "." and ".."; -1 when the same
  bool registryWritten = false;
  std::string registryKey;                                             // below HKEY_LOCAL_MACHINE
  std::vector<std::pair<std::string, std::string>> registryValues;     // REG_SZ, in order
  std::vector<std::pair<std::string, std::uint32_t>> registryNumbers;  // REG_DWORD, in order
  bool installedFilesRecorded = false;  // the key's list of the names copied in the run
  std::vector<std::string> installedFiles;
  bool uninstallerCopied = false;
  std::string uninstallerFrom;
  std::string uninstallerTo;
  std::vector<PlannedShortcut> shortcuts;
  bool launched = false;
  std::string launchFolder;
  std::string launchCommand;
};

// Plans the install of the distribution `folder`, whose entries are `listing`, described by
// `settings` (as the reader filled them from `lines`), with the folder box holding InstallDir.
// Adds the warnings about files and paths to `warnings`. From a `payload`, `listing` is its
// files in its order, extracted into `folder`, and setup installs from it.
InstallPlan PlanInstall(const std::string& folder, const std::vector<ListedEntry>& listing,
                        const SetupSettingsRecord& settings, const std::vector<ReaderLine>& lines,
                        CheckWarnings* warnings, bool payload = false);

// `listing` in the order the plan shows it: "." and ".." first, then by name ignoring case.
void SortListing(std::vector<ListedEntry>* listing);
