// What names a file or folder whatever path leads to it, shared by the programs' file and
// removal operations.
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
