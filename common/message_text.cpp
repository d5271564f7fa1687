#include "common/message_text.h"

#include "common/bounded_text.h"

MessageText& MessageText::Add(const char* piece) {
  if (!cut_ && !AppendText(text_, piece))
    cut_ = true;
  return *this;
}

MessageText& MessageText::Add(int number) {
  char digits[16];
  char* p = digits + sizeof digits;
  *--p = '\0';
  unsigned value = number < 0 ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number);
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  if (number < 0)
    *--p = '-';
  return Add(p);
}

MessageText& MessageText::Quoted(const char* piece) {
  return Add("\"").Add(piece).Add("\"");
}
