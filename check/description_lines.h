// setup.inf cut into the lines the installer reads, with the lines of the file they come from.
#pragma once

#include <string>
#include <vector>

struct ReaderLine {
  std::string bytes;     // as read: at most 259 characters, the newline and zero bytes included
  int physicalLine;      // where it starts, counted as an editor counts lines (from 1)
  bool endsWithNewline;  // false for a final line without one and for a piece of a long line
  std::string text;      // up to its first zero byte, its last character dropped
  std::string value;     // `text` after the semicolon cut: what the installer uses
};

// The lines in the order the installer reads them, through the installer's own line rules.
std::vector<ReaderLine> ReadLinesAsInstaller(const std::string& bytes);

// The line of the file that the installer's line `index` (from 0) comes from; past the end, the
// line after the last one.
int PhysicalLineOf(const std::vector<ReaderLine>& lines, int index);
