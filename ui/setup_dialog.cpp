#include "ui/setup_dialog.h"

#include <cstring>

#include "common/bounded_text.h"

void ComposeCaption(char (&caption)[kCaptionCapacity], const char* productName) {
  CopyTextCut(caption, sizeof caption, productName);
  std::size_t used = std::strlen(caption);
  CopyTextCut(caption + used, sizeof caption - used, kCaptionSuffix);
}

void ShowSetupSettings(DialogOps& dialog, const SetupSettingsRecord& settings) {
  char caption[kCaptionCapacity];
  ComposeCaption(caption, settings.ProductName);
  dialog.SetCaption(caption);
  dialog.SetControlText(IDC_FOLDER, settings.InstallDir);
}

int IconOffset(int clientSize, int iconSize) {
  return (clientSize - iconSize + 1) / 2;
}
