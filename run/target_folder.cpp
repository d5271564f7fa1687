#include "run/target_folder.h"

#include "integration/platform.h"
#include "integration/run_log.h"

const char* SecureTarget(TargetOps& target, RunLog& log, const char* path, bool created) {
  if (!target.HoldTarget(path))
    return "it cannot be opened as a folder of its own";
  FolderAccess access = target.TargetAccess();
  // A folder setup made inherits what its parent passes on: below C:\, for instance, every
  // user may change what is made there. Below Program Files nothing is changed.
  if (created && access == FolderAccess::kOthersMayChange) {
    if (!target.ProtectTarget())
      return "its permissions could not be set";
    log.Line("folder", path, "permissions set", "administrators change it, users read and run");
    access = target.TargetAccess();
  }
  switch (access) {
    case FolderAccess::kNotKept:
    case FolderAccess::kAdministrators:
      return nullptr;
    case FolderAccess::kOthersMayChange:
      return "users other than administrators can change it";
    case FolderAccess::kOtherOwner:
      return "it is not owned by administrators or the system";
    case FolderAccess::kUnreadable:
      break;
  }
  return "its owner and permissions cannot be read";
}
