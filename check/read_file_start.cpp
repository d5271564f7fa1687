#include <cstdio>

#include "check/folder_listing.h"

bool ReadFileStart(const std::string& path, std::size_t limit, std::string* bytes) {
  // fopen succeeds on a folder on Linux, unlike on Windows; the installer cannot open one.
  if (IsExistingFolder(path))
    return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  bytes->assign(limit, '\0');
  std::size_t got = limit ? std::fread(&(*bytes)[0], 1, limit, f) : 0;
  bytes->resize(got);
  std::fclose(f);
  return true;
}
