// The operations of the uninstaller: the program's own path, folder identity, and removing files,
// folders and keys now or at the next start.
#include "integration/win32/registry.h"
#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"

namespace {

// Why a deletion failed, from the error it left behind.
Removal RemovalFromError(const char* path, DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return Removal::kMissing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return Removal::kInUse;
    case ERROR_DIR_NOT_EMPTY:
      return Removal::kNotEmpty;
    case ERROR_ACCESS_DENIED: {
      // A read-only mark refuses with the same error as a missing permission.
      DWORD attributes = GetFileAttributesA(path);
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return Removal::kReadOnly;
      return Removal::kDenied;
    }
    default:
      return Removal::kFailed;
  }
}

// The volume and file index of an existing folder: together they name it whatever path leads
// there. Folders cannot be opened on the 95/98 family; then this is false.
bool FolderIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
  UniqueHandle folder(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return folder.IsValid() && GetFileInformationByHandle(folder.Get(), info) &&
         (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The full path name without a trailing separator, unless it is a root. False when it does not
// fit.
bool FullPathName(const char* path, char (&full)[MAX_PATH]) {
  char* name = nullptr;
  DWORD length = GetFullPathNameA(path, MAX_PATH, full, &name);
  if (length == 0 || length >= MAX_PATH)
    return false;
  if (length > 3 && full[length - 1] == '\\')
    full[length - 1] = '\0';
  return true;
}

// The 95/98 family carries out [rename] lines of WININIT.INI at its next start; "NUL" as the
// new name deletes the file. An existing NUL line is another program's pending deletion, which
// a second one written by name would replace, so the file is then left.
bool DeleteAtRestartFromWininit(const char* path) {
  char shortPath[MAX_PATH];
  DWORD length = GetShortPathNameA(path, shortPath, sizeof shortPath);
  if (length == 0 || length >= sizeof shortPath)
    return false;
  char pending[8];
  if (GetPrivateProfileStringA("rename", "NUL", "", pending, sizeof pending, "WININIT.INI") > 0)
    return false;
  return WritePrivateProfileStringA("rename", "NUL", shortPath, "WININIT.INI") != 0;
}

}  // namespace

bool Win32Removal::RegistryDeleteKey(RegistryRoot root, const char* key) {
  return root == RegistryRoot::kLocalMachine && RegDeleteKeyA(RootKey(root), key) == ERROR_SUCCESS;
}

bool Win32Removal::GetOwnPath(char* buf, std::size_t cap) {
  if (cap == 0)
    return false;
  DWORD size = cap > MAX_PATH ? MAX_PATH : static_cast<DWORD>(cap);
  // A path that fills the buffer was cut, and on older systems is not terminated.
  DWORD length = GetModuleFileNameA(nullptr, buf, size);
  if (length == 0 || length >= size) {
    buf[0] = '\0';
    return false;
  }
  return true;
}

bool Win32Removal::SameFolder(const char* a, const char* b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  if (FolderIdentity(a, &first) && FolderIdentity(b, &second)) {
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
  }
  char fullA[MAX_PATH], fullB[MAX_PATH];
  return FullPathName(a, fullA) && FullPathName(b, fullB) && lstrcmpiA(fullA, fullB) == 0;
}

Removal Win32Removal::DeleteOneFile(const char* path) {
  if (DeleteFileA(path))
    return Removal::kRemoved;
  return RemovalFromError(path, GetLastError());
}

Removal Win32Removal::RemoveEmptyFolder(const char* path) {
  if (RemoveDirectoryA(path))
    return Removal::kRemoved;
  return RemovalFromError(path, GetLastError());
}

bool Win32Removal::DeleteAtRestart(const char* path) {
  if (MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
    return true;
  return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED && DeleteAtRestartFromWininit(path);
}
