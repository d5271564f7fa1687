// Shortcut creation: the composed link and target paths, the group step, COM around each call,
// and the shortcuts that are left out rather than written to a wrong place.
#include "integration/shortcut.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/fake_platform.h"

namespace {

constexpr char kDesktopNt[] = "C:\\Users\\Public\\Desktop";
constexpr char kProgramsNt[] = "C:\\ProgramData\\Start Menu\\Programs";
constexpr char kDesktop9x[] = "C:\\WINDOWS\\Desktop";
constexpr char kPrograms9x[] = "C:\\WINDOWS\\Start Menu\\Programs";

struct ShortcutFixture : ::testing::Test {
  ShortcutFixture() {
    fake.specialFolders[kCsidlCommonDesktopDirectory] = kDesktopNt;
    fake.specialFolders[kCsidlCommonPrograms] = kProgramsNt;
    fake.specialFolders[kCsidlDesktopDirectory] = kDesktop9x;
    fake.specialFolders[kCsidlPrograms] = kPrograms9x;
  }
  int Desktop(const char* workDir, const char* file = "Viewer.exe") {
    return CreateShortcut(fake, fake, kCsidlDesktopDirectory, kCsidlCommonDesktopDirectory, nullptr,
                          "Viewer", workDir, file, "Viewer", "Desktop.ico");
  }
  int Menu(const char* group, const char* name = "Read me") {
    return CreateShortcut(fake, fake, kCsidlPrograms, kCsidlCommonPrograms, group, name,
                          "C:\\Apps\\Viewer", "readme.txt", name, "Desktop.ico");
  }
  std::vector<std::string> Links() const { return fake.CallsStartingWith("WriteShellLink"); }
  FakePlatform fake;
};

TEST_F(ShortcutFixture, DesktopShortcutOnNtInOrder) {
  EXPECT_EQ(Desktop("C:\\Apps\\Viewer"), 1);
  std::vector<std::string> expected = {
      "InitializeCom()",
      "WindowsFamily()",
      "GetSpecialFolder(25)",
      "WriteShellLink(C:\\Users\\Public\\Desktop\\Viewer.lnk|C:\\Apps\\Viewer\\Viewer.exe|"
      "C:\\Apps\\Viewer|Viewer|Desktop.ico)",
      "UninitializeCom()",
  };
  EXPECT_EQ(fake.calls, expected);
}

TEST_F(ShortcutFixture, FamilyChoosesTheFolder) {
  struct Case {
    int family;
    bool group;
    const char* link;
  } cases[] = {
      {kFamilyWindowsNt, false, "C:\\Users\\Public\\Desktop\\Viewer.lnk"},
      {kFamilyWindows9x, false, "C:\\WINDOWS\\Desktop\\Viewer.lnk"},
      {kFamilyWindowsNt, true, "C:\\ProgramData\\Start Menu\\Programs\\Viewer 1.0\\Read me.lnk"},
      {kFamilyWindows9x, true, "C:\\WINDOWS\\Start Menu\\Programs\\Viewer 1.0\\Read me.lnk"},
  };
  for (const Case& c : cases) {
    fake.calls.clear();
    fake.family = c.family;
    if (c.group)
      Menu("Viewer 1.0");
    else
      Desktop("C:\\Apps\\Viewer");
    ASSERT_EQ(Links().size(), 1u) << c.link;
    EXPECT_EQ(Links()[0].find(std::string("WriteShellLink(") + c.link + "|"), 0u) << Links()[0];
  }
}

TEST_F(ShortcutFixture, GroupIsCreatedBeforeTheLink) {
  Menu("Viewer 1.0");
  std::vector<std::string> expected = {
      "InitializeCom()",
      "WindowsFamily()",
      "GetSpecialFolder(23)",
      "MakeFolder(C:\\ProgramData\\Start Menu\\Programs\\Viewer 1.0)",
      "WriteShellLink(C:\\ProgramData\\Start Menu\\Programs\\Viewer 1.0\\Read me.lnk|"
      "C:\\Apps\\Viewer\\readme.txt|C:\\Apps\\Viewer|Read me|Desktop.ico)",
      "UninitializeCom()",
  };
  EXPECT_EQ(fake.calls, expected);
}

TEST_F(ShortcutFixture, ExistingGroupIsReused) {
  fake.makeFolder["C:\\ProgramData\\Start Menu\\Programs\\Viewer 1.0"] =
      FolderCreation::kAlreadyExists;
  Menu("Viewer 1.0");
  Menu("Viewer 1.0", "Viewer");
  EXPECT_EQ(Links().size(), 2u);
  EXPECT_EQ(fake.CallsStartingWith("MakeFolder").size(), 2u);
}

TEST_F(ShortcutFixture, SeparatorsAreNeverMergedOrRemoved) {
  // An empty group: the special folder with a trailing backslash, then a doubled separator.
  Menu("");
  EXPECT_EQ(fake.CallsStartingWith("MakeFolder")[0],
            "MakeFolder(C:\\ProgramData\\Start Menu\\Programs\\)");
  EXPECT_EQ(Links()[0].find("WriteShellLink(C:\\ProgramData\\Start Menu\\Programs\\\\Read me.lnk|"),
            0u);

  // A working folder that ends in a backslash gives a target with a doubled separator.
  fake.calls.clear();
  Desktop("C:\\Apps\\Viewer\\");
  EXPECT_NE(Links()[0].find("|C:\\Apps\\Viewer\\\\Viewer.exe|C:\\Apps\\Viewer\\|"),
            std::string::npos)
      << Links()[0];

  // A drive root as the working folder.
  fake.calls.clear();
  Desktop("D:\\");
  EXPECT_NE(Links()[0].find("|D:\\\\Viewer.exe|D:\\|"), std::string::npos) << Links()[0];
}

TEST_F(ShortcutFixture, UnplaceableShortcutsAreLeftOutWithComBalanced) {
  const std::string longName(240, 'n');
  struct Case {
    const char* what;
    int family;
    const char* folder;  // null: does not resolve
    const char* group;
    std::string link;
    std::string workDir;
  } cases[] = {
      {"failed version query", 0, kDesktopNt, nullptr, "Viewer", "C:\\Apps"},
      {"unknown family", 3, kDesktopNt, nullptr, "Viewer", "C:\\Apps"},
      {"unresolved folder", kFamilyWindowsNt, nullptr, nullptr, "Viewer", "C:\\Apps"},
      {"empty folder, not the drive root", kFamilyWindowsNt, "", nullptr, "Viewer", "C:\\Apps"},
      {"group too long", kFamilyWindowsNt, kDesktopNt, longName.c_str(), "Viewer", "C:\\Apps"},
      {"link path too long", kFamilyWindowsNt, kDesktopNt, nullptr, longName, "C:\\Apps"},
      {"target too long", kFamilyWindowsNt, kDesktopNt, nullptr, "Viewer",
       "C:\\" + longName + "\\deeper"},
      // Names that would lead the link out of its folder, or into a stream.
      {"backslash in the name", kFamilyWindowsNt, kDesktopNt, nullptr, "..\\Viewer", "C:\\Apps"},
      {"colon in the name", kFamilyWindowsNt, kDesktopNt, nullptr, "Viewer:x", "C:\\Apps"},
      {"slash in the group", kFamilyWindowsNt, kDesktopNt, "a/b", "Viewer", "C:\\Apps"},
  };
  for (const Case& c : cases) {
    fake.calls.clear();
    fake.family = c.family;
    fake.specialFolders.erase(kCsidlCommonDesktopDirectory);
    if (c.folder)
      fake.specialFolders[kCsidlCommonDesktopDirectory] = c.folder;
    EXPECT_EQ(
        CreateShortcut(fake, fake, kCsidlDesktopDirectory, kCsidlCommonDesktopDirectory, c.group,
                       c.link.c_str(), c.workDir.c_str(), "Viewer.exe", "Viewer", nullptr),
        1)
        << c.what;
    EXPECT_TRUE(Links().empty()) << c.what;
    EXPECT_TRUE(fake.CallsStartingWith("MakeFolder").empty()) << c.what;
    EXPECT_EQ(fake.calls.front(), "InitializeCom()") << c.what;
    EXPECT_EQ(fake.calls.back(), "UninitializeCom()") << c.what;
  }
}

TEST_F(ShortcutFixture, LongestFittingLinkPathIsWritten) {
  // "C:\Users\Public\Desktop" (23) + "\" + name + ".lnk" must stay within 259 characters.
  const std::string fits(259 - 23 - 1 - 4, 'a');
  const std::string tooLong = fits + "a";
  CreateShortcut(fake, fake, 0, kCsidlCommonDesktopDirectory, nullptr, fits.c_str(), "C:\\A",
                 "x.exe", "d", nullptr);
  CreateShortcut(fake, fake, 0, kCsidlCommonDesktopDirectory, nullptr, tooLong.c_str(), "C:\\A",
                 "x.exe", "d", nullptr);
  ASSERT_EQ(Links().size(), 1u);
  EXPECT_NE(Links()[0].find(fits + ".lnk|"), std::string::npos);
}

}  // namespace
