#include "uninstall/uninstall_run.h"

#include "common/command_line.h"
#include "integration/platform.h"
#include "integration/run_log.h"
#include "integration/silent_dialog.h"
#include "uninstall/removal.h"
#include "uninstall/removal_plan.h"
#include "uninstall/step_log.h"
#include "uninstall/uninstall_messages.h"

namespace {

// The log's last line, by exit code.
const char* const kOutcomeTexts[] = {"0: everything removed", "1: declined", "2: refused",
                                     "3: removed, some things left", "4: nothing to do"};

// Shows a message, and in an interactive run also writes it to the log through `echo`, as the
// silent dialog of a run with /S writes it.
void Show(const UninstallerSystem& system, DialogOps* echo, const char* text, const char* title) {
  if (echo)
    echo->ShowMessage(text, title);
  system.dialog.ShowMessage(text, title);
}

// The texts and the plan live on the stack: buffers of static storage would be stored in the
// program file.
UninstallOutcome Uninstall(const UninstallerSystem& system, RunLog& log, DialogOps* echo,
                           bool keepSelf) {
  RemovalPlan plan{};
  PlanStatus status = PlanRemoval(system, plan);
  plan.keepSelf = keepSelf;
  LogPlan(log, status, plan);
  char title[kTitleCapacity] = {};
  ComposeTitle(plan, title);

  if (status != PlanStatus::kReady && status != PlanStatus::kFolderGone) {
    MessageText refusal;
    ComposeRefusal(status, plan, refusal);
    Show(system, echo, refusal.Get(), title);
    return status == PlanStatus::kNoEntry ? UninstallOutcome::kNothingToDo
                                          : UninstallOutcome::kRefused;
  }

  {
    MessageText question;
    ComposeQuestion(status, plan, question);
    if (echo)
      echo->ShowMessage(question.Get(), title);
    bool yes = system.dialog.AskYesNo(question.Get(), title);
    if (echo)  // the silent dialog logs its answer itself
      log.Line("answered", yes ? "yes" : "no");
    if (!yes)
      return UninstallOutcome::kDeclined;
  }

  RemovalResult result;
  CarryOutRemoval(system, plan, result, log);
  MessageText report;
  ComposeReport(plan, result, report);
  Show(system, echo, report.Get(), title);
  return result.change != FolderChange::kNone || LeftSomething(plan, result)
             ? UninstallOutcome::kPartlyRemoved
             : UninstallOutcome::kRemoved;
}

}  // namespace

UninstallOutcome RunUninstall(const UninstallerSystem& system, const char* arguments,
                              const char* commandLine) {
  CommandLine line;
  bool usable = ParseCommandLine(arguments, kSwitchSilent | kSwitchLog | kSwitchKeepSelf, line);
  RunLog log(system.log, line.hasLog ? line.log : nullptr);
  log.Header(commandLine);
  // With /S nothing is shown and nobody is asked: the one question is answered Yes, and what
  // would have been shown goes to the log.
  SilentDialog silent(log, true);
  UninstallOutcome outcome = UninstallOutcome::kRefused;
  if (!usable)
    log.Line("command line", line.unusable,
             line.silent ? "not understood: nothing was removed" : "not understood: ignored");
  if (!line.silent)
    outcome = Uninstall(system, log, &silent, line.keepSelf);
  else if (usable)
    outcome = Uninstall(UninstallerSystem(silent, system.files, system.shell, system.registry,
                                          system.removal, system.log),
                        log, nullptr, line.keepSelf);
  log.Line("exit code", kOutcomeTexts[static_cast<int>(outcome)]);
  system.dialog.RequestQuit(static_cast<int>(outcome));
  return outcome;
}
