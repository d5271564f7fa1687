#include "common/names.h"

#include <cstring>

bool OnlyDotsAndSpaces(const char* begin, const char* end) {
  for (const char* p = begin; p < end; ++p)
    if (*p != '.' && *p != ' ')
      return false;
  return true;
}

bool IsSingleName(const char* name) {
  return !std::strpbrk(name, "\\/:");
}

bool IsFolderName(const char* name) {
  return IsSingleName(name) && !OnlyDotsAndSpaces(name, name + std::strlen(name));
}
