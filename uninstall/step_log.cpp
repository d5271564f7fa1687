#include "uninstall/step_log.h"

#include <cstring>

#include "common/bounded_text.h"
#include "integration/run_log.h"

void LogStep(RunLog& log, std::initializer_list<const char*> pieces) {
  if (!log.Active())
    return;
  char line[RunLog::kLineCapacity] = {};
  for (const char* piece : pieces) {
    std::size_t used = std::strlen(line);
    CopyTextCut(line + used, sizeof line - used, piece);
  }
  log.Line(line);
}

// A step that refused is followed in the log by the message that says why.
void LogPlan(RunLog& log, PlanStatus status, const RemovalPlan& plan) {
  const char* refused = ": refused";
  if (status == PlanStatus::kNoOwnPath || status == PlanStatus::kBadName)
    return LogStep(log, {"uninstaller: ", plan.ownPath, refused});
  LogStep(log, {"uninstaller: ", plan.ownPath, ": removes ", plan.folderName});

  const char* entry = "entry: HKEY_LOCAL_MACHINE\\";
  if (status == PlanStatus::kNoEntry)
    return LogStep(log, {entry, plan.key, ": missing: nothing to do"});
  if (status == PlanStatus::kNotRegistered)
    return LogStep(log, {entry, plan.key, ": no InstallTo", refused});
  LogStep(log, {entry, plan.key, ": InstallTo ", plan.installTo,
                status == PlanStatus::kNoRights ? ": may not be changed: refused" : ""});
  if (status == PlanStatus::kNoRights)
    return;

  const char* folder = plan.check.folder[0] ? plan.check.folder : plan.installTo;
  const char* check = "folder check: ";
  if (status == PlanStatus::kFolderRefused)
    return LogStep(log, {check, folder, refused});
  if (status == PlanStatus::kFolderGone)
    return LogStep(log, {check, folder, ": no longer exists"});
  LogStep(log, {check, folder, ": passed"});

  const char* description = "description: ";
  if (status == PlanStatus::kNoDescription || status == PlanStatus::kOtherProgram)
    return LogStep(log, {description, folder, "\\setup.inf", refused});
  LogStep(log, {description, folder, "\\setup.inf: ", plan.productName});
  if (status == PlanStatus::kCannotList)
    return LogStep(log, {"listing: ", folder, refused});
  const char* record = plan.record == FileRecord::kRead ? "read"
                       : plan.record == FileRecord::kMissing
                           ? "missing: every file in the folder goes"
                           : "cannot be read: no file goes";
  LogStep(log, {"record of installed files: InstalledFiles: ", record});
}
