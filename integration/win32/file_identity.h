// What names a file or folder whatever path leads to it, and where an open file lies, shared by
// the programs' file, target and removal operations.
#pragma once

#include <windows.h>

#include "integration/platform.h"

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The identity of an open file or folder; `attributes` get its attributes.
bool IdentityOf(HANDLE handle, FileIdentity* identity, DWORD* attributes);
bool SameIdentity(const FileIdentity& a, const FileIdentity& b);
// The identity of an existing folder, through whatever links lead there. Folders cannot be
// opened on the 95/98 family; then this is false.
bool FolderIdentity(const char* path, FileIdentity* identity);
// The full path name without a trailing separator, unless it is a root. False when it does not
// fit.
bool FullPathName(const char* path, char (&full)[MAX_PATH]);

// Folders open only with backup semantics; a link or junction opens as itself.
constexpr DWORD kNoFollow = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

HANDLE OpenNoFollow(const char* path, DWORD access, DWORD share);
HANDLE OpenNoFollow(const wchar_t* path, DWORD access, DWORD share);
bool IsRealFolder(DWORD attributes);

// ntdll's NtQueryInformationFile and NtSetInformationFile, and RtlNtStatusToDosError.
struct NtFileCalls {
  LONG(NTAPI* query)(HANDLE, void*, void*, ULONG, int);
  LONG(NTAPI* set)(HANDLE, void*, void*, ULONG, int);
  ULONG(NTAPI* toError)(LONG);
};
// False on the 95/98 family, whose ntdll lacks them: it has no file identities and no links.
bool FindNtFileCalls(NtFileCalls* nt);

// The name the file system gives an open file (FILE_NAME_INFORMATION): its path on its volume,
// reached after every link and junction on the way.
struct FileSystemName {
  ULONG bytes;
  WCHAR text[MAX_PATH];
};
bool NameOf(const NtFileCalls& nt, HANDLE handle, FileSystemName* name);
// True when `file` is "<folder>\<name>" (see file_identity.cpp).
bool IsInFolder(const FileSystemName& folder, const FileSystemName& file, const wchar_t* name);
