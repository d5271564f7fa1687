// setup-check: tells whether the installer accepts a distribution's setup.inf, warns of every
// trap of the format, and shows what OK would do, all through the installer's own code.
#pragma once

#include <string>
#include <vector>

#include "check/check_warning.h"
#include "check/install_plan.h"
#include "description/setup_settings.h"

// Exit codes of setup-check.
constexpr int kCheckAccepted = 0;
constexpr int kCheckRefused = 1;  // the installer would stop with one of its messages
constexpr int kCheckUsage = 2;

struct CheckResult {
  CheckResult();
  ~CheckResult();
  CheckResult(const CheckResult&) = delete;
  CheckResult& operator=(const CheckResult&) = delete;

  std::string folder;
  bool refused = false;
  std::string message;  // the message box's text when refused
  std::string messageTitle;
  SetupSettingsRecord settings;  // what the reader filled, before an error too; owns its entries
  CheckWarnings warnings;
  bool planned = false;
  InstallPlan plan;
};

// Checks the distribution in `folder`, which must exist, warning of the names of copied files
// that ANSI code page `codePage` cannot show.
void CheckDistribution(const std::string& folder, CheckResult* result, int codePage = 1252);

// The command: `args` without the program's name. Returns the exit code; what it prints goes to
// `out` and `err`.
int RunSetupCheck(const std::vector<std::string>& args, std::string* out, std::string* err);
