#include "common/names.h"

#include <cstring>

namespace {

template <class Char>
Char LowerAscii(Char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <class Char>
bool SameIgnoringCase(const Char* a, const Char* b) {
  for (; *a && *b; ++a, ++b)
    if (LowerAscii(*a) != LowerAscii(*b))
      return false;
  return *a == *b;
}

}  // namespace

bool SameTextIgnoringCase(const char* a, const char* b) {
  return SameIgnoringCase(a, b);
}

bool SameTextIgnoringCase(const wchar_t* a, const wchar_t* b) {
  return SameIgnoringCase(a, b);
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

bool IsSingleName(const wchar_t* name) {
  for (; *name; ++name)
    if (*name == L'\\' || *name == L'/' || *name == L':')
      return false;
  return true;
}

bool IsFolderName(const char* name) {
  return IsSingleName(name) && !OnlyDotsAndSpaces(name, name + std::strlen(name));
}
