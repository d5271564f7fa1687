#include "uninstall/uninstall_run.h"

#include "integration/platform.h"
#include "uninstall/removal.h"
#include "uninstall/removal_plan.h"
#include "uninstall/uninstall_messages.h"

namespace {

UninstallOutcome End(const UninstallerSystem& system, UninstallOutcome outcome) {
  system.dialog.RequestQuit(static_cast<int>(outcome));
  return outcome;
}

}  // namespace

// The texts and the plan live on the stack: buffers of static storage would be stored in the
// program file.
UninstallOutcome RunUninstall(const UninstallerSystem& system) {
  RemovalPlan plan{};
  PlanStatus status = PlanRemoval(system, plan);
  char title[kTitleCapacity] = {};
  ComposeTitle(plan, title);

  if (status != PlanStatus::kReady && status != PlanStatus::kFolderGone) {
    MessageText refusal;
    ComposeRefusal(status, plan, refusal);
    system.dialog.ShowMessage(refusal.Get(), title);
    return End(system, UninstallOutcome::kRefused);
  }

  {
    MessageText question;
    ComposeQuestion(status, plan, question);
    if (!system.dialog.AskYesNo(question.Get(), title))
      return End(system, UninstallOutcome::kDeclined);
  }

  RemovalResult result;
  CarryOutRemoval(system, plan, result);
  MessageText report;
  ComposeReport(plan, result, report);
  system.dialog.ShowMessage(report.Get(), title);
  return End(system, UninstallOutcome::kRemoved);
}
