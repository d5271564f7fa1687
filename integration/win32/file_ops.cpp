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
    FolderEntry entry = {
        found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
        (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
        (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow};
    visitor.Visit(entry);
  } while (FindNextFileA(search.Get(), &found));
}

bool Win32Files::CopyOneFile(const char* from, const char* to) {
  if (CopyFileA(from, to, FALSE))
    return true;
  copyError_ = GetLastError();
  return false;
}

void Win32Files::DescribeCopyFailure(char* buf, std::size_t cap) {
  constexpr std::size_t kNumberRoom = 20;  // "error " and ten digits
  if (cap < kNumberRoom)
    return;
  // One line: the width mask drops the text's own line breaks. A text that does not fit is
  // not written at all, and the code stands in for it.
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
      nullptr, copyError_, 0, buf, cap > 0xFFFF ? 0xFFFF : static_cast<DWORD>(cap), nullptr);
  while (length > 0 && static_cast<unsigned char>(buf[length - 1]) <= ' ')
    --length;
  buf[length] = '\0';
  if (length == 0)
    wsprintfA(buf, "error %lu", copyError_);
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
