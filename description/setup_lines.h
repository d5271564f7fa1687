// The line rules of setup.inf: text-mode reading in 260-byte pieces, the semicolon cut,
// the count conversion and the entry split. Shared by the reader and the checker.
#pragma once

#include <cstddef>
#include <cstdint>

// What each line of setup.inf holds, by its position counted from 0 as the reader counts lines.
enum SetupLinePosition : int {
  kLineProgramFile = 0,
  kLineInstallDir = 1,
  kLineLinkTitle = 2,
  kLineProductName = 3,
  kLineEntryCount = 4,
  kFirstEntryLine = 5,  // entry k is on line kFirstEntryLine + k
};

// One read yields at most this many characters, as a 260-byte fgets buffer does.
constexpr std::size_t kLineBufferSize = 260;

// Splits bytes into the pieces that a 260-byte fgets yields from a file opened in text mode:
// CR LF reads as one newline, a lone CR stays, a Ctrl-Z byte ends the file. A piece ends after
// its newline or after 259 characters, so a longer physical line yields several pieces.
class SetupLineSplitter {
 public:
  SetupLineSplitter(const char* data, std::size_t size);

  // Reads the next piece into `piece`, terminated; `length` counts its characters, zero bytes
  // included. False at the end of the file.
  bool Next(char (&piece)[kLineBufferSize], std::size_t* length);

 private:
  int GetChar();  // the next character as text mode delivers it, or -1 at the end

  const char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Removes the last character of the text (taken to be the newline); empty text stays empty.
void DropLastChar(char* text);

// The semicolon cut: the first run without ';' after any leading ';'. Cuts `text` in place and
// returns where the value starts. Empty text, or text of nothing but ';', is returned unchanged.
char* CutAtSemicolons(char* text);

// Converts the count line as atoi does: white space, a sign, decimal digits up to the first
// other character; no digits give 0. Values beyond the 32-bit range saturate.
std::int32_t ConvertCount(const char* text);

// Splits an entry line in place: the title is the first comma-delimited token (leading commas
// skipped), the file the text after the last comma. Null pointers where a part is missing.
struct EntrySplit {
  const char* title;  // null when the line holds only commas (or no comma at all)
  const char* file;   // null when the line holds no comma
};
EntrySplit SplitEntry(char* value);
