// The run's log: nothing without a file; a header, then one line a step, each ending in CR LF and
// appended to what the file held; a line too long for its buffer is cut, never overrun.
#include "integration/run_log.h"

#include <gtest/gtest.h>

#include <string>

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
