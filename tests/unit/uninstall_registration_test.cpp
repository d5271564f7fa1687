// Uninstall registration: the probe, the key and its values, the uninstaller copy.
#include "integration/uninstall_registration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "description/setup_settings.h"
#include "tests/unit/fake_platform.h"

namespace {

const std::string kRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

struct RegistrationFixture : ::testing::Test {
  RegistrationFixture() : settings(), installed(names, 64) {
    std::strcpy(settings.FolderName, "Viewer");
    std::strcpy(settings.InstallDir, "C:\\Apps\\Viewer");
    std::strcpy(settings.ProgramFile, "Viewer.exe");
    fake.openableKeys.insert(kRoot);
    installed.Add(L"Viewer.exe", 1500);
    installed.Add(L"readme.txt", 549);  // 2,049 bytes: 3 KiB
  }
  void Register(FakePlatform& platform) {
    RegisterUninstall(platform, platform, settings, installed);
  }
  FakePlatform fake;
  SetupSettingsRecord settings;
  wchar_t names[64];
  InstalledFilesRecord installed;
};

TEST_F(RegistrationFixture, ValuesInOrderThenTheCopy) {
  Register(fake);
  std::vector<std::string> expected = {
      "GetWindowsFolder()",
      "RegistryKeyOpens(" + kRoot + ")",
      "RegistrySetString(" + kRoot + "\\Viewer|DisplayName|Viewer)",
      "RegistrySetString(" + kRoot +
          "\\Viewer|UninstallString|\"C:\\WINDOWS\\Viewer Uninstall.exe\")",
      "RegistrySetString(" + kRoot + "\\Viewer|InstallTo|C:\\Apps\\Viewer)",
      "RegistrySetString(" + kRoot +
          "\\Viewer|QuietUninstallString|\"C:\\WINDOWS\\Viewer Uninstall.exe\" /S)",
      "RegistrySetString(" + kRoot + "\\Viewer|InstallLocation|C:\\Apps\\Viewer)",
      "RegistrySetString(" + kRoot + "\\Viewer|DisplayIcon|C:\\Apps\\Viewer\\Viewer.exe)",
      "RegistrySetNumber(" + kRoot + "\\Viewer|EstimatedSize|3)",
      "RegistrySetNumber(" + kRoot + "\\Viewer|NoModify|1)",
      "RegistrySetNumber(" + kRoot + "\\Viewer|NoRepair|1)",
      "RegistrySetMultiString(" + kRoot + "\\Viewer|InstalledFiles|Viewer.exe|readme.txt)",
      "CopyOneFile(UNINSTAL.EXE|C:\\WINDOWS\\Viewer Uninstall.exe)",
  };
  EXPECT_EQ(fake.calls, expected);
  EXPECT_EQ(fake.registry[kRoot + "\\Viewer"]["InstalledFiles"],
            std::string("Viewer.exe\0readme.txt\0", 23));
}

TEST_F(RegistrationFixture, RecordGoesWithTheKeyAndOnlyWhenComplete) {
  const std::string key = kRoot + "\\Viewer";
  struct Case {
    const char* what;
    bool probeOpens;
    std::size_t folderNameLength;  // 0: "Viewer"
    bool spoilt;
    bool recorded;
  } cases[] = {
      {"whole entry", true, 0, false, true},
      {"a name did not fit", true, 0, true, false},
      {"probe fails", false, 0, false, false},
      {"key name does not fit", true, 208, false, false},
  };
  for (const Case& c : cases) {
    FakePlatform fresh;
    fresh.windowsFolder = "C:\\W";
    if (c.probeOpens)
      fresh.openableKeys.insert(kRoot);
    std::strcpy(settings.FolderName,
                c.folderNameLength ? std::string(c.folderNameLength, 'v').c_str() : "Viewer");
    wchar_t small[16];
    InstalledFilesRecord record(small, 16);
    record.Add(L"Viewer.exe");
    if (c.spoilt)
      record.Add(L"readme.txt");
    RegisterUninstall(fresh, fresh, settings, record);
    EXPECT_EQ(fresh.CallsStartingWith("RegistrySetMultiString").size(), c.recorded ? 1u : 0u)
        << c.what;
    // The rest of the entry does not depend on the record.
    EXPECT_EQ(fresh.CallsStartingWith("RegistrySetString").size(),
              c.probeOpens && !c.folderNameLength ? 6u : 0u)
        << c.what;
  }
}

TEST_F(RegistrationFixture, ProbeFailureStillCopiesTheUninstaller) {
  fake.openableKeys.clear();
  Register(fake);
  EXPECT_TRUE(fake.CallsStartingWith("RegistrySetString").empty());
  EXPECT_EQ(fake.copied["C:\\WINDOWS\\Viewer Uninstall.exe"], "UNINSTAL.EXE");
}

TEST_F(RegistrationFixture, KeyFollowsFolderNameNotTheChosenFolder) {
  std::strcpy(settings.InstallDir, "D:\\Elsewhere\\Other");
  Register(fake);
  const auto& values = fake.registry[kRoot + "\\Viewer"];
  EXPECT_EQ(values.at("DisplayName"), "Viewer");
  EXPECT_EQ(values.at("InstallTo"), "D:\\Elsewhere\\Other");
}

TEST_F(RegistrationFixture, EmptyFolderNameIsUsedAsComposed) {
  settings.FolderName[0] = '\0';
  Register(fake);
  ASSERT_EQ(fake.registry.count(kRoot + "\\"), 1u);
  const auto& values = fake.registry[kRoot + "\\"];
  EXPECT_EQ(values.at("DisplayName"), "");
  EXPECT_EQ(values.at("UninstallString"), "\"C:\\WINDOWS\\ Uninstall.exe\"");
  EXPECT_EQ(fake.copied["C:\\WINDOWS\\ Uninstall.exe"], "UNINSTAL.EXE");
}

TEST_F(RegistrationFixture, DriveRootWindowsFolder) {
  fake.windowsFolder = "C:\\";
  Register(fake);
  EXPECT_EQ(fake.copied["C:\\\\Viewer Uninstall.exe"], "UNINSTAL.EXE");
}

TEST_F(RegistrationFixture, NothingThatDoesNotFitIsWrittenOrCopied) {
  const std::string longWindows = "C:\\" + std::string(197, 'w');  // 200 characters
  struct Case {
    const char* what;
    std::string windowsFolder;
    std::size_t folderNameLength;
    bool keyWritten;
    bool copied;
  } cases[] = {
      // 10 + 1 + 234 + 14 (" Uninstall.exe") = 259: the longest uninstaller path.
      {"longest uninstaller path", "C:\\WINDOWS", 234, false, true},
      {"uninstaller path one too long", "C:\\WINDOWS", 235, false, false},
      // The key prefix is 52 characters: 52 + 207 = 259.
      {"longest key name", "C:\\W", 207, true, true},
      {"key name one too long", "C:\\W", 208, false, true},
      // A 259-character path still fits its value once quoted.
      {"quoted longest path", longWindows, 44, true, true},
      {"Windows folder unreadable", "", 6, false, false},
  };
  for (const Case& c : cases) {
    FakePlatform fresh;
    fresh.openableKeys.insert(kRoot);
    fresh.windowsFolder = c.windowsFolder;
    std::string name(c.folderNameLength, 'v');
    std::strcpy(settings.FolderName, name.c_str());
    Register(fresh);
    EXPECT_EQ(fresh.CallsStartingWith("RegistrySetString").size(), c.keyWritten ? 6u : 0u)
        << c.what;
    EXPECT_EQ(fresh.CallsStartingWith("CopyOneFile").size(), c.copied ? 1u : 0u) << c.what;
    if (c.keyWritten && c.copied) {
      const std::string path = fresh.copied.begin()->first;
      EXPECT_EQ(fresh.registry[kRoot + "\\" + name].at("UninstallString"), "\"" + path + "\"")
          << c.what;
      EXPECT_EQ(fresh.registry[kRoot + "\\" + name].at("QuietUninstallString"),
                "\"" + path + "\" /S")
          << c.what;
    }
  }
}

TEST(RegKeyExists, ComposesTheProbedName) {
  const std::string fits79(79, 'k');
  struct Case {
    std::string subKey;
    const char* child;
    std::string probed;  // empty: not probed
  } cases[] = {
      {"Software\\A", nullptr, "Software\\A"},
      {"Software\\A", "B", "Software\\A\\B"},
      {"Software\\A", "", "Software\\A\\"},
      {fits79, nullptr, fits79},
      {fits79 + "x", nullptr, ""},
      {fits79.substr(0, 77), "c", fits79.substr(0, 77) + "\\c"},
      {fits79.substr(0, 77), "cd", ""},
  };
  for (const Case& c : cases) {
    FakePlatform fake;
    fake.openableKeys.insert(c.probed);
    int opens = RegKeyExists(fake, RegistryRoot::kLocalMachine, c.subKey.c_str(), c.child);
    if (c.probed.empty()) {
      EXPECT_TRUE(fake.calls.empty()) << c.subKey;
      EXPECT_EQ(opens, 0);
    } else {
      ASSERT_EQ(fake.calls.size(), 1u);
      EXPECT_EQ(fake.calls[0], "RegistryKeyOpens(" + c.probed + ")");
      EXPECT_EQ(opens, 1);
    }
  }
  FakePlatform closed;
  EXPECT_EQ(RegKeyExists(closed, RegistryRoot::kLocalMachine, "Software\\A", nullptr), 0);
}

}  // namespace
