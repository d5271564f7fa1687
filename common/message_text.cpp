#include "common/message_text.h"

#include "common/bounded_text.h"

MessageText& MessageText::Add(const char* piece) {
  if (!cut_ && !AppendText(text_, piece))
    cut_ = true;
  return *this;
}

MessageText& MessageText::Add(int number) {
  char room[11];
  if (number < 0)
    Add("-");
  return Add(DecimalDigits(
      number < 0 ? 0u - static_cast<unsigned>(number) : static_cast<unsigned>(number), room));
}

MessageText& MessageText::Quoted(const char* piece) {
  return Add("\"").Add(piece).Add("\"");
}
