// SilentDialog: the dialog role of a run with no window at all (/S). Messages go to the run's log
// instead of the screen, a Yes/No question takes the answer the run was started for, the folder
// box holds the folder the run installs into, the run-after box says whether /RUN was given, and
// the quit request and the dialog's end are kept for the program's exit code.
#pragma once

#include "common/command_line.h"
#include "integration/platform.h"
#include "integration/run_log.h"

class SilentDialog final : public DialogOps {
 public:
  SilentDialog(RunLog& log, bool answerYes) : log_(log), answerYes_(answerYes) {}

  // The folder box's text, and the run-after box's state (1 checked, 0 cleared).
  void SetFolder(const char* folder);
  void SetRunAfter(bool run) { runAfter_ = run ? 1 : 0; }

  bool QuitRequested() const { return quitRequested_; }
  int QuitCode() const { return quitCode_; }
  bool Ended() const { return ended_; }
  int EndedWith() const { return endedWith_; }

  void ShowMessage(const char* text, const char* title) override;
  bool AskYesNo(const char* text, const char* title) override;
  void RequestQuit(int exitCode) override;
  void SetCaption(const char*) override {}
  bool GetControlText(int id, char* buf, std::size_t cap) override;
  void SetControlText(int id, const char* text) override;
  int GetCheckState(int id) override;
  void SetCheckState(int, int) override {}
  void EndModal(int result) override;
  void SetProgressStep(int) override {}
  void StepProgress() override {}
  void SetProgressPos(int) override {}

 private:
  RunLog& log_;
  bool answerYes_;
  char folder_[kArgumentCapacity] = {};
  int runAfter_ = 0;
  bool quitRequested_ = false;
  int quitCode_ = 0;
  bool ended_ = false;
  int endedWith_ = 0;
};
