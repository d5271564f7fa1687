// File and folder operations of the Win32 platform.
#include "frame/frame_dialog.h"
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

bool Win32Files::WidenText(const char* text, wchar_t* buf, std::size_t cap) {
  if (cap == 0)
    return false;
  int size = cap > MAX_PATH ? MAX_PATH : static_cast<int>(cap);
  if (MultiByteToWideChar(CP_ACP, 0, text, -1, buf, size) > 0)
    return true;
  buf[0] = L'\0';
  return false;
}

// On the NT family the listing is wide, and the ANSI name only shows the real one. On 95/98,
// whose wide calls are stubs, the ANSI name is the real one, widened here and narrowed again
// for the copy: a name in the code page comes back as it was.
void Win32Files::ListFolder(const char* pattern, FolderVisitor& visitor) {
  bool nt = IsNtFamily();
  WIN32_FIND_DATAW wide;
  WIN32_FIND_DATAA ansi;
  char shown[3 * MAX_PATH];  // a name in a multibyte code page takes more bytes
  if (!WidenText(pattern, wide.cFileName, MAX_PATH))
    return;
  FindHandle search(nt ? FindFirstFileW(wide.cFileName, &wide) : FindFirstFileA(pattern, &ansi));
  if (!search.IsValid())
    return;
  do {
    // The attributes and sizes come before the names, alike in both forms.
    const WIN32_FIND_DATAA& found = nt ? reinterpret_cast<const WIN32_FIND_DATAA&>(wide) : ansi;
    if (nt ? !WideCharToMultiByte(CP_ACP, 0, wide.cFileName, -1, shown, sizeof shown, nullptr,
                                  nullptr)
           : !WidenText(ansi.cFileName, wide.cFileName, MAX_PATH))
      continue;  // cannot be shown, or cannot be copied by name: the copy would fail
    FolderEntry entry = {
        nt ? shown : ansi.cFileName, wide.cFileName,
        (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
        (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
        (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow};
    visitor.Visit(entry);
  } while (nt ? FindNextFileW(search.Get(), &wide) : FindNextFileA(search.Get(), &ansi));
}

bool Win32Files::CopyOneFile(const char* from, const char* to) {
  if (CopyFileA(from, to, FALSE))
    return true;
  copyError_ = GetLastError();
  return false;
}

namespace {

// Called between the chunks of a large file: the dialog takes its messages meanwhile.
DWORD CALLBACK TakeMessagesBetweenChunks(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER,
                                         DWORD, DWORD, HANDLE, HANDLE, LPVOID) {
  TakeWaitingMessages();
  return PROGRESS_CONTINUE;
}

// CopyFileExW, which Windows 95 lacks; null there.
decltype(&CopyFileExW) FindCopyFileEx() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return reinterpret_cast<decltype(&CopyFileExW)>(
      reinterpret_cast<void*>(kernel ? GetProcAddress(kernel, "CopyFileExW") : nullptr));
}

}  // namespace

bool Win32Files::CopyListedFile(const wchar_t* from, const wchar_t* to) {
  if (IsNtFamily()) {
    decltype(&CopyFileExW) copyEx = FindCopyFileEx();
    if (copyEx ? copyEx(from, to, TakeMessagesBetweenChunks, nullptr, nullptr, 0)
               : CopyFileW(from, to, FALSE))
      return true;
    copyError_ = GetLastError();
    return false;
  }
  char ansiFrom[MAX_PATH], ansiTo[MAX_PATH];
  if (!WideCharToMultiByte(CP_ACP, 0, from, -1, ansiFrom, MAX_PATH, nullptr, nullptr) ||
      !WideCharToMultiByte(CP_ACP, 0, to, -1, ansiTo, MAX_PATH, nullptr, nullptr)) {
    copyError_ = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  return CopyOneFile(ansiFrom, ansiTo);
}

void DescribeError(DWORD error, char* buf, std::size_t cap) {
  constexpr std::size_t kNumberRoom = 20;  // "error " and ten digits
  if (cap < kNumberRoom)
    return;
  // One line: the width mask drops the text's own line breaks. A text that does not fit is
  // not written at all, and the code stands in for it.
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
      nullptr, error, 0, buf, cap > 0xFFFF ? 0xFFFF : static_cast<DWORD>(cap), nullptr);
  while (length > 0 && static_cast<unsigned char>(buf[length - 1]) <= ' ')
    --length;
  buf[length] = '\0';
  if (length == 0)
    wsprintfA(buf, "error %lu", error);
}

void Win32Files::DescribeCopyFailure(char* buf, std::size_t cap) {
  DescribeError(copyError_, buf, cap);
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
