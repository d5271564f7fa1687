#include "common/command_line.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/names.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p))
    ++p;
  return p;
}

// True when `argument` starts with `name`, compared as Windows compares switch names.
bool StartsWith(const char* argument, const char* name) {
  std::size_t length = std::strlen(name);
  char head[8] = {};
  if (length >= sizeof head || std::strlen(argument) < length)
    return false;
  std::memcpy(head, argument, length);
  return SameTextIgnoringCase(head, name);
}

// One argument of the line, up to the first blank outside quotes, without its quotes; `*next`
// gets where the following one may start. Room for the longest value and its switch's name.
struct Argument {
  char text[kArgumentCapacity + 8];
  bool fits;
};

Argument ReadArgument(const char* p, const char** next) {
  Argument argument = {};
  argument.fits = true;
  std::size_t length = 0;
  bool quoted = false;
  for (; *p && (quoted || !IsBlank(*p)); ++p) {
    if (*p == '"')
      quoted = !quoted;
    else if (length + 1 < sizeof argument.text)
      argument.text[length++] = *p;
    else
      argument.fits = false;  // kept as far as it fits, for telling it
  }
  argument.text[length] = '\0';
  *next = p;
  return argument;
}

// "/D=" takes the rest of the line: blanks at its end are dropped, and one pair of quotes
// around all of it.
bool ReadRestOfLine(const char* rest, char (&value)[kArgumentCapacity]) {
  std::size_t length = std::strlen(rest);
  while (length > 0 && IsBlank(rest[length - 1]))
    --length;
  if (length >= 2 && rest[0] == '"' && rest[length - 1] == '"') {
    ++rest;
    length -= 2;
  }
  if (length == 0 || length >= sizeof value)
    return false;
  std::memcpy(value, rest, length);
  value[length] = '\0';
  return true;
}

// Takes `value` into `field` only when it is not empty and fits whole: a later value that cannot
// be used leaves the earlier one as it was, and the switch given.
bool TakeValue(char (&field)[kArgumentCapacity], const char* value) {
  char copy[kArgumentCapacity];
  if (*value == '\0' || !CopyText(copy, value))
    return false;
  std::memcpy(field, copy, sizeof copy);
  return true;
}

void Unusable(CommandLine& line, const char* argument) {
  if (line.hasUnusable)
    return;
  line.hasUnusable = true;
  CopyTextCut(line.unusable, sizeof line.unusable, argument);
}

}  // namespace

const char* ArgumentsOf(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    const char* end = std::strchr(p + 1, '"');
    p = end ? end + 1 : p + std::strlen(p);
  } else {
    while (*p && !IsBlank(*p))
      ++p;
  }
  return SkipBlanks(p);
}

bool ParseCommandLine(const char* arguments, unsigned accepted, CommandLine& line) {
  line = CommandLine{};
  for (const char* p = SkipBlanks(arguments); *p; p = SkipBlanks(p)) {
    if ((accepted & kSwitchFolder) && StartsWith(p, "/D=")) {
      if (ReadRestOfLine(p + 3, line.folder))
        line.hasFolder = true;
      else
        Unusable(line, p);
      break;
    }
    Argument argument = ReadArgument(p, &p);
    const char* text = argument.text;
    if (!argument.fits) {
      Unusable(line, text);
    } else if ((accepted & kSwitchSilent) && SameTextIgnoringCase(text, "/S")) {
      line.silent = true;
    } else if ((accepted & kSwitchRun) && SameTextIgnoringCase(text, "/RUN")) {
      line.run = true;
    } else if ((accepted & kSwitchKeepSelf) && SameTextIgnoringCase(text, "/KEEPSELF")) {
      line.keepSelf = true;
    } else if ((accepted & kSwitchLog) && StartsWith(text, "/LOG=") &&
               TakeValue(line.log, text + 5)) {
      line.hasLog = true;
    } else if ((accepted & kSwitchFolder) && StartsWith(text, "/D=") &&
               TakeValue(line.folder, text + 3)) {
      line.hasFolder = true;  // quoted as a whole, so it ended at its closing quote
    } else {
      Unusable(line, text);
    }
  }
  return !line.hasUnusable;
}
