#include "uninstall/uninstall_run.h"

#include "integration/platform.h"
#include "uninstall/removal.h"
#include "uninstall/removal_plan.h"
#include "uninstall/uninstall_messages.h"

namespace {

UninstallOutcome End(Platform& platform, UninstallOutcome outcome) {
  platform.RequestQuit(static_cast<int>(outcome));
  return outcome;
}

}  // namespace

// The texts and the plan live on the stack: buffers of static storage would be stored in the
// program file.
UninstallOutcome RunUninstall(Platform& platform) {
  RemovalPlan plan{};
  PlanStatus status = PlanRemoval(platform, plan);
  char title[kTitleCapacity] = {};
  ComposeTitle(plan, title);

  if (status != PlanStatus::kReady && status != PlanStatus::kFolderGone) {
    MessageText refusal;
    ComposeRefusal(status, plan, refusal);
    platform.ShowMessage(refusal.Get(), title);
    return End(platform, UninstallOutcome::kRefused);
  }

  {
    MessageText question;
    ComposeQuestion(status, plan, question);
    if (!platform.AskYesNo(question.Get(), title))
      return End(platform, UninstallOutcome::kDeclined);
  }

  RemovalResult result;
  CarryOutRemoval(platform, plan, result);
  MessageText report;
  ComposeReport(plan, result, report);
  platform.ShowMessage(report.Get(), title);
  return End(platform, UninstallOutcome::kRemoved);
}
