#include "common/names.h"

#include <cstring>
#include <type_traits>

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

namespace {

// Code units compare as their values: the superscripts are U+00B9, U+00B2 and U+00B3, and the
// bytes 0xB9, 0xB2 and 0xB3 in the ANSI code page 1252.
template <class Char>
unsigned Unit(Char c) {
  return static_cast<typename std::make_unsigned<Char>::type>(c);
}

// True when the `length` units at `name` are `word`, ignoring the case of ASCII letters.
template <class Char>
bool IsWord(const Char* name, std::size_t length, const char* word) {
  std::size_t k = 0;
  while (k < length && word[k] && LowerAscii(Unit(name[k])) == LowerAscii(Unit(word[k])))
    ++k;
  return k == length && !word[k];
}

template <class Char>
bool IsDevice(const Char* name) {
  // Windows looks at the name up to its extension (or a stream's colon), less trailing spaces.
  std::size_t length = 0;
  while (name[length] && name[length] != '.' && name[length] != ':')
    ++length;
  while (length && name[length - 1] == ' ')
    --length;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (IsWord(name, length, device))
      return true;
  }
  const unsigned digit = length == 4 ? Unit(name[3]) : 0;
  return (IsWord(name, 3, "COM") || IsWord(name, 3, "LPT")) &&
         ((digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

}  // namespace

bool IsDeviceName(const wchar_t* name) {
  return IsDevice(name);
}

bool IsDeviceName(const char* name) {
  return IsDevice(name);
}
