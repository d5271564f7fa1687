#include "integration/run_report.h"

#include "common/bounded_text.h"
#include "description/setup_reader.h"

namespace {

constexpr char kFailuresHead[] = "Setup has finished, but these parts could not be installed:\n\n";

struct PartWords {
  const char* step;
  const char* done;  // null: the line names the part only
  const char* failed;
};

constexpr PartWords kWords[] = {
    {"file", "copied", "skipped"},
    {"registry key", nullptr, "not written"},
    {"registry value", "written", "not written"},
    {"uninstaller", "copied", "not copied"},
    {"shortcut", "created", "not created"},
    {"earlier file", "removed", "left"},
    {"payload", "read", "not read to its end"},
};

}  // namespace

void RunReport::Outcome(Part part, const char* what, bool ok, const char* reason) {
  const PartWords& words = kWords[static_cast<int>(part)];
  log_.Line(words.step, what, ok ? words.done : words.failed, ok ? nullptr : reason);
  if (ok)
    return;
  if (failures_++ == 0)
    list_.Add(kFailuresHead);
  if (failures_ <= kListedFailures)
    list_.Add(words.step).Add(": ").Add(what).Add("\n");
}

void Report(RunReport* report, Part part, const char* what, bool ok, const char* reason) {
  if (report)
    report->Outcome(part, what, ok, reason);
}

void RunReport::Tell(const char* step, const char* what, const char* text, const char* title) {
  log_.Line(step, what, text);
  if (!unattended_)
    dialog_.ShowMessage(text, title);
}

bool RunReport::AskRetry(const char* name, const char* folder, const char* reason) {
  if (unattended_)
    return false;
  // Room for a name, a folder and a reason of a line each.
  char question[1024];
  question[0] = '\0';
  const char* pieces[] = {"The file \"",
                          name,
                          "\" could not be copied to \"",
                          folder,
                          "\":\n",
                          reason,
                          "\n\nYes: try again (close the program that uses the file first).\n"
                          "No: skip this file; setup goes on without it."};
  for (const char* piece : pieces)
    AppendText(question, piece);
  return dialog_.AskYesNo(question, kSetupInfoTitle);
}

void RunReport::ShowFailures() {
  if (failures_ == 0 || unattended_)
    return;
  if (failures_ > kListedFailures)
    list_.Add("and ").Add(failures_ - kListedFailures).Add(" more\n");
  dialog_.ShowMessage(list_.Get(), kSetupInfoTitle);
}
