// The switches setup.exe and the uninstaller take: "/S", "/RUN", "/LOG=FILE" and "/D=FOLDER", in
// any letter case. An argument may be quoted, whole or in part ("/LOG=C:\My Logs\setup.log" or
// /LOG="C:\My Logs\setup.log"); the quotes are dropped. "/D=" is the last argument and takes the
// rest of the line, spaces included, with no quotes needed (one pair around it all is dropped).
#pragma once

#include <cstddef>

constexpr std::size_t kArgumentCapacity = 260;  // a value, terminator included

// The switches a program takes; any other argument is unknown to it.
enum Switch : unsigned {
  kSwitchSilent = 1,  // /S
  kSwitchRun = 2,     // /RUN
  kSwitchLog = 4,     // /LOG=FILE
  kSwitchFolder = 8,  // /D=FOLDER
  // The uninstaller's /KEEPSELF: its own file stays, for the setup that moves the product to
  // replace; deleted at the next start, it would take the new copy with it.
  kSwitchKeepSelf = 16,
};

struct CommandLine {
  bool silent;
  bool run;
  bool keepSelf;
  bool hasLog;
  char log[kArgumentCapacity];
  bool hasFolder;
  char folder[kArgumentCapacity];
  // The first argument that could not be used: unknown, with an empty value, or with a value
  // too long for a path. Cut to fit, for telling it.
  bool hasUnusable;
  char unusable[kArgumentCapacity];
};

// The arguments of a whole command line: what follows the program's name (quoted or not) and
// the blanks after it.
const char* ArgumentsOf(const char* commandLine);

// Reads `arguments` (no program name) into `line`, taking only the switches in `accepted`.
// False when an argument could not be used; the others are read all the same.
bool ParseCommandLine(const char* arguments, unsigned accepted, CommandLine& line);
