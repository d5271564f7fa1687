// The log of a run: appending to a text file, and the local time.
#include <cstring>

#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"

bool Win32Log::AppendToLog(const char* path, const char* text) {
  // Opened for each line, so that every line is on disk once written and a log of a run that
  // stopped ends where it stopped; others may read it meanwhile.
  UniqueHandle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid() ||
      SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER)
    return false;
  DWORD size = static_cast<DWORD>(std::strlen(text));
  DWORD written = 0;
  return WriteFile(file.Get(), text, size, &written, nullptr) && written == size;
}

void Win32Log::LocalTimestamp(char (&stamp)[20]) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
            now.wMinute, now.wSecond);
}
