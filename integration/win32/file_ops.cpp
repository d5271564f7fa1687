// File and folder operations of the Win32 platform.
#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"

FolderCreation Win32Files::MakeFolder(const char* path) {
  if (CreateDirectoryA(path, nullptr))
    return FolderCreation::kCreated;
  // An existing name, a file included, is accepted; so is a failure that sets no error code.
  DWORD error = GetLastError();
  if (error == 0 || error == ERROR_ALREADY_EXISTS)
    return FolderCreation::kAlreadyExists;
  return FolderCreation::kFailed;
}

void Win32Files::ListFolder(const char* pattern, FolderVisitor& visitor) {
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA(pattern, &found));
  if (!search.IsValid())
    return;
  do {
    FolderEntry entry = {found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                         (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0};
    visitor.Visit(entry);
  } while (FindNextFileA(search.Get(), &found));
}

bool Win32Files::CopyOneFile(const char* from, const char* to) {
  return CopyFileA(from, to, FALSE) != 0;
}

bool Win32Files::GetWindowsFolder(char* buf, std::size_t cap) {
  if (cap == 0)
    return false;
  UINT size = cap > MAX_PATH ? MAX_PATH : static_cast<UINT>(cap);
  // The result counts the characters written, or the room needed when the buffer is too small.
  UINT length = GetWindowsDirectoryA(buf, size);
  if (length == 0 || length >= size) {
    buf[0] = '\0';
    return false;
  }
  return true;
}
