#include "check/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

bool IsExistingFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ListFolderEntries(const std::string& folder, std::vector<ListedEntry>* entries) {
  DIR* dir = opendir(folder.c_str());
  if (!dir)
    return false;
  entries->clear();
  while (const dirent* d = readdir(dir)) {
    ListedEntry entry;
    entry.name = d->d_name;
    std::string path = PathInFolder(folder, entry.name);
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
      entry.isReparsePoint = true;
    // A link counts as what it points at, as a Windows junction to a folder does.
    entry.isFolder = IsExistingFolder(path);
    if (!entry.isFolder && stat(path.c_str(), &st) == 0)
      entry.size = static_cast<std::uint64_t>(st.st_size);
    entries->push_back(entry);
  }
  closedir(dir);
  return true;
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

std::string MakePrivateFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = PathInFolder(tmp && *tmp ? tmp : "/tmp", "setup-check-XXXXXX");
  return mkdtemp(&pattern[0]) ? pattern : std::string();
}

void RemovePrivateFolder(const std::string& folder) {
  std::vector<ListedEntry> entries;
  ListFolderEntries(folder, &entries);
  for (const ListedEntry& entry : entries) {
    if (!entry.isFolder)
      unlink(PathInFolder(folder, entry.name).c_str());
  }
  rmdir(folder.c_str());
}
