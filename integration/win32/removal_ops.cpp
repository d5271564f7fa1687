// The operations of the uninstaller: the program's own path, folder identity, and removing files,
// folders and keys now or at the next start.
#include <utility>

#include "common/bounded_text.h"
#include "integration/win32/file_identity.h"
#include "integration/win32/registry.h"
#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"

namespace {

constexpr int kFileDispositionInformation = 13;

// Why a deletion failed, from the error it left behind. `attributes` tell a read-only mark,
// which refuses with the same error as a missing permission.
Removal RemovalFromError(DWORD error, DWORD attributes) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return Removal::kMissing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return Removal::kInUse;
    case ERROR_DIR_NOT_EMPTY:
      return Removal::kNotEmpty;
    case ERROR_ACCESS_DENIED:
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return Removal::kReadOnly;
      return Removal::kDenied;
    default:
      return Removal::kFailed;
  }
}

Removal RemovalAtPath(const char* path, DWORD error) {
  return RemovalFromError(
      error, error == ERROR_ACCESS_DENIED ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES);
}

Removal RemovalAtPath(const wchar_t* path, DWORD error) {
  return RemovalFromError(
      error, error == ERROR_ACCESS_DENIED ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES);
}

// An open folder is a real folder of `identity`; `attributes` get its attributes.
bool IsFolderOf(HANDLE folder, const FileIdentity& identity, DWORD* attributes) {
  FileIdentity now;
  return IdentityOf(folder, &now, attributes) && IsRealFolder(*attributes) &&
         SameIdentity(now, identity);
}

// Marks an open file or empty folder for deletion when its last handle closes; an NTSTATUS.
LONG MarkForDeletion(const NtFileCalls& nt, HANDLE handle) {
  ULONG_PTR io[2] = {};
  BOOLEAN deleteFile = TRUE;  // FILE_DISPOSITION_INFORMATION
  return nt.set(handle, io, &deleteFile, sizeof deleteFile, kFileDispositionInformation);
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

Removal Win32Removal::DeleteOneFile(const char* path) {
  if (DeleteFileA(path))
    return Removal::kRemoved;
  return RemovalAtPath(path, GetLastError());
}

Removal Win32Removal::RemoveEmptyFolder(const char* path) {
  if (RemoveDirectoryA(path))
    return Removal::kRemoved;
  return RemovalAtPath(path, GetLastError());
}

bool Win32Removal::DeleteAtRestart(const char* path) {
  if (MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
    return true;
  return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED && DeleteAtRestartFromWininit(path);
}

bool Win32Removal::RegistryValueExists(RegistryRoot root, const char* key, const char* valueName) {
  RegKey open;
  return open.Open(RootKey(root), key, RootAccess(root, KEY_QUERY_VALUE)) == ERROR_SUCCESS &&
         RegQueryValueExA(open.Get(), valueName, nullptr, nullptr, nullptr, nullptr) ==
             ERROR_SUCCESS;
}

bool Win32Removal::RegistryKeyExists(RegistryRoot root, const char* key) {
  RegKey open;
  return open.Open(RootKey(root), key, RootAccess(root, KEY_QUERY_VALUE)) != ERROR_FILE_NOT_FOUND;
}

bool Win32Removal::NarrowText(const wchar_t* text, char* buf, std::size_t cap) {
  if (cap == 0)
    return false;
  BOOL substituted = FALSE;
  int size = cap > MAX_PATH ? MAX_PATH : static_cast<int>(cap);
  if (WideCharToMultiByte(CP_ACP, 0, text, -1, buf, size, nullptr, &substituted) > 0 &&
      !substituted)
    return true;
  buf[0] = '\0';
  return false;
}

IdentityRead Win32Removal::ReadFolderIdentity(const char* path, FileIdentity* identity) {
  NtFileCalls nt;
  if (!FindNtFileCalls(&nt))
    return IdentityRead::kNotKept;
  UniqueHandle folder(OpenNoFollow(path, FILE_READ_ATTRIBUTES, kShareAll));
  DWORD attributes = 0;
  return folder.IsValid() && IdentityOf(folder.Get(), identity, &attributes) &&
                 IsRealFolder(attributes)
             ? IdentityRead::kRead
             : IdentityRead::kFailed;
}

bool Win32Removal::HoldFolder(const char* path, const FileIdentity& identity) {
  ReleaseFolder();
  // Shared for reading and writing but not for deleting: while it is open, nobody can rename or
  // remove it. Only an open that may read, write or delete takes part in sharing at all.
  UniqueHandle folder(OpenNoFollow(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE));
  DWORD attributes = 0;
  // The held folder's files go by their wide names; its path is converted once.
  if (!FindNtFileCalls(&nt_) || !CopyText(heldPath_, path) ||
      !MultiByteToWideChar(CP_ACP, 0, path, -1, heldWidePath_, MAX_PATH) || !folder.IsValid() ||
      !IsFolderOf(folder.Get(), identity, &attributes) || !NameOf(nt_, folder.Get(), &heldName_))
    return false;
  heldIdentity_ = identity;
  held_ = std::move(folder);
  return true;
}

Removal Win32Removal::DeleteHeldFile(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  if (!held_.IsValid() || !JoinPath(path, heldWidePath_, name))
    return Removal::kFailed;
  UniqueHandle file(OpenNoFollow(path, DELETE | FILE_READ_ATTRIBUTES, kShareAll));
  if (!file.IsValid())
    return RemovalAtPath(path, GetLastError());
  FileIdentity identity;
  DWORD attributes = 0;
  FileSystemName fileName;
  if (!IdentityOf(file.Get(), &identity, &attributes) || !NameOf(nt_, file.Get(), &fileName))
    return Removal::kFailed;
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
      identity.volume != heldIdentity_.volume || !IsInFolder(heldName_, fileName, name))
    return Removal::kChanged;
  LONG status = MarkForDeletion(nt_, file.Get());
  return status == 0 ? Removal::kRemoved : RemovalFromError(nt_.toError(status), attributes);
}

Removal Win32Removal::RemoveHeldFolder() {
  if (!held_.IsValid())
    return Removal::kFailed;
  // The hold shares no deletion, not even with this process, so it goes first; the folder's
  // identity then tells whether its path still names it.
  held_.Close();
  UniqueHandle folder(OpenNoFollow(heldPath_, DELETE | FILE_READ_ATTRIBUTES, kShareAll));
  if (!folder.IsValid())
    return RemovalAtPath(heldPath_, GetLastError());
  DWORD attributes = 0;
  if (!IsFolderOf(folder.Get(), heldIdentity_, &attributes))
    return Removal::kChanged;
  LONG status = MarkForDeletion(nt_, folder.Get());
  return status == 0 ? Removal::kRemoved : RemovalFromError(nt_.toError(status), attributes);
}

void Win32Removal::ReleaseFolder() {
  held_.Close();
}
