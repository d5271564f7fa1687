// RunReport: what an install run says about its steps. Every outcome is a line of the run's log
// at once; a part of the installation that failed is also kept, for the one message that lists
// them at the end and for the exit code. With nobody at the screen (/S) nothing is shown or
// asked: the log says it all.
#pragma once

#include "common/message_text.h"
#include "integration/platform.h"
#include "integration/run_log.h"

// Why a file, value, shortcut or start was left out: the path composed for it would not fit.
inline constexpr char kPathTooLong[] = "its path would be too long";

// The parts of an installation that can fail one by one; each names its log lines.
enum class Part {
  kFile,         // "file: NAME: copied", or "skipped" with the system's reason
  kKey,          // "registry key: KEY", or "not written" with why
  kValue,        // "registry value: NAME: written", or "not written"
  kUninstaller,  // "uninstaller: PATH: copied", or "not copied" with the system's reason
  kShortcut,     // "shortcut: LINK: created", or "not created" with why
  kEarlierFile,  // "earlier file: PATH: left" with why: the move's uninstaller did not remove it
  kPayload,      // "payload: its files: not read to its end" with why
};

class RunReport {
 public:
  // The failures the end message names one by one; it counts the others.
  static constexpr int kListedFailures = 10;

  // `list` holds the end message's list; a program keeps it in static storage, as no stack
  // frame of setup.exe may reach a page (see cmake/windows.cmake).
  RunReport(RunLog& log, DialogOps& dialog, bool unattended, MessageText& list)
      : log_(log), dialog_(dialog), unattended_(unattended), list_(list) {}
  RunReport(const RunReport&) = delete;
  RunReport& operator=(const RunReport&) = delete;

  RunLog& Log() { return log_; }
  DialogOps& Dialog() { return dialog_; }
  int Failures() const { return failures_; }
  bool Unattended() const { return unattended_; }

  // The outcome of one part, logged; a failure is also kept for the end.
  void Outcome(Part part, const char* what, bool ok, const char* reason = nullptr);
  // A message that stops a step, such as a folder that cannot be made: logged as
  // "step: what: text", and shown to whoever is there.
  void Tell(const char* step, const char* what, const char* text, const char* title);
  // After a file `name` could not be copied into `folder` for `reason`: whether to try again.
  // Never asked with nobody there.
  bool AskRetry(const char* name, const char* folder, const char* reason);
  // The one message that lists what failed, when something did and somebody is there.
  void ShowFailures();

 private:
  RunLog& log_;
  DialogOps& dialog_;
  bool unattended_;
  int failures_ = 0;
  MessageText& list_;
};

// The outcome of a part that may be made without a report (a single step's tests).
void Report(RunReport* report, Part part, const char* what, bool ok, const char* reason = nullptr);
