// The setup dialog's portable side: the caption, the icon's place, the order of the opening steps.
#include "ui/setup_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "description/setup_reader.h"
#include "tests/unit/example_description.h"
#include "tests/unit/fake_platform.h"

namespace {

using Settings = OwnedSettings;

// ---- Caption ---------------------------------------------------------------------------------

struct CaptionCase {
  std::string productName;
  std::string caption;
};

class Caption : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(Caption, IsProductNameAndSetupCutAtTheBuffer) {
  // Guard bytes after the buffer show that a long name never writes past it.
  struct {
    char caption[kCaptionCapacity];
    char guard[16];
  } out;
  std::memset(&out, '#', sizeof out);
  ComposeCaption(out.caption, GetParam().productName.c_str());
  EXPECT_EQ(std::string(out.caption), GetParam().caption);
  EXPECT_EQ(std::string(out.guard, sizeof out.guard), std::string(sizeof out.guard, '#'));
}

INSTANTIATE_TEST_SUITE_P(
    SetupDialog, Caption,
    ::testing::Values(CaptionCase{"Viewer", "Viewer Setup"}, CaptionCase{"", " Setup"},
                      CaptionCase{"Viewer 1.0", "Viewer 1.0 Setup"},
                      // 249 characters and " Setup" fill the 255 characters exactly.
                      CaptionCase{std::string(249, 'n'), std::string(249, 'n') + " Setup"},
                      CaptionCase{std::string(250, 'n'), std::string(250, 'n') + " Setu"},
                      CaptionCase{std::string(254, 'n'), std::string(254, 'n') + " "},
                      CaptionCase{std::string(255, 'n'), std::string(255, 'n')}));

// ---- Icon position ---------------------------------------------------------------------------

struct OffsetCase {
  int client;
  int icon;
  int offset;
};

class IconPlace : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(IconPlace, IsCentredRoundingTowardZero) {
  EXPECT_EQ(IconOffset(GetParam().client, GetParam().icon), GetParam().offset);
}

INSTANTIATE_TEST_SUITE_P(SetupDialog, IconPlace,
                         ::testing::Values(OffsetCase{32, 32, 0},     // (0 + 1) / 2
                                           OffsetCase{33, 32, 1},     // odd difference rounds up
                                           OffsetCase{34, 32, 1},     // even difference: half
                                           OffsetCase{100, 32, 34},   // 69 / 2
                                           OffsetCase{101, 32, 35},   // 70 / 2
                                           OffsetCase{120, 16, 52},   // 105 / 2
                                           OffsetCase{31, 32, 0},     // 0 / 2
                                           OffsetCase{30, 32, 0},     // -1 / 2 truncates to 0
                                           OffsetCase{0, 32, -15}));  // -31 / 2 truncates to -15

// ---- Opening steps ---------------------------------------------------------------------------

std::vector<std::string> Open(FakePlatform& platform, Settings& settings) {
  InitializeSetupDialog(platform, settings, [&] { ReadSetupInfo(platform, platform, settings); });
  return platform.calls;
}

TEST(SetupDialog, OpensWithCheckBoxThenReaderThenCaptionThenFolderBox) {
  FakePlatform platform;
  platform.files["setup.inf"] = kExampleDescription;
  Settings settings;
  EXPECT_EQ(Open(platform, settings), (std::vector<std::string>{
                                          "SetCheckState(104|1)",
                                          "ReadFileHead(setup.inf)",
                                          "SetCaption(Viewer 1.0 Setup)",
                                          "SetControlText(102|C:\\Program Files\\Viewer)",
                                      }));
  EXPECT_EQ(settings.EntryCount, 2);
}

TEST(SetupDialog, AfterAMissingDescriptionStillShowsCaptionAndFolderAndQuits) {
  FakePlatform platform;
  Settings settings;
  EXPECT_EQ(Open(platform, settings), (std::vector<std::string>{
                                          "SetCheckState(104|1)",
                                          "ReadFileHead(setup.inf)",
                                          "ShowMessage(Cannot open 'setup.inf'!|setup)",
                                          "RequestQuit(0)",
                                          "SetCaption( Setup)",
                                          "SetControlText(102|)",
                                      }));
}

TEST(SetupDialog, AfterAShortDescriptionShowsWhatWasRead) {
  FakePlatform platform;
  platform.files["setup.inf"] = "Viewer.exe\nC:\\Apps\\Viewer\nViewer\nViewer 1.0\n";
  Settings settings;
  std::vector<std::string> calls = Open(platform, settings);
  EXPECT_EQ(
      platform.CallsStartingWith("ShowMessage"),
      std::vector<std::string>{"ShowMessage(Cannot read enough data from 'setup.inf'!|setup)"});
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[3], "RequestQuit(0)");
  EXPECT_EQ(calls[4], "SetCaption(Viewer 1.0 Setup)");
  EXPECT_EQ(calls[5], "SetControlText(102|C:\\Apps\\Viewer)");
}

}  // namespace
