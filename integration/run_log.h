// RunLog: the plain-text log a run writes when it was given a file with /LOG=. The file is opened
// once, at the start, and each line is appended at once, so that the log of a run that stopped
// ends where it stopped; a file that already holds lines keeps them.
#pragma once

#include <cstddef>

#include "integration/platform.h"

class RunLog {
 public:
  static constexpr std::size_t kLineCapacity = 1024;

  // No file (null or empty): nothing is written. A file that cannot be opened, or may not be
  // (see LogOps::OpenLog), is never written: Writable() is false from the start.
  RunLog(LogOps& ops, const char* path);
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  bool Active() const { return path_ != nullptr; }
  // False once a line could not be written.
  bool Writable() const { return writable_; }
  // The first line of a run: the local date and time, then the command line as given.
  void Header(const char* commandLine);
  // One line: the pieces given, joined by ": ". A line too long for its buffer is cut.
  void Line(const char* step, const char* detail = nullptr, const char* outcome = nullptr,
            const char* reason = nullptr);

 private:
  LogOps& ops_;
  const char* path_;
  bool writable_ = true;
};
