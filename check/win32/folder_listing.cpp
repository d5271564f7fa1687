#include "check/folder_listing.h"

#include <windows.h>

#include "integration/win32/unique_handle.h"

bool IsExistingFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Wide, so that every name comes as it is (in UTF-8, the checker's own texts), whatever the
// ANSI code page.
bool ListFolderEntries(const std::string& folder, std::vector<ListedEntry>* entries) {
  if (!IsExistingFolder(folder))
    return false;
  wchar_t pattern[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, PathInFolder(folder, "*.*").c_str(), -1, pattern, MAX_PATH))
    return false;
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileW(pattern, &data));
  entries->clear();
  if (!find.IsValid())
    return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    char name[4 * MAX_PATH];
    if (!WideCharToMultiByte(CP_UTF8, 0, data.cFileName, -1, name, sizeof name, nullptr, nullptr))
      continue;
    ListedEntry entry;
    entry.name = name;
    entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isReparsePoint = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries->push_back(entry);
  } while (FindNextFileW(find.Get(), &data));
  return true;
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/' || folder.back() == ':')
    return folder + name;
  return folder + "\\" + name;
}

std::string MakePrivateFolder() {
  char temp[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  if (!length || length >= MAX_PATH)
    return "";
  // A name no other process has taken: CreateDirectory fails on one that exists. The folder
  // inherits the user's own temporary folder's rights.
  for (unsigned n = 0; n < 100; ++n) {
    const std::string folder = PathInFolder(
        temp, "setup-check-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n));
    if (CreateDirectoryA(folder.c_str(), nullptr))
      return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      return "";
  }
  return "";
}

void RemovePrivateFolder(const std::string& folder) {
  std::vector<ListedEntry> entries;
  ListFolderEntries(folder, &entries);
  wchar_t wideFolder[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wideFolder, MAX_PATH)) {
    for (const ListedEntry& entry : entries) {
      if (entry.isFolder)
        continue;
      // Listed names are UTF-8; the file goes by its wide name.
      std::wstring path = std::wstring(wideFolder) + L"\\";
      wchar_t name[MAX_PATH];
      if (MultiByteToWideChar(CP_UTF8, 0, entry.name.c_str(), -1, name, MAX_PATH))
        DeleteFileW((path + name).c_str());
    }
  }
  RemoveDirectoryA(folder.c_str());
}
