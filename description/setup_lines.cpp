#include "description/setup_lines.h"

#include <climits>
#include <cstring>

namespace {
constexpr char kCtrlZ = 0x1A;
}

SetupLineSplitter::SetupLineSplitter(const char* data, std::size_t size) : data_(data) {
  // Text mode ends the file at the first Ctrl-Z.
  const void* eof = size ? std::memchr(data, kCtrlZ, size) : nullptr;
  size_ = eof ? static_cast<std::size_t>(static_cast<const char*>(eof) - data) : size;
}

int SetupLineSplitter::GetChar() {
  if (pos_ >= size_)
    return -1;
  char c = data_[pos_++];
  if (c == '\r' && pos_ < size_ && data_[pos_] == '\n') {
    ++pos_;
    return '\n';
  }
  return static_cast<unsigned char>(c);
}

bool SetupLineSplitter::Next(char (&piece)[kLineBufferSize], std::size_t* length) {
  std::size_t n = 0;
  while (n < kLineBufferSize - 1) {
    int c = GetChar();
    if (c < 0)
      break;
    piece[n++] = static_cast<char>(c);
    if (c == '\n')
      break;
  }
  piece[n] = '\0';
  *length = n;
  return n > 0;
}

void DropLastChar(char* text) {
  std::size_t len = std::strlen(text);
  if (len > 0)
    text[len - 1] = '\0';
}

char* CutAtSemicolons(char* text) {
  char* start = text;
  while (*start == ';')
    ++start;
  if (*start == '\0')
    return text;
  char* end = std::strchr(start, ';');
  if (end)
    *end = '\0';
  return start;
}

std::int32_t ConvertCount(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
    ++p;
  bool negative = false;
  if (*p == '+' || *p == '-')
    negative = *p++ == '-';
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (value <= static_cast<long long>(INT32_MAX) + 1)
      value = value * 10 + (*p - '0');
  }
  if (negative)
    value = -value;
  if (value > INT32_MAX)
    return INT32_MAX;
  if (value < INT32_MIN)
    return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

EntrySplit SplitEntry(char* value) {
  EntrySplit split = {nullptr, nullptr};
  char* lastComma = std::strrchr(value, ',');
  if (!lastComma)
    return split;
  split.file = lastComma + 1;
  char* title = value;
  while (*title == ',')
    ++title;
  if (*title == '\0')
    return split;
  // The token ends at the next comma. When that is the last comma, the file text after it is
  // untouched, since only the comma itself is overwritten.
  char* end = std::strchr(title, ',');
  if (end)
    *end = '\0';
  split.title = title;
  return split;
}
