// The distribution folder as the checker sees it: its entries and the bytes of its files.
// Listing is done once per host system (posix/, win32/); everything else in check/ is portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ListedEntry {
  std::string name;
  bool isFolder = false;
  bool isReparsePoint = false;  // a symbolic link or junction
  std::uint64_t size = 0;       // bytes, for a file
};

// True when `path` names an existing folder.
bool IsExistingFolder(const std::string& path);

// Every entry of `folder`, "." and ".." included where the system lists them, in no particular
// order. False when the folder cannot be read.
bool ListFolderEntries(const std::string& folder, std::vector<ListedEntry>* entries);

// Reads at most `limit` bytes from the start of a file. False when it cannot be opened.
bool ReadFileStart(const std::string& path, std::size_t limit, std::string* bytes);

// A new, empty folder among the system's temporary files that only this user may enter; empty
// when none could be made.
std::string MakePrivateFolder();
// Removes `folder` and the files in it; it holds no sub-folders.
void RemovePrivateFolder(const std::string& folder);

// `folder` and `name` joined with the host's separator.
std::string PathInFolder(const std::string& folder, const std::string& name);
