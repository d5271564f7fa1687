// The uninstaller's refusals: its own name, the recorded folder's spelling, and the folders it
// must never empty.
#include <gtest/gtest.h>

#include <string>

#include "tests/unit/fake_platform.h"
#include "uninstall/folder_safety.h"
#include "uninstall/path_text.h"
#include "uninstall/uninstaller_name.h"

namespace {

TEST(UninstallerName, FolderNameFromOwnFileName) {
  struct Case {
    const char* path;
    const char* folderName;  // empty: refused
  } cases[] = {
      {"C:\\WINDOWS\\Tiny Notes Uninstall.exe", "Tiny Notes"},
      {"C:\\WINDOWS\\viewer uninstall.EXE", "viewer"},
      {"Viewer Uninstall.exe", "Viewer"},
      {"C:\\My Apps\\A Uninstall.exe Uninstall.exe", "A Uninstall.exe"},
      {"C:\\WINDOWS\\UNINSTAL.EXE", ""},
      {"C:\\WINDOWS\\ Uninstall.exe", ""},  // an empty FolderName names the uninstall root
      {"C:\\WINDOWS\\Uninstall.exe", ""},
      {"C:\\WINDOWS\\Viewer Uninstall.exe.bak", ""},
      {"C:\\Viewer Uninstall.exe\\setup.exe", ""},
      {"C:\\WINDOWS\\TINYNO~1.EXE", ""},
  };
  for (const Case& c : cases) {
    char folderName[kTextCapacity] = "stale";
    EXPECT_EQ(FolderNameFromUninstaller(c.path, folderName), c.folderName[0] != '\0') << c.path;
    EXPECT_STREQ(folderName, c.folderName) << c.path;
  }
  char folderName[kTextCapacity];
  EXPECT_TRUE(
      FolderNameFromUninstaller((std::string(255, 'n') + " Uninstall.exe").c_str(), folderName));
  EXPECT_FALSE(
      FolderNameFromUninstaller((std::string(256, 'n') + " Uninstall.exe").c_str(), folderName));
}

TEST(PathText, NormalizedSpellingRootAndParent) {
  struct Case {
    const char* path;
    PathForm form;
    const char* normalized;
    const char* parent;  // empty: a root
  } cases[] = {
      {"C:\\Program Files\\Tiny Notes", PathForm::kFull, "C:\\Program Files\\Tiny Notes",
       "C:\\Program Files"},
      {"C:\\\\Tiny Notes\\", PathForm::kFull, "C:\\Tiny Notes", "C:\\"},
      {"c:/apps//viewer/", PathForm::kFull, "c:\\apps\\viewer", "c:\\apps"},
      {"C:\\", PathForm::kFull, "C:\\", ""},
      {"C:/", PathForm::kFull, "C:\\", ""},
      {"\\\\server\\share\\Apps", PathForm::kFull, "\\\\server\\share\\Apps", "\\\\server\\share"},
      {"\\\\server\\\\share\\", PathForm::kFull, "\\\\server\\share", ""},
      {"C:\\Apps\\...x\\Viewer 1.0", PathForm::kFull, "C:\\Apps\\...x\\Viewer 1.0",
       "C:\\Apps\\...x"},
      {"", PathForm::kEmpty, "", ""},
      {"Tiny Notes", PathForm::kRelative, "", ""},
      {"\\Apps\\Viewer", PathForm::kRelative, "", ""},
      {"C:Apps", PathForm::kRelative, "", ""},
      {"C:", PathForm::kRelative, "", ""},
      {"z:\\", PathForm::kFull, "z:\\", ""},
      {"Z:\\Apps", PathForm::kFull, "Z:\\Apps", "Z:\\"},
      {"\\\\a\\share\\Apps", PathForm::kFull, "\\\\a\\share\\Apps", "\\\\a\\share"},
      {"1:\\Apps", PathForm::kRelative, "", ""},
      {"C:\\Apps\\..\\WINDOWS", PathForm::kOddPart, "", ""},
      {"C:\\Apps\\.\\Viewer", PathForm::kOddPart, "", ""},
      {"C:\\Apps\\...", PathForm::kOddPart, "", ""},
      {"C:\\Apps\\ \\Viewer", PathForm::kOddPart, "", ""},
      {"C:\\Apps\\*", PathForm::kInvalid, "", ""},
      {"C:\\Apps\\a:stream", PathForm::kInvalid, "", ""},
      {"\\\\?\\C:\\Apps", PathForm::kInvalid, "", ""},
      {"\\\\.\\C:\\Apps", PathForm::kInvalid, "", ""},
      {"\\\\server", PathForm::kInvalid, "", ""},
      {"\\\\..\\share\\Apps", PathForm::kInvalid, "", ""},
  };
  for (const Case& c : cases) {
    char out[kPathCapacity];
    char parent[kPathCapacity] = {};
    EXPECT_EQ(NormalizeFolderPath(c.path, out), c.form) << c.path;
    EXPECT_STREQ(out, c.normalized) << c.path;
    if (c.form == PathForm::kFull) {
      EXPECT_EQ(ParentFolder(out, parent), c.parent[0] != '\0') << c.path;
      EXPECT_STREQ(parent, c.parent) << c.path;
    }
  }
}

TEST(PathText, NamesThatComposeSafely) {
  struct Case {
    const char* name;
    bool single;
    bool folder;
  } cases[] = {
      {"Tiny Notes 1.0", true, true},
      {"", true, false},
      {".", true, false},
      {"..", true, false},
      {" . ", true, false},
      {"..\\..\\x", false, false},
      {"a/b", false, false},
      {"C:x", false, false},
      {"Read me", true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsSingleName(c.name), c.single) << c.name;
    EXPECT_EQ(IsFolderName(c.name), c.folder) << c.name;
  }
}

// A machine with the usual folders, as an NT-family system names them.
struct FolderFixture : ::testing::Test {
  FolderFixture() {
    fake.windowsFolder = "C:\\WINDOWS";
    fake.specialFolders = {
        {0x24, "C:\\WINDOWS"},
        {0x25, "C:\\WINDOWS\\system32"},
        {0x26, "C:\\Program Files"},
        {0x28, "C:\\Users\\bob"},
        {0x05, "C:\\Users\\bob\\Documents"},
        {0x19, "C:\\Users\\Public\\Desktop"},
        {0x23, "C:\\ProgramData"},
        {0x17, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
    };
    for (const char* folder :
         {"C:\\WINDOWS", "C:\\WINDOWS\\Fonts", "C:\\Program Files", "C:\\Program Files\\Tiny Notes",
          "C:\\Tiny Notes", "C:\\Users", "C:\\Users\\bob", "C:\\Users\\bob\\Documents",
          "C:\\Users\\bob\\Apps", "C:\\Users\\bob\\Apps\\Tiny", "C:\\Users\\alice",
          "C:\\ProgramData", "C:\\Links\\Tiny", "\\\\srv\\share\\Apps"})
      fake.AddFolder(folder);
    fake.AddLink("C:\\Links", true);
    fake.AddLink("C:\\L", true);
    fake.AddFile("C:\\Program Files\\Tiny Notes\\setup.inf");
    // Windows spells names as they were typed, whatever their case.
    fake.AddFolder("c:\\windows");
    fake.AddFolder("c:\\windows\\Fonts");
    // The short name of the Windows folder.
    fake.aliases["c:\\win~1"] = "c:\\windows";
    fake.AddFolder("C:\\WIN~1");
  }
  struct Case {
    const char* installTo;
    FolderVerdict verdict;
    const char* detail;
  };
  template <std::size_t N>
  void ExpectVerdicts(const Case (&cases)[N]) {
    for (const Case& c : cases) {
      FolderCheck check = {};
      EXPECT_EQ(CheckInstallFolder(fake, c.installTo, check), c.verdict) << c.installTo;
      EXPECT_EQ(check.verdict, c.verdict) << c.installTo;
      EXPECT_STREQ(check.detail, c.detail) << c.installTo;
    }
  }
  FakePlatform fake;
};

TEST_F(FolderFixture, VerdictForEachRecordedFolder) {
  const Case cases[] = {
      {"C:\\Program Files\\Tiny Notes", FolderVerdict::kSafe, ""},
      {"C:\\\\Tiny Notes", FolderVerdict::kSafe, ""},
      {"\\\\srv\\share\\Apps", FolderVerdict::kSafe, ""},
      {"", FolderVerdict::kEmpty, ""},
      {"Tiny Notes", FolderVerdict::kRelative, ""},
      {"C:\\Program Files\\..\\WINDOWS", FolderVerdict::kOddPart, ""},
      {"C:\\Tiny?", FolderVerdict::kInvalid, ""},
      {"C:\\", FolderVerdict::kDriveRoot, "C:\\"},
      {"\\\\srv\\share\\", FolderVerdict::kDriveRoot, "\\\\srv\\share"},
      {"C:\\WINDOWS", FolderVerdict::kWindows, "C:\\WINDOWS"},
      {"c:\\windows\\Fonts", FolderVerdict::kWindows, "C:\\WINDOWS"},
      {"C:\\WIN~1", FolderVerdict::kWindows, "C:\\WINDOWS"},
      {"C:\\Program Files", FolderVerdict::kProtected, "C:\\Program Files"},
      // The first special folder it is or holds, in the order they are checked.
      {"C:\\Users", FolderVerdict::kProtected, "C:\\Users\\bob\\Documents"},
      {"C:\\Users\\bob\\Documents", FolderVerdict::kProtected, "C:\\Users\\bob\\Documents"},
      {"C:\\ProgramData", FolderVerdict::kProtected,
       "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
      {"C:\\Users\\alice", FolderVerdict::kProfile, "C:\\Users"},
      {"C:\\Program Files\\Gone", FolderVerdict::kGone, "C:\\Program Files\\Gone"},
      {"D:\\Apps\\Tiny", FolderVerdict::kGone, "D:\\Apps"},
      {"C:\\Links\\Tiny", FolderVerdict::kLink, "C:\\Links"},
      {"C:\\L\\Tiny", FolderVerdict::kLink, "C:\\L"},
      {"C:\\Program Files\\Tiny Notes\\setup.inf", FolderVerdict::kNotFolder,
       "C:\\Program Files\\Tiny Notes\\setup.inf"},
  };
  ExpectVerdicts(cases);
}

// A special folder the system reports as no full path (or not at all) protects nothing, and
// refuses nothing else for it.
TEST_F(FolderFixture, AnOddSpecialFolderRefusesNothingElse) {
  fake.specialFolders[0x05] = "Documents";
  fake.specialFolders.erase(0x2e);
  const Case cases[] = {{"C:\\Program Files\\Tiny Notes", FolderVerdict::kSafe, ""}};
  ExpectVerdicts(cases);
}

// Each folder of Windows or of a user is refused as it is, but a program's folder inside it is
// not. The Windows folder and the system folder are refused with everything inside them.
TEST_F(FolderFixture, EachSpecialFolderIsRefused) {
  const struct {
    int csidl;
    const char* what;
  } folders[] = {
      {0x02, "Start-menu programs"},
      {0x05, "documents"},
      {0x06, "favourites"},
      {0x07, "start-up programs"},
      {0x08, "recent documents"},
      {0x09, "send to"},
      {0x0b, "Start menu"},
      {0x0d, "music"},
      {0x0e, "videos"},
      {0x10, "desktop"},
      {0x13, "network shortcuts"},
      {0x14, "fonts"},
      {0x15, "templates"},
      {0x16, "all users' Start menu"},
      {0x17, "all users' programs"},
      {0x18, "all users' start-up"},
      {0x19, "all users' desktop"},
      {0x1a, "application data"},
      {0x1b, "printer shortcuts"},
      {0x1c, "local application data"},
      {0x1f, "all users' favourites"},
      {0x20, "internet cache"},
      {0x21, "cookies"},
      {0x22, "history"},
      {0x23, "all users' application data"},
      {0x26, "program files"},
      {0x27, "pictures"},
      {0x28, "profile"},
      {0x29, "32-bit system folder"},
      {0x2a, "32-bit program files"},
      {0x2b, "common files"},
      {0x2c, "32-bit common files"},
      {0x2d, "all users' templates"},
      {0x2e, "all users' documents"},
      {0x2f, "all users' administrative tools"},
      {0x30, "administrative tools"},
      {0x35, "all users' music"},
      {0x36, "all users' pictures"},
      {0x37, "all users' videos"},
      {0x38, "resources"},
      {0x3b, "CD burning area"},
  };
  fake.AddFolder("D:\\S");
  for (const auto& f : folders) {
    const std::string folder = "D:\\S\\" + std::string(f.what);
    const std::string inside = folder + "\\Tiny";
    fake.specialFolders = {{f.csidl, folder}};
    fake.AddFolder(folder);
    fake.AddFolder(inside);
    const Case cases[] = {
        {folder.c_str(), FolderVerdict::kProtected, folder.c_str()},
        {"D:\\S", FolderVerdict::kProtected, folder.c_str()},
        {inside.c_str(), f.csidl == 0x28 ? FolderVerdict::kInUsers : FolderVerdict::kSafe,
         f.csidl == 0x28 ? "D:\\S" : ""},
    };
    ExpectVerdicts(cases);
  }
  for (int csidl : {0x24, 0x25}) {
    fake.specialFolders = {{csidl, "D:\\S\\system"}};
    fake.AddFolder("D:\\S\\system");
    fake.AddFolder("D:\\S\\system\\Tiny");
    const Case cases[] = {
        {"D:\\S\\system", FolderVerdict::kWindows, "D:\\S\\system"},
        {"D:\\S\\system\\Tiny", FolderVerdict::kWindows, "D:\\S\\system"},
        {"D:\\S", FolderVerdict::kProtected, "D:\\S\\system"},
    };
    ExpectVerdicts(cases);
  }
}

// Other accounts' folders cannot be asked for by name: nothing inside the folder of all profiles
// is emptied but a program's own folder in a profile's AppData\Local\Programs.
TEST_F(FolderFixture, InsideTheUsersFolderForEveryProfile) {
  for (const char* folder : {"C:\\Users\\alice\\Downloads",
                             "C:\\Users\\alice\\OneDrive",
                             "C:\\Users\\alice\\Desktop",
                             "C:\\Users\\alice\\Documents",
                             "C:\\Users\\alice\\Documents\\Tiny",
                             "C:\\Users\\Public",
                             "C:\\Users\\Public\\Downloads",
                             "C:\\Users\\alice\\AppData",
                             "C:\\Users\\alice\\AppData\\Local",
                             "C:\\Users\\alice\\AppData\\Local\\Programs",
                             "C:\\Users\\alice\\AppData\\Local\\Programs\\Tiny",
                             "C:\\Users\\alice\\AppData\\Local\\Programs\\Tiny\\bin",
                             "C:\\Users\\alice\\AppData\\Roaming",
                             "C:\\Users\\alice\\AppData\\Roaming\\Programs",
                             "C:\\Users\\alice\\AppData\\Roaming\\Programs\\Tiny",
                             "C:\\Users\\bob\\AppData",
                             "C:\\Users\\bob\\AppData\\Local",
                             "C:\\Users\\bob\\AppData\\Local\\Programs",
                             "C:\\Users\\bob\\AppData\\Local\\Programs\\Tiny",
                             "C:\\Users\\alice\\Old",
                             "C:\\Users\\alice\\Old\\AppData",
                             "C:\\Users\\alice\\Old\\AppData\\Local",
                             "C:\\Users\\alice\\Old\\AppData\\Local\\Programs",
                             "C:\\Users\\alice\\Old\\AppData\\Local\\Programs\\Tiny"})
    fake.AddFolder(folder);
  const Case cases[] = {
      {"C:\\Users\\alice\\Downloads", FolderVerdict::kInUsers, "C:\\Users"},
      {"C:\\Users\\alice\\OneDrive", FolderVerdict::kInUsers, "C:\\Users"},
      {"C:\\Users\\alice\\Desktop", FolderVerdict::kInUsers, "C:\\Users"},
      {"C:\\Users\\alice\\Documents\\Tiny", FolderVerdict::kInUsers, "C:\\Users"},
      {"C:\\Users\\Public\\Downloads", FolderVerdict::kInUsers, "C:\\Users"},
      {"C:\\Users\\bob\\Apps\\Tiny", FolderVerdict::kInUsers, "C:\\Users"},
      {"C:\\Users\\alice\\AppData\\Local\\Programs", FolderVerdict::kInUsers, "C:\\Users"},
      {"C:\\Users\\alice\\AppData\\Local\\Programs\\Tiny\\bin", FolderVerdict::kInUsers,
       "C:\\Users"},
      {"C:\\Users\\alice\\AppData\\Roaming\\Programs\\Tiny", FolderVerdict::kInUsers, "C:\\Users"},
      {"C:\\Users\\alice\\Old\\AppData\\Local\\Programs\\Tiny", FolderVerdict::kInUsers,
       "C:\\Users"},
      // A per-user programs folder, of any profile.
      {"C:\\Users\\alice\\AppData\\Local\\Programs\\Tiny", FolderVerdict::kSafe, ""},
      {"C:\\Users\\bob\\AppData\\Local\\Programs\\Tiny", FolderVerdict::kSafe, ""},
  };
  ExpectVerdicts(cases);
}

// The uninstaller is a 32-bit program: on 64-bit Windows its own special folders are the "(x86)"
// ones, and the system's program folders are known only from the registry's system view.
TEST_F(FolderFixture, SystemProgramFoldersOf64BitWindows) {
  fake.specialFolders[0x26] = "C:\\Program Files (x86)";
  auto& values = fake.systemViewRegistry["Software\\Microsoft\\Windows\\CurrentVersion"];
  values["ProgramFilesDir"] = "C:\\Program Files";
  values["CommonFilesDir"] = "C:\\Program Files\\Common Files";
  for (const char* folder : {"C:\\Program Files\\Common Files", "C:\\Program Files (x86)",
                             "C:\\Program Files (x86)\\Tiny Notes"})
    fake.AddFolder(folder);
  const Case cases[] = {
      {"C:\\Program Files", FolderVerdict::kProtected, "C:\\Program Files"},
      {"C:\\Program Files\\Common Files", FolderVerdict::kProtected,
       "C:\\Program Files\\Common Files"},
      {"C:\\Program Files (x86)", FolderVerdict::kProtected, "C:\\Program Files (x86)"},
      {"C:\\Program Files\\Tiny Notes", FolderVerdict::kSafe, ""},
      {"C:\\Program Files (x86)\\Tiny Notes", FolderVerdict::kSafe, ""},
  };
  ExpectVerdicts(cases);
}

TEST_F(FolderFixture, CheckingChangesNothing) {
  FolderCheck check = {};
  CheckInstallFolder(fake, "C:\\Program Files\\Tiny Notes", check);
  EXPECT_STREQ(check.folder, "C:\\Program Files\\Tiny Notes");
  for (const std::string& call : fake.calls) {
    EXPECT_TRUE(call.rfind("ListFolder(", 0) == 0 || call.rfind("SameFolder(", 0) == 0 ||
                call.rfind("GetSpecialFolder(", 0) == 0 ||
                call.rfind("GetWindowsFolder(", 0) == 0 || call.rfind("RegistryGetString(", 0) == 0)
        << call;
  }
}

// A profile folder directly below the root would make every folder there a "profile".
TEST_F(FolderFixture, ProfileAtADriveRootRefusesNoSiblings) {
  fake.specialFolders[0x28] = "C:\\bob";
  fake.AddFolder("C:\\bob");
  FolderCheck check = {};
  EXPECT_EQ(CheckInstallFolder(fake, "C:\\Tiny Notes", check), FolderVerdict::kSafe);
}

}  // namespace
