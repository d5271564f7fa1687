// A minimal check harness for the test programs that run under Wine: CHECK macros that record
// and report failures, and Finish(), which prints "N passed, N failed" and gives the exit code.
#pragma once

#include <cstdio>
#include <cstring>

namespace check {

struct Tally {
  int passed = 0;
  int failed = 0;
};

inline Tally& Counts() {
  static Tally tally;
  return tally;
}

inline bool Record(bool ok, const char* file, int line, const char* what) {
  if (ok) {
    ++Counts().passed;
  } else {
    ++Counts().failed;
    std::printf("FAILED %s:%d: %s\n", file, line, what);
    std::fflush(stdout);
  }
  return ok;
}

inline bool RecordText(const char* actual, const char* expected, bool ignoreCase, const char* file,
                       int line, const char* what) {
  bool ok = actual && expected &&
            (ignoreCase ? _stricmp(actual, expected) == 0 : std::strcmp(actual, expected) == 0);
  if (!Record(ok, file, line, what))
    std::printf("    actual:   \"%s\"\n    expected: \"%s\"\n", actual ? actual : "(null)",
                expected ? expected : "(null)");
  return ok;
}

inline bool RecordLong(long actual, long expected, const char* file, int line, const char* what) {
  bool ok = actual == expected;
  if (!Record(ok, file, line, what))
    std::printf("    actual: %ld (0x%lx), expected: %ld (0x%lx)\n", actual,
                static_cast<unsigned long>(actual), expected, static_cast<unsigned long>(expected));
  return ok;
}

// Prints the summary line; the exit code is non-zero when any check failed (or none ran).
inline int Finish() {
  std::printf("%d passed, %d failed\n", Counts().passed, Counts().failed);
  std::fflush(stdout);
  return Counts().failed == 0 && Counts().passed > 0 ? 0 : 1;
}

}  // namespace check

#define CHECK(cond) ::check::Record(!!(cond), __FILE__, __LINE__, #cond)
#define CHECK_EQ(actual, expected)                                                                \
  ::check::RecordLong(static_cast<long>(actual), static_cast<long>(expected), __FILE__, __LINE__, \
                      #actual " == " #expected)
#define CHECK_STREQ(actual, expected) \
  ::check::RecordText((actual), (expected), false, __FILE__, __LINE__, #actual " == " #expected)
// Windows paths compare without regard to case.
#define CHECK_PATHEQ(actual, expected) \
  ::check::RecordText((actual), (expected), true, __FILE__, __LINE__, #actual " == " #expected)
