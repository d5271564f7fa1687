// The "..." button: the chosen folder, a backslash and FolderName, or the folder box unchanged.
// (Freeing the browser's item and releasing the shell allocator is the Win32 side's, tested
// under Wine in tests/win32/platform_resources_test.cpp.)
#include "ui/folder_browse.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/unit/fake_platform.h"

namespace {

constexpr int kFolderBox = 102;
const char kUnchanged[] = "C:\\Program Files\\Viewer";

struct BrowseCase {
  const char* name;
  std::string chosen;      // what the shell returned as the folder's path
  std::string folderName;  // FolderName
  std::string box;         // the folder box afterwards
};

class Browse : public ::testing::TestWithParam<BrowseCase> {};

TEST_P(Browse, ComposesTheFolderBox) {
  FakePlatform platform;
  platform.browseChooses = true;
  platform.browsePath = GetParam().chosen;
  platform.controlText[kFolderBox] = kUnchanged;
  SetupSettingsRecord settings = {};
  std::strcpy(settings.FolderName, GetParam().folderName.c_str());

  BrowseForInstallFolder(platform, platform, settings);

  EXPECT_EQ(platform.controlText[kFolderBox], GetParam().box);
  EXPECT_EQ(platform.calls.front(), "BrowseForFolder(Select the folder...)");
}

// 259 characters in all is the most MAX_PATH holds.
const std::string k254(254, 'p');

INSTANTIATE_TEST_SUITE_P(
    FolderBrowse, Browse,
    ::testing::Values(BrowseCase{"Folder", "C:\\Apps", "Viewer", "C:\\Apps\\Viewer"},
                      // The separator is appended without looking at the path's end.
                      BrowseCase{"DriveRoot", "C:\\", "Viewer", "C:\\\\Viewer"},
                      BrowseCase{"EmptyFolderName", "D:\\Tools", "", "D:\\Tools\\"},
                      BrowseCase{"FillsMaxPath", "C:\\" + k254, "a", "C:\\" + k254 + "\\a"},
                      // One character more would be cut: the box keeps what it held.
                      BrowseCase{"TooLong", "C:\\" + k254, "ab", kUnchanged},
                      BrowseCase{"TooLongForAnyName", "C:\\" + k254 + "xx", "", kUnchanged},
                      // An item with no file-system path: nothing sensible to compose.
                      BrowseCase{"NoFileSystemPath", "", "Viewer", kUnchanged}),
    [](const ::testing::TestParamInfo<BrowseCase>& info) { return info.param.name; });

TEST(FolderBrowse, CancelLeavesTheFolderBox) {
  FakePlatform platform;
  platform.browseChooses = false;
  platform.controlText[kFolderBox] = kUnchanged;
  SetupSettingsRecord settings = {};
  std::strcpy(settings.FolderName, "Viewer");

  BrowseForInstallFolder(platform, platform, settings);

  EXPECT_EQ(platform.calls, std::vector<std::string>{"BrowseForFolder(Select the folder...)"});
  EXPECT_EQ(platform.controlText[kFolderBox], kUnchanged);
}

TEST(FolderBrowse, ChoosingTheSameFolderTwiceGivesTheSameText) {
  FakePlatform platform;
  platform.browseChooses = true;
  platform.browsePath = "C:\\Apps";
  SetupSettingsRecord settings = {};
  std::strcpy(settings.FolderName, "Viewer");

  BrowseForInstallFolder(platform, platform, settings);
  BrowseForInstallFolder(platform, platform, settings);

  EXPECT_EQ(platform.CallsStartingWith("SetControlText"),
            (std::vector<std::string>{"SetControlText(102|C:\\Apps\\Viewer)",
                                      "SetControlText(102|C:\\Apps\\Viewer)"}));
}

}  // namespace
