#include "integration/silent_dialog.h"

#include "common/bounded_text.h"
#include "res/resource.h"

void SilentDialog::SetFolder(const char* folder) {
  CopyTextCut(folder_, sizeof folder_, folder);
}

// A message's lines are kept on one line of the log.
void SilentDialog::ShowMessage(const char* text, const char* title) {
  char line[RunLog::kLineCapacity] = {};
  CopyTextCut(line, sizeof line, text);
  for (char* p = line; *p; ++p)
    if (*p == '\r' || *p == '\n')
      *p = ' ';
  log_.Line(title && *title ? title : "message", line);
}

bool SilentDialog::AskYesNo(const char* text, const char* title) {
  ShowMessage(text, title);
  log_.Line("answered", answerYes_ ? "yes (/S)" : "no (/S)");
  return answerYes_;
}

void SilentDialog::RequestQuit(int exitCode) {
  quitRequested_ = true;
  quitCode_ = exitCode;
}

bool SilentDialog::GetControlText(int id, char* buf, std::size_t cap) {
  if (cap == 0)
    return false;
  buf[0] = '\0';
  return id == IDC_FOLDER && CopyText(buf, cap, folder_);
}

void SilentDialog::SetControlText(int id, const char* text) {
  if (id == IDC_FOLDER)
    SetFolder(text);
}

int SilentDialog::GetCheckState(int id) {
  return id == IDC_RUN_AFTER ? runAfter_ : 0;
}

void SilentDialog::EndModal(int result) {
  ended_ = true;
  endedWith_ = result;
}
