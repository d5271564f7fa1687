#include "check/description_lines.h"

#include "description/setup_lines.h"

std::vector<ReaderLine> ReadLinesAsInstaller(const std::string& bytes) {
  std::vector<ReaderLine> lines;
  SetupLineSplitter splitter(bytes.data(), bytes.size());
  char piece[kLineBufferSize];
  std::size_t length = 0;
  int physical = 1;
  while (splitter.Next(piece, &length)) {
    ReaderLine line;
    line.bytes.assign(piece, length);
    line.physicalLine = physical;
    line.endsWithNewline = piece[length - 1] == '\n';
    if (line.endsWithNewline)
      ++physical;
    DropLastChar(piece);
    line.text = piece;
    line.value = CutAtSemicolons(piece);
    lines.push_back(line);
  }
  return lines;
}

int PhysicalLineOf(const std::vector<ReaderLine>& lines, int index) {
  if (index >= 0 && static_cast<std::size_t>(index) < lines.size())
    return lines[index].physicalLine;
  if (lines.empty())
    return 1;
  return lines.back().physicalLine + 1 + (index - static_cast<int>(lines.size()));
}
