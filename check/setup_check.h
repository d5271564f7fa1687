// setup-check: tells whether the installer accepts a distribution's setup.inf, warns of every
// trap of the format, and shows what OK would do, all through the installer's own code.
#pragma once

#include <string>
#include <vector>

#include "check/check_warning.h"
#include "check/install_plan.h"
#include "check/packed_file.h"
#include "description/setup_settings.h"

// Exit codes of setup-check.
constexpr int kCheckAccepted = 0;
constexpr int kCheckRefused = 1;  // the installer would stop with one of its messages
constexpr int kCheckUsage = 2;    // also: a file to check that carries no intact payload

struct CheckResult {
  CheckResult();
  ~CheckResult();
  CheckResult(const CheckResult&) = delete;
  CheckResult& operator=(const CheckResult&) = delete;

  std::string folder;  // the distribution folder, or the packed file
  bool packed = false;
  PackedFile payload;  // when packed
  bool refused = false;
  std::string message;  // the message box's text when refused
  std::string messageTitle;
  SetupSettingsRecord settings;  // what the reader filled, before an error too; owns its entries
  CheckWarnings warnings;
  bool planned = false;
  InstallPlan plan;
};

// Checks the distribution in `folder`, which must exist, warning of the names of copied files
// that ANSI code page `codePage` cannot show. With `payload`, the folder holds a payload's
// files, extracted, and `payload` lists them in its order.
void CheckDistribution(const std::string& folder, CheckResult* result, int codePage = 1252,
                       const std::vector<ListedEntry>* payload = nullptr);

// Checks the packed setup program `packed`, whose payload InspectPackedFile found intact, as the
// distribution its payload carries: extracted into a private folder, removed afterwards. False,
// with `error` set, when the payload cannot be extracted.
bool CheckPackedFile(PackedFile& packed, CheckResult* result, int codePage, std::string* error);

// The command: `args` without the program's name. Returns the exit code; what it prints goes to
// `out` and `err`.
int RunSetupCheck(const std::vector<std::string>& args, std::string* out, std::string* err);
