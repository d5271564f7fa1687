#include "integration/run_log.h"

#include <cstring>

#include "common/bounded_text.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

// Appends as much of `piece` as fits, keeping room for the line end.
void Put(char (&line)[RunLog::kLineCapacity], const char* piece) {
  std::size_t used = std::strlen(line);
  std::size_t room = sizeof line - sizeof kLineEnd + 1;
  if (used < room)
    CopyTextCut(line + used, room - used, piece);
}

}  // namespace

RunLog::RunLog(LogOps& ops, const char* path) : ops_(ops), path_(path && *path ? path : nullptr) {
  writable_ = !path_ || ops_.OpenLog(path_);
}

void RunLog::Header(const char* commandLine) {
  char stamp[20] = {};
  ops_.LocalTimestamp(stamp);
  char header[kLineCapacity] = {};
  Put(header, stamp);
  Put(header, " ");
  Put(header, commandLine);
  Line(header);
}

void RunLog::Line(const char* step, const char* detail, const char* outcome, const char* reason) {
  if (!path_)
    return;
  char line[kLineCapacity];
  line[0] = '\0';
  const char* pieces[] = {step, detail, outcome, reason};
  for (const char* piece : pieces) {
    if (!piece)
      continue;
    if (line[0])
      Put(line, ": ");
    Put(line, piece);
  }
  AppendText(line, kLineEnd);  // room was kept for it
  if (!ops_.AppendToLog(line))
    writable_ = false;
}
