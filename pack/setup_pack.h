// setup-pack: makes a distribution one program file, its own setup.exe followed by a payload of
// the files setup copies (common/payload_format.h), after checking it as setup-check does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Exit codes of setup-pack.
constexpr int kPackWritten = 0;
constexpr int kPackFailed = 1;   // a file could not be read, or the output not written
constexpr int kPackRefused = 2;  // a usage error, or a distribution setup would not install

// The command: `args` without the program's name. Returns the exit code; what it prints goes to
// `out` and `err`. Nothing is left at the output's name, nor beside it, unless it succeeds.
int RunSetupPack(const std::vector<std::string>& args, std::string* out, std::string* err);

// `number` in digits grouped by three with commas, whatever the locale: "1,234,567".
std::string GroupedDigits(std::uint64_t number);
