#include "description/setup_reader.h"

#include <cstdlib>
#include <cstring>

#include "common/bounded_text.h"
#include "common/names.h"
#include "description/setup_lines.h"
#include "integration/platform.h"

namespace {

// Allocates a copy of `text` of exactly its length plus one, if it fits a 256-byte field.
char* DuplicateEntryText(const char* text) {
  std::size_t len = std::strlen(text);
  if (len >= static_cast<std::size_t>(kTextCapacity))
    return nullptr;
  char* copy = static_cast<char*>(std::malloc(len + 1));
  if (copy)
    std::memcpy(copy, text, len + 1);
  return copy;
}

SetupInfoStatus ReadEntry(char* value, int k, SetupSettingsRecord& settings) {
  EntrySplit split = SplitEntry(value);
  if (!split.file)
    return SetupInfoStatus::kCorrupted;
  settings.EntryFile[k] = DuplicateEntryText(split.file);
  if (!settings.EntryFile[k])
    return SetupInfoStatus::kCorrupted;
  if (!split.title)
    return SetupInfoStatus::kCorrupted;
  settings.EntryName[k] = DuplicateEntryText(split.title);
  if (!settings.EntryName[k])
    return SetupInfoStatus::kCorrupted;
  return SetupInfoStatus::kOk;
}

SetupInfoStatus ReadLine(int counter, char* value, SetupSettingsRecord& settings) {
  switch (counter) {
    case kLineProgramFile:
      return CopyText(settings.ProgramFile, value) ? SetupInfoStatus::kOk
                                                   : SetupInfoStatus::kCorrupted;
    case kLineInstallDir:
      if (!CopyText(settings.InstallDir, value) ||
          !DeriveFolderName(settings.InstallDir, settings.FolderName))
        return SetupInfoStatus::kCorrupted;
      return SetupInfoStatus::kOk;
    case kLineLinkTitle:
      return CopyText(settings.LinkTitle, value) ? SetupInfoStatus::kOk
                                                 : SetupInfoStatus::kCorrupted;
    case kLineProductName:
      return CopyText(settings.ProductName, value) ? SetupInfoStatus::kOk
                                                   : SetupInfoStatus::kCorrupted;
    case kLineEntryCount:
      settings.EntryCount = ConvertCount(value);
      // The tables hold kMaxEntries; a larger count is refused before anything is allocated.
      return settings.EntryCount > kMaxEntries ? SetupInfoStatus::kCorrupted : SetupInfoStatus::kOk;
    default:
      // Signed comparison: a count of 0 or less reads no entry.
      if (counter <= settings.EntryCount + kLineEntryCount)
        return ReadEntry(value, counter - kFirstEntryLine, settings);
      return SetupInfoStatus::kOk;  // beyond the entries: read, counted, ignored
  }
}

}  // namespace

bool DeriveFolderName(const char* installDir, char (&folderName)[kTextCapacity]) {
  folderName[0] = '\0';
  const char* end = installDir + std::strlen(installDir);
  while (end > installDir && end[-1] == '\\')
    --end;
  const char* start = end;
  while (start > installDir && start[-1] != '\\')
    --start;
  std::size_t length = static_cast<std::size_t>(end - start);
  if (length >= sizeof folderName)
    return false;
  std::memcpy(folderName, start, length);
  folderName[length] = '\0';
  // Windows would drop such a name from the uninstaller's path, or read it as the folder above.
  if (OnlyDotsAndSpaces(start, end))
    return false;
  for (const char* p = start; p < end; ++p) {
    if (static_cast<unsigned char>(*p) < ' ' || std::strchr("/:*?\"<>|", *p))
      return false;
  }
  // A device's name (NUL.x, COM1.v2) would send the uninstaller's copy to the device.
  return !IsDeviceName(folderName);
}

const char* SetupInfoMessage(SetupInfoStatus status) {
  switch (status) {
    case SetupInfoStatus::kCannotOpen:
      return "Cannot open 'setup.inf'!";
    case SetupInfoStatus::kNotEnoughData:
      return "Cannot read enough data from 'setup.inf'!";
    case SetupInfoStatus::kCorrupted:
      return "'setup.inf' is corrupted!";
    case SetupInfoStatus::kOk:
      break;
  }
  return nullptr;
}

SetupInfoStatus ParseSetupInfo(const char* data, std::size_t size, SetupSettingsRecord& settings) {
  SetupLineSplitter lines(data, size);
  char piece[kLineBufferSize];
  std::size_t length = 0;
  int counter = 0;
  while (lines.Next(piece, &length)) {
    // The text ends at its first zero byte; its last character is taken to be the newline.
    DropLastChar(piece);
    char* value = CutAtSemicolons(piece);
    SetupInfoStatus status = ReadLine(counter, value, settings);
    if (status != SetupInfoStatus::kOk)
      return status;
    ++counter;
    // Past the entries nothing can change any more.
    if (counter > kLineEntryCount && counter > settings.EntryCount + kLineEntryCount)
      break;
  }
  return counter < kFirstEntryLine ? SetupInfoStatus::kNotEnoughData : SetupInfoStatus::kOk;
}

SetupInfoStatus LoadSetupInfo(FileOps& files, SetupSettingsRecord& settings) {
  static char data[kSetupInfoReadLimit];
  std::size_t size = 0;
  if (!files.ReadFileHead(kSetupInfoName, data, sizeof data, &size))
    return SetupInfoStatus::kCannotOpen;
  return ParseSetupInfo(data, size, settings);
}

int ReadSetupInfo(FileOps& files, DialogOps& dialog, SetupSettingsRecord& settings) {
  SetupInfoStatus status = LoadSetupInfo(files, settings);
  if (status == SetupInfoStatus::kOk)
    return 1;
  dialog.ShowMessage(SetupInfoMessage(status), kSetupInfoTitle);
  dialog.RequestQuit(0);
  return 0;
}
