// The process-wide settings record: what setup.inf says, and the folder the user finally chose.
#pragma once

#include <cstdint>

constexpr int kTextCapacity = 256;  // text fields, terminator included
constexpr int kPathCapacity = 260;  // MAX_PATH, terminator included
constexpr int kMaxEntries = 20;     // Start-menu entries the tables hold

struct SetupSettingsRecord {
  char ProgramFile[kTextCapacity];
  char InstallDir[kPathCapacity];
  char LinkTitle[kTextCapacity];
  char ProductName[kTextCapacity];
  char FolderName[kTextCapacity];
  std::int32_t EntryCount;
  // Owned, each allocated with exactly its text's length plus one; null where no entry was read.
  char* EntryName[kMaxEntries];
  char* EntryFile[kMaxEntries];
};

// Zero-filled at start, like every object of static storage duration.
extern SetupSettingsRecord SetupSettings;

// Frees the entry strings of slots 0 to EntryCount - 1 (bounded by the tables) and clears the
// slots, so that a second call frees nothing.
void FreeEntryStrings(SetupSettingsRecord& settings);
