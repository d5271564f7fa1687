#include "common/names.h"

#include <cstring>

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool SameTextIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (LowerAscii(*a) != LowerAscii(*b))
      return false;
  return *a == *b;
}

bool EndsWithIgnoringCase(const char* text, const char* suffix) {
  std::size_t textLength = std::strlen(text);
  std::size_t suffixLength = std::strlen(suffix);
  return textLength >= suffixLength &&
         SameTextIgnoringCase(text + textLength - suffixLength, suffix);
}

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
