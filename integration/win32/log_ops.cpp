// The log of a run: one text file, opened once and appended to, and the local time.
#include "integration/win32/file_identity.h"
#include "integration/win32/win32_platform.h"

namespace {

// The log's full path. Static storage: the roles of setup.exe are initialised data, which takes
// room in its file.
char fullPath[MAX_PATH];

}  // namespace

bool Win32Log::OpenLog(const char* path) {
  // 95/98 have neither links nor the flag that leaves them unfollowed.
  bool nt = IsNtFamily();
  // Made full once: setup later enters other folders, and the log stays where it was named.
  if (!FullPathName(path, fullPath))
    return false;
  // A link is opened as itself, never followed: a planted one would have the lines written into
  // whatever it names, and a dangling one create that. Shared for reading only: others may read
  // the log meanwhile, not write, move or delete it.
  UniqueHandle file(CreateFileA(fullPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | (nt ? FILE_FLAG_OPEN_REPARSE_POINT : 0),
                                nullptr));
  // A device (NUL, CON, a port) is no file to read afterwards.
  if (!file.IsValid() || GetFileType(file.Get()) != FILE_TYPE_DISK)
    return false;
  if (nt) {
    // A second hard link is another name of the same file, perhaps a system file's.
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info) || info.nNumberOfLinks != 1 ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
      return false;
  }
  if (SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER)
    return false;
  file_ = file.Release();
  return true;
}

bool Win32Log::AppendToLog(const char* text) {
  // Unbuffered: once written, a line is the system's, even when the run stops right after it.
  DWORD size = lstrlenA(text);
  DWORD written = 0;
  return file_ && WriteFile(file_, text, size, &written, nullptr) && written == size;
}

// By full path, as the log was named: it has no other name. (Named by its short name, it is not
// recognised; its copy then fails, as setup holds it, and is reported.)
bool Win32Log::IsLog(const FolderEntry& entry) {
  char full[MAX_PATH];
  return file_ && FullPathName(entry.name, full) && lstrcmpiA(full, fullPath) == 0;
}

void Win32Log::LocalTimestamp(char (&stamp)[20]) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
            now.wMinute, now.wSecond);
}
