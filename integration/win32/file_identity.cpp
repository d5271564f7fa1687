#include "integration/win32/file_identity.h"

#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"

namespace {

constexpr int kFileNameInformation = 9;

// A function of ntdll as the type the caller declared for it.
template <class Call>
bool FindCall(HMODULE ntdll, const char* name, Call* call) {
  *call = reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(ntdll, name)));
  return *call != nullptr;
}

}  // namespace

bool IdentityOf(HANDLE handle, FileIdentity* identity, DWORD* attributes) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info))
    return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  *attributes = info.dwFileAttributes;
  return true;
}

bool SameIdentity(const FileIdentity& a, const FileIdentity& b) {
  return a.volume == b.volume && a.index == b.index;
}

bool FolderIdentity(const char* path, FileIdentity* identity) {
  UniqueHandle folder(
      CreateFileA(path, 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  DWORD attributes = 0;
  return folder.IsValid() && IdentityOf(folder.Get(), identity, &attributes) &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FullPathName(const char* path, char (&full)[MAX_PATH]) {
  char* name = nullptr;
  DWORD length = GetFullPathNameA(path, MAX_PATH, full, &name);
  if (length == 0 || length >= MAX_PATH)
    return false;
  if (length > 3 && full[length - 1] == '\\')
    full[length - 1] = '\0';
  return true;
}

bool Win32Files::SameFolder(const char* a, const char* b) {
  FileIdentity first, second;
  if (FolderIdentity(a, &first) && FolderIdentity(b, &second))
    return SameIdentity(first, second);
  char fullA[MAX_PATH], fullB[MAX_PATH];
  return FullPathName(a, fullA) && FullPathName(b, fullB) && lstrcmpiA(fullA, fullB) == 0;
}

bool FindNtFileCalls(NtFileCalls* nt) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return !(GetVersion() & 0x80000000u) && ntdll &&
         FindCall(ntdll, "NtQueryInformationFile", &nt->query) &&
         FindCall(ntdll, "NtSetInformationFile", &nt->set) &&
         FindCall(ntdll, "RtlNtStatusToDosError", &nt->toError);
}

HANDLE OpenNoFollow(const char* path, DWORD access, DWORD share) {
  return CreateFileA(path, access | SYNCHRONIZE, share, nullptr, OPEN_EXISTING, kNoFollow, nullptr);
}

HANDLE OpenNoFollow(const wchar_t* path, DWORD access, DWORD share) {
  return CreateFileW(path, access | SYNCHRONIZE, share, nullptr, OPEN_EXISTING, kNoFollow, nullptr);
}

bool IsRealFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool NameOf(const NtFileCalls& nt, HANDLE handle, FileSystemName* name) {
  ULONG_PTR io[2] = {};  // IO_STATUS_BLOCK
  // A name that does not fit gives STATUS_BUFFER_OVERFLOW, which is not success.
  return nt.query(handle, io, name, sizeof *name, kFileNameInformation) == 0 &&
         name->bytes < sizeof name->text;
}

namespace {

// Compares UTF-16 names as Windows does for ASCII letters; any other difference counts.
bool SameNames(const WCHAR* a, const WCHAR* b, std::size_t length) {
  for (std::size_t k = 0; k < length; ++k) {
    WCHAR x = a[k] >= L'A' && a[k] <= L'Z' ? a[k] - L'A' + L'a' : a[k];
    WCHAR y = b[k] >= L'A' && b[k] <= L'Z' ? b[k] - L'A' + L'a' : b[k];
    if (x != y)
      return false;
  }
  return true;
}

}  // namespace

// True when `file` is "<folder>\<name>". The file system names an open file by the path it was
// reached by, every link and junction on the way followed, within its volume (which the caller
// compares). While the folder is held, Windows lets nobody rename or remove it, nor a folder
// above it (a folder with anything open below it cannot be renamed): the held folder's name
// names only it, and a file of that name with one more part lies directly in it. Were a folder
// above renamed all the same, that name was still reached through no link or junction: the file
// lies in a real folder at the install folder's place, which only those who may write there
// could have filled.
bool IsInFolder(const FileSystemName& folder, const FileSystemName& file, const wchar_t* name) {
  std::size_t nameLength = static_cast<std::size_t>(lstrlenW(name));
  if (nameLength == 0)
    return false;
  std::size_t folderLength = folder.bytes / sizeof(WCHAR);
  return file.bytes / sizeof(WCHAR) == folderLength + 1 + nameLength &&
         SameNames(file.text, folder.text, folderLength) && file.text[folderLength] == L'\\' &&
         SameNames(file.text + folderLength + 1, name, nameLength);
}
