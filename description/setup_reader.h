// Reading the setup description setup.inf into the settings record.
#pragma once

#include <cstddef>

#include "description/setup_settings.h"

class DialogOps;
class FileOps;

enum class SetupInfoStatus {
  kOk,
  kCannotOpen,
  kNotEnoughData,  // fewer than five lines
  kCorrupted,      // a bad entry line, a count above the tables, a value longer than its field,
                   // a FolderName that is no name
};

inline constexpr char kSetupInfoName[] = "setup.inf";
inline constexpr char kSetupInfoTitle[] = "setup";

// FolderName, which names the uninstall key and the uninstaller's copy in the Windows directory:
// the last component of InstallDir, trailing backslashes ignored, or all of it when it holds no
// backslash. False when that is empty, made only of dots and spaces, holds a character no file
// name holds (/ : * ? " < > | or a control character), or is longer than the field; `folderName`
// then holds the component when it fits, else nothing.
bool DeriveFolderName(const char* installDir, char (&folderName)[kTextCapacity]);

// The message shown for a status; null for kOk.
const char* SetupInfoMessage(SetupInfoStatus status);

// The reader never needs more than the first 25 lines, each at most 260 bytes from the file,
// so reading this much of the file gives the same result as reading all of it.
constexpr std::size_t kSetupInfoReadLimit = 16384;

// Fills `settings` from the bytes of a description. Fields filled before an error keep their
// values; entry strings already allocated stay owned by `settings`.
SetupInfoStatus ParseSetupInfo(const char* data, std::size_t size, SetupSettingsRecord& settings);

// Reads setup.inf from the current folder into `settings`.
SetupInfoStatus LoadSetupInfo(FileOps& files, SetupSettingsRecord& settings);

// Reads setup.inf from the current folder. On an error shows its message titled "setup",
// requests the quit with exit code 0 and returns 0; returns 1 when the description was read.
int ReadSetupInfo(FileOps& files, DialogOps& dialog, SetupSettingsRecord& settings);
