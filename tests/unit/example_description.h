// What several tests start from: a complete setup.inf, and a settings record that starts
// zero-filled like the process-wide one and frees its entry strings when it goes.
#pragma once

#include "description/setup_settings.h"

// Two Start-menu entries; every line, the last one included, ends with a newline.
constexpr char kExampleDescription[] =
    "Viewer.exe\n"
    "C:\\Program Files\\Viewer\n"
    "Viewer\n"
    "Viewer 1.0\n"
    "2\n"
    "Viewer,Viewer.exe\n"
    "Read me,readme.txt\n";

struct OwnedSettings : SetupSettingsRecord {
  OwnedSettings() : SetupSettingsRecord() {}
  ~OwnedSettings() { FreeEntryStrings(*this); }
  OwnedSettings(const OwnedSettings&) = delete;
  OwnedSettings& operator=(const OwnedSettings&) = delete;
};
