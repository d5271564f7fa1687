// The run's log: nothing without a file; a header, then one line a step, each ending in CR LF and
// appended to what the file held; a line too long for its buffer is cut, never overrun.
#include "integration/run_log.h"
#include "integration/silent_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/unit/fake_platform.h"

namespace {

TEST(RunLog, LinesAppendedToTheFileGiven) {
  FakePlatform fake;
  fake.logs["C:\\setup.log"] = "an earlier run\r\n";
  RunLog log(fake, "C:\\setup.log");
  EXPECT_TRUE(log.Active());
  log.Header("setup.exe /S /LOG=C:\\setup.log");
  log.Line("folder", "C:\\Apps\\Viewer", "created");
  log.Line("copied", "Viewer.exe");
  log.Line("result 0");
  EXPECT_EQ(fake.logs["C:\\setup.log"],
            "an earlier run\r\n"
            "2026-12-07 09:30:00 setup.exe /S /LOG=C:\\setup.log\r\n"
            "folder: C:\\Apps\\Viewer: created\r\n"
            "copied: Viewer.exe\r\n"
            "result 0\r\n");
}

// The file is opened once for the whole run; one that cannot be opened, or is refused, is never
// written, and the run knows it before its first line.
TEST(RunLog, OpenedOnceOrNeverWritten) {
  for (bool opens : {true, false}) {
    FakePlatform fake;
    fake.logWritable = opens;
    RunLog log(fake, "C:\\setup.log");
    EXPECT_EQ(log.Writable(), opens);
    log.Header("setup.exe");
    log.Line("folder", "C:\\Apps");
    EXPECT_EQ(fake.logOpenings, 1);
    EXPECT_EQ(fake.logs.count("C:\\setup.log"), opens ? 1u : 0u);
  }
}

TEST(RunLog, NoFileNoLines) {
  for (const char* path : {static_cast<const char*>(nullptr), ""}) {
    FakePlatform fake;
    RunLog log(fake, path);
    EXPECT_FALSE(log.Active());
    log.Header("setup.exe");
    log.Line("folder", "C:\\Apps");
    EXPECT_TRUE(fake.logs.empty());
  }
}

TEST(RunLog, LongLineIsCutBeforeItsEnd) {
  FakePlatform fake;
  RunLog log(fake, "x.log");
  const std::string name(2 * RunLog::kLineCapacity, 'n');
  log.Line("copied", name.c_str());
  const std::string& written = fake.logs["x.log"];
  EXPECT_EQ(written.size(), RunLog::kLineCapacity - 1);
  EXPECT_EQ(written.substr(0, 10), "copied: nn");
  EXPECT_EQ(written.substr(written.size() - 3), "n\r\n");
}

}  // namespace

// With no window, what a message says goes to the log on one line, and the boxes answer from the
// command line.
TEST(SilentDialog, MessagesToTheLogBoxesFromTheCommandLine) {
  FakePlatform fake;
  RunLog log(fake, "s.log");
  SilentDialog dialog(log, true);
  dialog.SetFolder("C:\\Program Files\\Tiny Notes");
  dialog.SetRunAfter(true);
  dialog.ShowMessage("Cannot open 'setup.inf'!", "setup");
  dialog.ShowMessage("No title.", "");
  EXPECT_TRUE(dialog.AskYesNo("Remove it?\n\nAll of it.", "Tiny Notes Uninstall"));
  char folder[260];
  EXPECT_TRUE(dialog.GetControlText(IDC_FOLDER, folder, sizeof folder));
  EXPECT_STREQ(folder, "C:\\Program Files\\Tiny Notes");
  EXPECT_EQ(dialog.GetCheckState(IDC_RUN_AFTER), 1);
  dialog.RequestQuit(0);
  EXPECT_TRUE(dialog.QuitRequested());
  EXPECT_EQ(fake.logs["s.log"],
            "setup: Cannot open 'setup.inf'!\r\n"
            "message: No title.\r\n"
            "Tiny Notes Uninstall: Remove it?  All of it.\r\n"
            "answered: yes (/S)\r\n");
}
