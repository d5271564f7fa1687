// The setup description reader: line rules, fields, entries, errors.
#include "description/setup_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/unit/fake_platform.h"

namespace {

// A settings record that starts zero-filled, like the process-wide one, and frees its entries.
struct Settings : SetupSettingsRecord {
  Settings() : SetupSettingsRecord() {}
  ~Settings() { FreeEntryStrings(*this); }
};

SetupInfoStatus Parse(const std::string& text, Settings& s) {
  return ParseSetupInfo(text.data(), text.size(), s);
}

std::string Name(const Settings& s, int k) {
  return s.EntryName[k] ? s.EntryName[k] : "(null)";
}
std::string File(const Settings& s, int k) {
  return s.EntryFile[k] ? s.EntryFile[k] : "(null)";
}

const char kExample[] =
    "Viewer.exe\n"
    "C:\\Program Files\\Viewer\n"
    "Viewer\n"
    "Viewer 1.0\n"
    "2\n"
    "Viewer,Viewer.exe\n"
    "Read me,readme.txt\n";

TEST(SetupReader, ExampleFillsEveryField) {
  Settings s;
  ASSERT_EQ(Parse(kExample, s), SetupInfoStatus::kOk);
  EXPECT_STREQ(s.ProgramFile, "Viewer.exe");
  EXPECT_STREQ(s.InstallDir, "C:\\Program Files\\Viewer");
  EXPECT_STREQ(s.FolderName, "Viewer");
  EXPECT_STREQ(s.LinkTitle, "Viewer");
  EXPECT_STREQ(s.ProductName, "Viewer 1.0");
  EXPECT_EQ(s.EntryCount, 2);
  EXPECT_EQ(Name(s, 0), "Viewer");
  EXPECT_EQ(File(s, 0), "Viewer.exe");
  EXPECT_EQ(Name(s, 1), "Read me");
  EXPECT_EQ(File(s, 1), "readme.txt");
  EXPECT_EQ(s.EntryName[2], nullptr);
}

TEST(SetupReader, EntryStringsAreExactAllocations) {
  Settings s;
  ASSERT_EQ(Parse(kExample, s), SetupInfoStatus::kOk);
  // Separate allocations, not pointers into a shared buffer.
  EXPECT_NE(s.EntryName[0], s.EntryFile[0]);
  EXPECT_NE(s.EntryName[0], s.EntryName[1]);
}

}  // namespace
