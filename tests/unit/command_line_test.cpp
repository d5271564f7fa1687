// The command line of setup.exe and the uninstaller: switch spellings, "/D=" with spaces and at
// the end, quotes, unknown switches and empty values.
#include "common/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr unsigned kSetupSwitches = kSwitchSilent | kSwitchRun | kSwitchLog | kSwitchFolder;

TEST(CommandLine, ArgumentsFollowTheProgramName) {
  const struct {
    const char* line;
    const char* arguments;
  } cases[] = {
      {"setup.exe /S", "/S"},
      {"\"C:\\My Files\\setup.exe\"  /S /D=C:\\x", "/S /D=C:\\x"},
      {"\"C:\\My Files\\setup.exe\"/S", "/S"},
      {"setup.exe", ""},
      {"\"setup.exe", ""},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_STREQ(ArgumentsOf(c.line), c.arguments) << c.line;
}

TEST(CommandLine, Switches) {
  const std::string tooLong(kArgumentCapacity, 'x');
  const struct {
    std::string arguments;
    unsigned accepted;
    bool usable, silent, run;
    const char* log;     // null: none
    const char* folder;  // null: none
    const char* unusable;
  } cases[] = {
      {"", kSetupSwitches, true, false, false, nullptr, nullptr, ""},
      {"/S", kSetupSwitches, true, true, false, nullptr, nullptr, ""},
      {"/s /run", kSetupSwitches, true, true, true, nullptr, nullptr, ""},
      {"  /S\t/Run  ", kSetupSwitches, true, true, true, nullptr, nullptr, ""},
      {"/S /D=C:\\Program Files\\Tiny Notes", kSetupSwitches, true, true, false, nullptr,
       "C:\\Program Files\\Tiny Notes", ""},
      // The rest of the line, other switches included; blanks at its end dropped.
      {"/d=C:\\Apps /S  ", kSetupSwitches, true, false, false, nullptr, "C:\\Apps /S", ""},
      {"/D=\"C:\\Program Files\\X\"", kSetupSwitches, true, false, false, nullptr,
       "C:\\Program Files\\X", ""},
      {"\"/D=C:\\Program Files\\X\" /S", kSetupSwitches, true, true, false, nullptr,
       "C:\\Program Files\\X", ""},
      {"/S /D=\"", kSetupSwitches, true, true, false, nullptr, "\"", ""},  // a quote, not a pair
      {"/LOG=C:\\setup.log /S", kSetupSwitches, true, true, false, "C:\\setup.log", nullptr, ""},
      {"/log=\"C:\\My Logs\\s.log\" /S", kSetupSwitches, true, true, false, "C:\\My Logs\\s.log",
       nullptr, ""},
      {"\"/LOG=C:\\My Logs\\s.log\"", kSetupSwitches, true, false, false, "C:\\My Logs\\s.log",
       nullptr, ""},
      {"/S /LOG=", kSetupSwitches, false, true, false, nullptr, nullptr, "/LOG="},
      {"/S /D=", kSetupSwitches, false, true, false, nullptr, nullptr, "/D="},
      {"/S /D=  ", kSetupSwitches, false, true, false, nullptr, nullptr, "/D=  "},
      {"/S /X /Y", kSetupSwitches, false, true, false, nullptr, nullptr, "/X"},
      {"/SILENT", kSetupSwitches, false, false, false, nullptr, nullptr, "/SILENT"},
      {"-S", kSetupSwitches, false, false, false, nullptr, nullptr, "-S"},
      {"/S /D", kSetupSwitches, false, true, false, nullptr, nullptr, "/D"},
      {"/LOG=" + tooLong, kSetupSwitches, false, false, false, nullptr, nullptr, nullptr},
      {"/D=" + tooLong, kSetupSwitches, false, false, false, nullptr, nullptr, nullptr},
      {std::string(300, 'x'), kSetupSwitches, false, false, false, nullptr, nullptr, nullptr},
      // A later value that cannot be used leaves the earlier one.
      {"/LOG=a.log /LOG=" + tooLong, kSetupSwitches, false, false, false, "a.log", nullptr,
       nullptr},
      {"/LOG=a.log /LOG=", kSetupSwitches, false, false, false, "a.log", nullptr, "/LOG="},
      {"\"/D=C:\\x\" \"/D=" + tooLong + "\"", kSetupSwitches, false, false, false, nullptr, "C:\\x",
       nullptr},
      // The uninstaller takes no folder and no run.
      {"/S /LOG=u.log", kSwitchSilent | kSwitchLog, true, true, false, "u.log", nullptr, ""},
      {"/LOG=u", kSwitchSilent | kSwitchLog, true, false, false, "u", nullptr, ""},
      {"/S /RUN", kSwitchSilent | kSwitchLog, false, true, false, nullptr, nullptr, "/RUN"},
      {"/S /D=C:\\x", kSwitchSilent | kSwitchLog, false, true, false, nullptr, nullptr, "/D=C:\\x"},
  };
  for (const auto& c : cases) {
    CommandLine line;
    EXPECT_EQ(ParseCommandLine(c.arguments.c_str(), c.accepted, line), c.usable) << c.arguments;
    EXPECT_EQ(line.silent, c.silent) << c.arguments;
    EXPECT_EQ(line.run, c.run) << c.arguments;
    EXPECT_EQ(line.hasLog, c.log != nullptr) << c.arguments;
    EXPECT_STREQ(line.log, c.log ? c.log : "") << c.arguments;
    EXPECT_EQ(line.hasFolder, c.folder != nullptr) << c.arguments;
    EXPECT_STREQ(line.folder, c.folder ? c.folder : "") << c.arguments;
    EXPECT_EQ(line.hasUnusable, !c.usable) << c.arguments;
    if (c.unusable)
      EXPECT_STREQ(line.unusable, c.unusable) << c.arguments;
    else
      EXPECT_EQ(std::string(line.unusable).size(), kArgumentCapacity - 1) << c.arguments;
  }
}

}  // namespace
