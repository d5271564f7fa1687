#include "description/setup_settings.h"

#include <cstdlib>

SetupSettingsRecord SetupSettings;

void FreeEntryStrings(SetupSettingsRecord& settings) {
  int count = settings.EntryCount < kMaxEntries ? settings.EntryCount : kMaxEntries;
  for (int k = 0; k < count; ++k) {
    std::free(settings.EntryName[k]);
    settings.EntryName[k] = nullptr;
    std::free(settings.EntryFile[k]);
    settings.EntryFile[k] = nullptr;
  }
}
