// What the setup dialog does over the platform when it opens: the order of its steps, the
// caption it composes, and where it draws its icon when minimised.
#pragma once

#include <cstddef>

#include "description/setup_settings.h"
#include "integration/platform.h"
#include "res/resource.h"

constexpr std::size_t kCaptionCapacity = 256;  // terminator included
constexpr char kCaptionSuffix[] = " Setup";

// `productName` followed by " Setup". A caption that does not fit is cut at the buffer's end:
// a shortened caption still names the product, and the buffer is never overrun.
void ComposeCaption(char (&caption)[kCaptionCapacity], const char* productName);

// Shows what the reader filled: the caption, then the folder box.
void ShowSetupSettings(DialogOps& dialog, const SetupSettingsRecord& settings);

// The dialog's steps after its icons are set: the run-after box is checked, `readSetupInfo`
// (the dialog's own reader, so that its message boxes belong to the dialog) fills `settings`,
// and what it filled is shown. After a description error the caption and the folder box are
// still set; the quit request the reader posted then ends the dialog.
template <class ReadSetupInfo>
void InitializeSetupDialog(DialogOps& dialog, const SetupSettingsRecord& settings,
                           ReadSetupInfo readSetupInfo) {
  constexpr int kChecked = 1;
  dialog.SetCheckState(IDC_RUN_AFTER, kChecked);
  readSetupInfo();  // its result is not looked at: the reader has reported any error itself
  ShowSetupSettings(dialog, settings);
}

// Where an icon of `iconSize` starts so that it sits centred in `clientSize` (one axis).
// Integer division truncates toward zero, also when the client is smaller than the icon.
int IconOffset(int clientSize, int iconSize);
