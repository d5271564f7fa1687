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

bool JoinPath(char* dst, std::size_t cap, const char* head, const char* tail) {
  std::size_t headLen = std::strlen(head);
  std::size_t tailLen = std::strlen(tail);
  if (cap == 0 || headLen + 1 + tailLen >= cap) {
    if (cap > 0)
      dst[0] = '\0';
    return false;
  }
  // head may alias dst; move it first, then add the separator and tail.
  std::memmove(dst, head, headLen);
  dst[headLen] = '\\';
  std::memmove(dst + headLen + 1, tail, tailLen + 1);
  return true;
}
