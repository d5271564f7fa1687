// MessageText: the text of one message box, composed in a fixed buffer. Lists that could grow
// long are shortened by their composers; should a text still not fit, it ends where the piece
// that did not fit would have begun, so it is never cut inside a name.
#pragma once

#include <cstddef>

class MessageText {
 public:
  static constexpr std::size_t kCapacity = 8192;

  MessageText() { text_[0] = '\0'; }
  MessageText(const MessageText&) = delete;
  MessageText& operator=(const MessageText&) = delete;

  // Appends the pieces in order, all or none of each; once one does not fit, nothing more is
  // added.
  MessageText& Add(const char* piece);
  MessageText& Add(int number);
  // A piece in double quotes.
  MessageText& Quoted(const char* piece);

  const char* Get() const { return text_; }
  bool Cut() const { return cut_; }

 private:
  char text_[kCapacity];
  bool cut_ = false;
};
