#include "common/bounded_text.h"

#include <cstring>

namespace {

// The length of `text`, looking at no more than `cap` bytes of it.
std::size_t BoundedLength(const char* text, std::size_t cap) {
  const void* end = std::memchr(text, '\0', cap);
  return end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : cap;
}

}  // namespace

bool CopyText(char* dst, std::size_t cap, const char* src) {
  if (cap == 0)
    return false;
  std::size_t len = std::strlen(src);
  if (len >= cap) {
    dst[0] = '\0';
    return false;
  }
  std::memmove(dst, src, len + 1);
  return true;
}

bool AppendText(char* dst, std::size_t cap, const char* src) {
  std::size_t have = BoundedLength(dst, cap);
  if (have >= cap)
    return false;
  std::size_t len = std::strlen(src);
  if (len >= cap - have)
    return false;
  std::memmove(dst + have, src, len + 1);
  return true;
}

const char* DecimalDigits(std::uint32_t value, char (&room)[11]) {
  char* at = room + sizeof room - 1;
  *at = '\0';
  do
    *--at = static_cast<char>('0' + value % 10);
  while (value /= 10);
  return at;
}

bool CopyTextCut(char* dst, std::size_t cap, const char* src) {
  if (cap == 0)
    return false;
  std::size_t len = BoundedLength(src, cap);
  bool fits = len < cap;
  if (!fits)
    len = cap - 1;
  std::memmove(dst, src, len);
  dst[len] = '\0';
  return fits;
}

namespace {

template <class Char>
std::size_t Length(const Char* text) {
  const Char* end = text;
  while (*end)
    ++end;
  return static_cast<std::size_t>(end - text);
}

template <class Char>
bool Join(Char* dst, std::size_t cap, const Char* head, const Char* tail) {
  std::size_t headLen = Length(head);
  std::size_t tailLen = Length(tail);
  if (cap == 0 || headLen + 1 + tailLen >= cap) {
    if (cap > 0)
      dst[0] = '\0';
    return false;
  }
  // head may alias dst; move it first, then add the separator and tail.
  std::memmove(dst, head, headLen * sizeof(Char));
  dst[headLen] = '\\';
  std::memmove(dst + headLen + 1, tail, (tailLen + 1) * sizeof(Char));
  return true;
}

}  // namespace

bool CopyText(wchar_t* dst, std::size_t cap, const wchar_t* src) {
  if (cap == 0)
    return false;
  std::size_t len = Length(src);
  if (len >= cap) {
    dst[0] = L'\0';
    return false;
  }
  std::memmove(dst, src, (len + 1) * sizeof(wchar_t));
  return true;
}

bool JoinPath(char* dst, std::size_t cap, const char* head, const char* tail) {
  return Join(dst, cap, head, tail);
}

bool JoinPath(wchar_t* dst, std::size_t cap, const wchar_t* head, const wchar_t* tail) {
  return Join(dst, cap, head, tail);
}
