#include "check/folder_listing.h"

#include <windows.h>

#include "integration/win32/unique_handle.h"

bool IsExistingFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ListFolderEntries(const std::string& folder, std::vector<ListedEntry>* entries) {
  if (!IsExistingFolder(folder))
    return false;
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA(PathInFolder(folder, "*.*").c_str(), &data));
  entries->clear();
  if (!find.IsValid())
    return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    ListedEntry entry;
    entry.name = data.cFileName;
    entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.isReparsePoint = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries->push_back(entry);
  } while (FindNextFileA(find.Get(), &data));
  return true;
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/' || folder.back() == ':')
    return folder + name;
  return folder + "\\" + name;
}
