#include "integration/win32/file_identity.h"

#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"

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
