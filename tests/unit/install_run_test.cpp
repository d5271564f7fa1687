// The install run: the order of its steps, the progress bar, the copy pass, the shortcuts, the
// launch, and the runs that stop or leave something out.
#include "run/install_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "description/setup_settings.h"
#include "integration/run_report.h"
#include "res/resource.h"
#include "tests/unit/fake_platform.h"

namespace {

const std::string kRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kFilesRecord = "RegistrySetMultiString(" + kRoot + "\\Viewer|InstalledFiles";

// One run with the dialog; its log goes to the fake's "setup.log".
InstallOutcome Install(FakePlatform& fake, SetupSettingsRecord& s, bool unattended = false) {
  RunLog log(fake, "setup.log");
  MessageText failures;
  RunReport report(log, fake, unattended, failures);
  return RunInstall(fake, s, report);
}

char* Dup(const char* text) {
  char* copy = static_cast<char*>(std::malloc(std::strlen(text) + 1));
  std::strcpy(copy, text);
  return copy;
}

struct InstallFixture : ::testing::Test {
  InstallFixture() : s() {
    std::strcpy(s.ProgramFile, "Viewer.exe");
    std::strcpy(s.InstallDir, "C:\\Program Files\\Viewer");
    std::strcpy(s.LinkTitle, "Viewer");
    std::strcpy(s.ProductName, "Viewer 1.0");
    std::strcpy(s.FolderName, "Viewer");
    s.EntryCount = 2;
    s.EntryName[0] = Dup("Viewer");
    s.EntryFile[0] = Dup("Viewer.exe");
    s.EntryName[1] = Dup("Read me");
    s.EntryFile[1] = Dup("readme.txt");

    fake.controlText[IDC_FOLDER] = "C:\\Apps\\Viewer";
    fake.checkState[IDC_RUN_AFTER] = 1;
    fake.specialFolders[kCsidlCommonDesktopDirectory] = "C:\\Desktop";
    fake.specialFolders[kCsidlCommonPrograms] = "C:\\Programs";
    fake.openableKeys.insert(kRoot);
    List({"Viewer.exe"});
  }
  ~InstallFixture() override {
    for (int k = 0; k < kMaxEntries; ++k) {
      std::free(s.EntryName[k]);
      std::free(s.EntryFile[k]);
    }
  }
  void List(std::vector<std::string> names) {
    fake.listing.clear();
    for (const auto& n : names) {
      FakePlatform::Entry e;
      e.name = n;
      e.isFolder = n == "." || n == ".." || n == "sub";
      fake.listing.push_back(e);
    }
  }
  std::vector<std::string> Links() const { return fake.CallsStartingWith("WriteShellLink"); }

  FakePlatform fake;
  SetupSettingsRecord s;
};

TEST_F(InstallFixture, WholeRunInOrder) {
  List({".", "..", "Viewer.exe", "setup.exe", "sub", "UNINSTAL.EXE"});
  fake.listing[2].size = 1024;  // 1 KiB and a byte: 2 KiB
  fake.listing[5].size = 1;
  fake.versions["C:\\Apps\\Viewer\\Viewer.exe"] = {true, L"2.1 beta", L"Acme", true, 0x20001, 0};
  EXPECT_EQ(Install(fake, s), InstallOutcome::kInstalled);
  std::vector<std::string> expected = {
      "GetControlText(102)",
      "ListFolder(C:\\Apps)",  // neither a link nor behind one
      "ListFolder(C:\\Apps\\Viewer)",
      "RegistryGetString(" + kRoot + "\\Viewer|InstallTo)",  // not installed before
      "MakeFolder(C:\\Apps\\Viewer)",
      "HoldTarget(C:\\Apps\\Viewer)",
      "ListFolder(*.*)",
      "SetProgressStep(14)",
      "ListFolder(*.*)",
      "StepProgress()",
      "Pause(10)",  // .
      "StepProgress()",
      "Pause(10)",  // ..
      "CopyOneFile(Viewer.exe|C:\\Apps\\Viewer\\Viewer.exe)",
      "StepProgress()",
      "Pause(10)",
      "StepProgress()",
      "Pause(10)",  // setup.exe stays behind
      "StepProgress()",
      "Pause(10)",  // sub
      "CopyOneFile(UNINSTAL.EXE|C:\\Apps\\Viewer\\UNINSTAL.EXE)",
      "StepProgress()",
      "Pause(10)",
      "ReadFileVersion(C:\\Apps\\Viewer\\Viewer.exe)",
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
      "RegistrySetNumber(" + kRoot + "\\Viewer|EstimatedSize|2)",
      "RegistrySetNumber(" + kRoot + "\\Viewer|NoModify|1)",
      "RegistrySetNumber(" + kRoot + "\\Viewer|NoRepair|1)",
      "RegistrySetMultiString(" + kRoot + "\\Viewer|InstalledFiles|Viewer.exe|UNINSTAL.EXE)",
      "RegistrySetWideString(" + kRoot + "\\Viewer|DisplayVersion|2.1 beta)",
      "RegistrySetWideString(" + kRoot + "\\Viewer|Publisher|Acme)",
      "CopyOneFile(UNINSTAL.EXE|C:\\WINDOWS\\Viewer Uninstall.exe)",
      "InitializeCom()",
      "WindowsFamily()",
      "GetSpecialFolder(25)",
      "WriteShellLink(C:\\Desktop\\Viewer.lnk|C:\\Apps\\Viewer\\Viewer.exe|C:\\Apps\\Viewer|Viewer|"
      "Desktop.ico)",
      "UninitializeCom()",
      "InitializeCom()",
      "WindowsFamily()",
      "GetSpecialFolder(23)",
      "MakeFolder(C:\\Programs\\Viewer 1.0)",
      "WriteShellLink(C:\\Programs\\Viewer 1.0\\Viewer.lnk|C:\\Apps\\Viewer\\Viewer.exe|"
      "C:\\Apps\\Viewer|Viewer|Desktop.ico)",
      "UninitializeCom()",
      "InitializeCom()",
      "WindowsFamily()",
      "GetSpecialFolder(23)",
      "MakeFolder(C:\\Programs\\Viewer 1.0)",
      "WriteShellLink(C:\\Programs\\Viewer 1.0\\Read me.lnk|C:\\Apps\\Viewer\\readme.txt|"
      "C:\\Apps\\Viewer|Read me|Desktop.ico)",
      "UninitializeCom()",
      "RegistrySetMultiString(" + kRoot +
          "\\Viewer|InstalledShortcuts|C:\\Desktop\\Viewer.lnk|"
          "C:\\Programs\\Viewer 1.0\\|C:\\Programs\\Viewer 1.0\\Viewer.lnk|"
          "C:\\Programs\\Viewer 1.0\\Read me.lnk)",
      "SetProgressPos(100)",
      "Pause(100)",
      "EndModal(1)",
      "GetCheckState(104)",
      "SetCurrentFolder(C:\\Apps\\Viewer)",
      "StartProgram(\"C:\\Apps\\Viewer\\Viewer.exe\")",
  };
  EXPECT_EQ(fake.calls, expected);
  EXPECT_STREQ(s.InstallDir, "C:\\Apps\\Viewer");
  EXPECT_EQ(fake.logs["setup.log"],
            "folder: C:\\Apps\\Viewer: created\r\n"
            "file: Viewer.exe: copied\r\n"
            "file: UNINSTAL.EXE: copied\r\n"
            "registry key: " +
                kRoot +
                "\\Viewer\r\n"
                "registry value: DisplayName: written\r\n"
                "registry value: UninstallString: written\r\n"
                "registry value: InstallTo: written\r\n"
                "registry value: QuietUninstallString: written\r\n"
                "registry value: InstallLocation: written\r\n"
                "registry value: DisplayIcon: written\r\n"
                "registry value: EstimatedSize: written\r\n"
                "registry value: NoModify: written\r\n"
                "registry value: NoRepair: written\r\n"
                "registry value: InstalledFiles: written\r\n"
                "registry value: DisplayVersion: written\r\n"
                "registry value: Publisher: written\r\n"
                "uninstaller: C:\\WINDOWS\\Viewer Uninstall.exe: copied\r\n"
                "shortcut: C:\\Desktop\\Viewer.lnk: created\r\n"
                "shortcut: C:\\Programs\\Viewer 1.0\\Viewer.lnk: created\r\n"
                "shortcut: C:\\Programs\\Viewer 1.0\\Read me.lnk: created\r\n"
                "registry value: InstalledShortcuts: written\r\n"
                "program: \"C:\\Apps\\Viewer\\Viewer.exe\": started\r\n");
}

TEST_F(InstallFixture, ProgressStepsAndPositions) {
  struct Case {
    int entries;
    int step;
  } cases[] = {{0, 100}, {1, 50}, {7, 12}, {49, 2}, {50, 1}, {99, 1}, {100, 0}, {250, 0}};
  for (const Case& c : cases) {
    std::vector<std::string> names;
    for (int i = 0; i < c.entries; ++i)
      names.push_back("f" + std::to_string(i));
    fake.calls.clear();
    List(names);
    Install(fake, s);
    EXPECT_EQ(fake.CallsStartingWith("SetProgressStep"),
              std::vector<std::string>{"SetProgressStep(" + std::to_string(c.step) + ")"})
        << c.entries;
    EXPECT_EQ(fake.CallsStartingWith("StepProgress").size(), static_cast<std::size_t>(c.entries));
    EXPECT_LT(c.entries * c.step, 100) << "the bar must not fill during the pass";
    EXPECT_EQ(fake.progressPos, 100);
  }
  EXPECT_EQ(ProgressStepFor(-1), 100);
}

// The dialog pauses after each entry and at the end, so that the bar is seen; /S does not.
TEST_F(InstallFixture, OnlyTheDialogPauses) {
  List({".", "..", "Viewer.exe", "a.txt"});
  for (bool unattended : {false, true}) {
    fake.calls.clear();
    Install(fake, s, unattended);
    std::vector<std::string> pauses = {"Pause(10)", "Pause(10)", "Pause(10)", "Pause(10)",
                                       "Pause(100)"};
    EXPECT_EQ(fake.CallsStartingWith("Pause"), unattended ? std::vector<std::string>{} : pauses);
  }
}

TEST_F(InstallFixture, ExclusionIsExactAndCaseSensitive) {
  struct Case {
    const char* name;
    bool copied;
  } cases[] = {
      {"setup.exe", false},    {"uninstal.exe", false}, {"SETUP.EXE", true},
      {"UNINSTAL.EXE", true},  {"Setup.exe", true},     {"setup.inf", true},
      {"setup.exe.bak", true}, {"uninstall.exe", true}, {"xsetup.exe", true},
  };
  for (const Case& c : cases) {
    fake.calls.clear();
    fake.copied.clear();
    List({c.name});
    Install(fake, s);
    EXPECT_EQ(fake.copied.count(std::string("C:\\Apps\\Viewer\\") + c.name), c.copied ? 1u : 0u)
        << c.name;
  }
}

// The run's own log, when it lies in the distribution, is setup's: neither copied nor recorded,
// and no failure either.
TEST_F(InstallFixture, TheRunsLogIsPassedOver) {
  List({"Viewer.exe", "setup.log", "other.log"});
  fake.logListedAs = "setup.log";
  EXPECT_EQ(Install(fake, s, true), InstallOutcome::kInstalled);
  EXPECT_EQ(fake.copied.count("C:\\Apps\\Viewer\\setup.log"), 0u);
  EXPECT_EQ(fake.copied.count("C:\\Apps\\Viewer\\other.log"), 1u);
  EXPECT_NE(fake.logs["setup.log"].find("file: setup.log: not copied: it is this run's log\r\n"),
            std::string::npos);
}

TEST_F(InstallFixture, FolderThatCannotBeMadeStopsTheRun) {
  struct Case {
    std::string text;
    FolderCreation result;
    const char* link;  // a link or junction there; null: none anywhere
    bool refused;
  } cases[] = {
      {"C:\\Apps\\Viewer", FolderCreation::kFailed, nullptr, true},
      {"C:\\Apps\\Viewer", FolderCreation::kAlreadyExists, nullptr, false},
      {"C:\\Apps\\Viewer", FolderCreation::kCreated, nullptr, false},
      {std::string(259, 'd'), FolderCreation::kCreated, nullptr, false},
      {std::string(260, 'd'), FolderCreation::kCreated, nullptr, true},  // too long for a path
      // An existing folder that someone else prepared as a link, or one reached through a link.
      {"C:\\Apps\\Viewer", FolderCreation::kAlreadyExists, "C:\\Apps\\Viewer", true},
      {"C:\\Apps\\Viewer\\", FolderCreation::kAlreadyExists, "C:\\Apps\\Viewer", true},
      {"C:\\Apps\\Viewer", FolderCreation::kCreated, "C:\\Apps", true},
      {"C:/Apps/Viewer", FolderCreation::kCreated, "C:/Apps", true},
      {"\\\\server\\share\\Apps\\Viewer", FolderCreation::kCreated, "\\\\server\\share\\Apps",
       true},
      {"Apps\\Viewer", FolderCreation::kCreated, "Apps", true},  // in the current folder
      {"C:\\Apps\\Viewer", FolderCreation::kCreated, "C:\\Apps\\Other", false},
      {"C:\\Apps\\Viewer", FolderCreation::kCreated, "C:\\Apps\\Viewer\\sub", false},
  };
  for (const Case& c : cases) {
    FakePlatform fresh;
    fresh.controlText[IDC_FOLDER] = c.text;
    fresh.makeFolder[c.text] = c.result;
    fresh.listing = fake.listing;
    if (c.link)
      fresh.AddLink(c.link, true);
    std::strcpy(s.InstallDir, "C:\\Program Files\\Viewer");
    InstallOutcome outcome = Install(fresh, s);
    EXPECT_EQ(outcome == InstallOutcome::kFolderRefused, c.refused) << c.text.size() << c.text;
    if (c.refused) {
      EXPECT_EQ(fresh.calls.back(), "ShowMessage(Cannot create directory!|)");
      if (c.link) {
        EXPECT_TRUE(fresh.CallsStartingWith("MakeFolder").empty()) << c.text;
      }
      EXPECT_TRUE(fresh.CallsStartingWith("ListFolder(*.*)").empty());
      EXPECT_TRUE(fresh.CallsStartingWith("CopyOneFile").empty());
      EXPECT_TRUE(fresh.CallsStartingWith("EndModal").empty());
      EXPECT_STREQ(s.InstallDir, "C:\\Program Files\\Viewer");
    } else {
      EXPECT_TRUE(fresh.CallsStartingWith("ShowMessage(Cannot").empty());
      EXPECT_EQ(s.InstallDir, c.text);
    }
  }
}

TEST_F(InstallFixture, TrailingBackslashDoublesEverySeparator) {
  fake.controlText[IDC_FOLDER] = "C:\\Apps\\";
  List({"Viewer.exe"});
  Install(fake, s);
  EXPECT_EQ(fake.copied.count("C:\\Apps\\\\Viewer.exe"), 1u);
  EXPECT_EQ(Links()[0],
            "WriteShellLink(C:\\Desktop\\Viewer.lnk|C:\\Apps\\\\Viewer.exe|C:\\Apps\\|Viewer|"
            "Desktop.ico)");
  EXPECT_EQ(fake.registry[kRoot + "\\Viewer"]["InstallTo"], "C:\\Apps\\");
  EXPECT_EQ(fake.calls.back(), "StartProgram(\"C:\\Apps\\\\Viewer.exe\")");
  // Windows lists nothing for a name ending in a separator: the link check asks for "C:\Apps".
  for (const std::string& call : fake.CallsStartingWith("ListFolder(C:\\Apps"))
    EXPECT_EQ(call.find("\\)"), std::string::npos) << call;
}

TEST_F(InstallFixture, EmptyProductNamePutsEntriesStraightIntoPrograms) {
  s.ProductName[0] = '\0';
  Install(fake, s);
  ASSERT_EQ(Links().size(), 3u);
  EXPECT_EQ(Links()[1].find("WriteShellLink(C:\\Programs\\\\Viewer.lnk|"), 0u) << Links()[1];
}

TEST_F(InstallFixture, EntriesThatAreMissingOrBeyondTheTables) {
  struct Case {
    int count;
    int filled;             // slots 0..filled-1 hold entries
    std::size_t shortcuts;  // desktop included
  } cases[] = {
      {0, 2, 1}, {-1, 2, 1}, {2, 2, 3}, {3, 2, 3}, {20, 20, 21}, {25, 20, 21}, {2147483647, 20, 21},
  };
  for (const Case& c : cases) {
    for (int k = 0; k < kMaxEntries; ++k) {
      std::free(s.EntryName[k]);
      std::free(s.EntryFile[k]);
      s.EntryName[k] = k < c.filled ? Dup(("E" + std::to_string(k)).c_str()) : nullptr;
      s.EntryFile[k] = k < c.filled ? Dup("e.exe") : nullptr;
    }
    s.EntryCount = c.count;
    fake.calls.clear();
    Install(fake, s);
    EXPECT_EQ(Links().size(), c.shortcuts) << c.count;
    EXPECT_EQ(fake.CallsStartingWith("InitializeCom").size(), c.shortcuts) << c.count;
  }

  // A slot with only one of its two strings is left out as well.
  std::free(s.EntryFile[1]);
  s.EntryFile[1] = nullptr;
  s.EntryCount = 3;
  fake.calls.clear();
  Install(fake, s);
  EXPECT_EQ(Links().size(), 3u);
  for (const auto& link : Links())
    EXPECT_EQ(link.find("E1.lnk"), std::string::npos);
}

TEST_F(InstallFixture, LaunchOnlyWhenCheckedAndQuoted) {
  struct Case {
    int state;
    bool started;
  } cases[] = {{0, false}, {1, true}, {2, false}};
  for (const Case& c : cases) {
    fake.calls.clear();
    fake.checkState[IDC_RUN_AFTER] = c.state;
    fake.controlText[IDC_FOLDER] = "C:\\Program Files\\Viewer";
    Install(fake, s);
    std::vector<std::string> start = fake.CallsStartingWith("StartProgram");
    if (c.started) {
      EXPECT_EQ(start, std::vector<std::string>{
                           "StartProgram(\"C:\\Program Files\\Viewer\\Viewer.exe\")"});
      EXPECT_EQ(fake.calls[fake.calls.size() - 2], "SetCurrentFolder(C:\\Program Files\\Viewer)");
    } else {
      EXPECT_TRUE(start.empty()) << c.state;
      EXPECT_TRUE(fake.CallsStartingWith("SetCurrentFolder").empty()) << c.state;
      EXPECT_EQ(fake.calls.back(), "GetCheckState(104)");
    }
  }
}

// The NT family's names as they are: compared exactly, and composed whole or not at all.
TEST(WideNames, ExclusionAndDestination) {
  const std::wstring folder = L"C:\\Apps\\\u03a9";
  const std::wstring longFolder = L"C:\\" + std::wstring(kPathCapacity - 16, L'f');  // 247
  struct Case {
    std::wstring name;
    bool stays;
    std::wstring target;
    std::wstring destination;  // empty: does not fit
  } cases[] = {
      {L"setup.exe", true, folder, folder + L"\\setup.exe"},
      {L"uninstal.exe", true, folder, folder + L"\\uninstal.exe"},
      {L"SETUP.EXE", false, folder, folder + L"\\SETUP.EXE"},
      {L"\u0455etup.exe", false, folder, folder + L"\\\u0455etup.exe"},  // Cyrillic dze
      {L"\uff53etup.exe", false, folder, folder + L"\\\uff53etup.exe"},  // fullwidth s
      {L"setup.exe\u00a0", false, folder, folder + L"\\setup.exe\u00a0"},
      {L"\u65e5\u672c\u8a9e.txt", false, folder, folder + L"\\\u65e5\u672c\u8a9e.txt"},
      {L"emoji \U0001F600.txt", false, folder, folder + L"\\emoji \U0001F600.txt"},
      {L"na\u00efve \u20ac.txt", false, longFolder,
       longFolder + L"\\na\u00efve \u20ac.txt"},       // 259
      {L"\u03a9mega.txt.12", false, longFolder, L""},  // one character more
  };
  for (const Case& c : cases) {
    wchar_t destination[kPathCapacity];
    EXPECT_EQ(StaysInDistribution(c.name.c_str()), c.stays) << c.destination;
    EXPECT_EQ(JoinPath(destination, c.target.c_str(), c.name.c_str()), !c.destination.empty());
    EXPECT_EQ(std::wstring(destination), c.destination);
  }
}

TEST_F(InstallFixture, PathsThatDoNotFitAreSkippedOneByOne) {
  // A 250-character folder: "Viewer.exe" (10) makes 261 and does not fit, "a.txt" does.
  const std::string folder = "C:\\" + std::string(247, 'f');
  fake.controlText[IDC_FOLDER] = folder;
  List({"Viewer.exe", "a.txt", std::string(256, 'n')});
  Install(fake, s);
  EXPECT_EQ(fake.CallsStartingWith("CopyOneFile(a.txt|"),
            std::vector<std::string>{"CopyOneFile(a.txt|" + folder + "\\a.txt)"});
  EXPECT_EQ(fake.CallsStartingWith("CopyOneFile(Viewer.exe").size(), 0u);
  EXPECT_EQ(fake.CallsStartingWith("CopyOneFile(n").size(), 0u);  // longer than a file name
  EXPECT_EQ(fake.CallsStartingWith("StepProgress").size(), 3u);
  EXPECT_TRUE(Links().empty());  // every target is "<folder>\Viewer.exe" or longer
  EXPECT_TRUE(fake.CallsStartingWith("StartProgram").empty());
  EXPECT_EQ(fake.CallsStartingWith("EndModal"), std::vector<std::string>{"EndModal(1)"});
}

TEST_F(InstallFixture, QuotingDoesNotCostThePathItsRoom) {
  // "<folder>\Viewer.exe" of exactly 259 characters still starts, inside its quotes.
  const std::string folder = "C:\\" + std::string(259 - 3 - 11, 'f');
  fake.controlText[IDC_FOLDER] = folder;
  Install(fake, s);
  EXPECT_EQ(fake.calls.back(), "StartProgram(\"" + folder + "\\Viewer.exe\")");
}

}  // namespace

TEST_F(InstallFixture, RecordHoldsWhatThisRunCopied) {
  // A device's name is never copied: the "file" would be the device.
  List({".", "..", "Viewer.exe", "setup.exe", "uninstal.exe", "sub", "locked.dll", "readme.txt",
        "NUL.txt", std::string(250, 'n')});  // its destination would not fit
  fake.copyFails.insert("locked.dll");
  Install(fake, s);
  EXPECT_EQ(fake.CallsStartingWith(kFilesRecord),
            std::vector<std::string>{"RegistrySetMultiString(" + kRoot +
                                     "\\Viewer|InstalledFiles|Viewer.exe|readme.txt)"});
  // A run that copies nothing records no name, whatever an earlier run left in the buffer.
  fake.registry.clear();
  fake.copyFails.insert("Viewer.exe");
  fake.copyFails.insert("readme.txt");
  Install(fake, s);
  EXPECT_EQ(fake.CallsStartingWith(kFilesRecord).back(),
            "RegistrySetMultiString(" + kRoot + "\\Viewer|InstalledFiles|)");
}

TEST_F(InstallFixture, RecordThatDoesNotFitIsLeftOutWhole) {
  // 261 names of 250 characters take 65,511 bytes with their zeros; a last name of 23
  // characters and the list's final zero fill the 65,536 exactly.
  struct Case {
    std::size_t lastName;
    bool recorded;
  } cases[] = {{23, true}, {24, false}};
  fake.controlText[IDC_FOLDER] = "C:\\A";  // room for the long names' destinations
  for (const Case& c : cases) {
    std::vector<std::string> names;
    for (int i = 0; i < 261; ++i) {
      std::string name = std::to_string(i) + ".";
      names.push_back(name + std::string(250 - name.size(), 'n'));
    }
    names.push_back(std::string(c.lastName, 'l'));
    List(names);
    fake.calls.clear();
    Install(fake, s);
    EXPECT_EQ(fake.CallsStartingWith(kFilesRecord).size(), c.recorded ? 1u : 0u) << c.lastName;
    EXPECT_EQ(fake.CallsStartingWith("RegistrySetString").size(), 6u);
    EXPECT_EQ(fake.CallsStartingWith("CopyOneFile").size(), 263u);  // the uninstaller too
  }
}

TEST_F(InstallFixture, ProgramStartsOnlyWhenThisRunCopiedIt) {
  struct Case {
    const char* programFile;
    const char* listed;
    bool copyFails;
    bool started;
    const char* line;  // the log's
  } cases[] = {
      {"Viewer.exe", "Viewer.exe", false, true,
       "program: \"C:\\Apps\\Viewer\\Viewer.exe\": started"},
      {"viewer.EXE", "Viewer.exe", false, true,  // as Windows compares names
       "program: \"C:\\Apps\\Viewer\\viewer.EXE\": started"},
      // Read-only, hidden or in use in the folder.
      {"Viewer.exe", "Viewer.exe", true, false,
       "program: Viewer.exe: not started: not copied by this run"},
      {"Viewer.exe", "Other.exe", false, false,  // left where it was, by someone else
       "program: Viewer.exe: not started: not copied by this run"},
      {"bin\\Viewer.exe", "bin", false, false,  // sub-folders are not copied
       "program: bin\\Viewer.exe: not started: not copied by this run"},
      {"Viewer.exe ", "Viewer.exe", false, false,  // not the name of the copied file
       "program: Viewer.exe : not started: not copied by this run"},
      {"Viewer.exe\" /x", "Viewer.exe\" /x", false, false,  // a quote would add arguments
       "program: Viewer.exe\" /x: not started: its name holds a quote"},
  };
  for (const Case& c : cases) {
    std::strcpy(s.ProgramFile, c.programFile);
    List({c.listed});
    fake.copyFails.clear();
    if (c.copyFails)
      fake.copyFails.insert(c.listed);
    fake.calls.clear();
    Install(fake, s);
    EXPECT_EQ(fake.CallsStartingWith("StartProgram").size(), c.started ? 1u : 0u) << c.programFile;
    EXPECT_EQ(fake.CallsStartingWith("SetCurrentFolder").size(), c.started ? 1u : 0u);
    const std::string& log = fake.logs["setup.log"];
    EXPECT_EQ(log.substr(log.rfind("program: ")), std::string(c.line) + "\r\n");
    fake.logs.clear();
  }
}

TEST_F(InstallFixture, ShortcutNamesThatLeadOutOfTheirFolderAreLeftOut) {
  struct Case {
    const char* linkTitle;
    const char* productName;
    const char* entryTitle;  // entry 1; entry 2 stays "Read me"
    std::vector<std::string> links;
  } cases[] = {
      {"Viewer",
       "Viewer 1.0",
       "Viewer",
       {"C:\\Desktop\\Viewer.lnk", "C:\\Programs\\Viewer 1.0\\Viewer.lnk",
        "C:\\Programs\\Viewer 1.0\\Read me.lnk"}},
      {"..\\Viewer", "Viewer 1.0", "a/b", {"C:\\Programs\\Viewer 1.0\\Read me.lnk"}},
      {"Viewer:stream", "Viewer 1.0", "C:Viewer", {"C:\\Programs\\Viewer 1.0\\Read me.lnk"}},
      {"Viewer", "..\\..\\Startup", "Viewer", {"C:\\Desktop\\Viewer.lnk"}},
      {"Viewer", "Acme/Viewer", "Viewer", {"C:\\Desktop\\Viewer.lnk"}},
      {"Viewer",
       "",
       "Viewer",
       {"C:\\Desktop\\Viewer.lnk", "C:\\Programs\\\\Viewer.lnk", "C:\\Programs\\\\Read me.lnk"}},
  };
  for (const Case& c : cases) {
    std::strcpy(s.LinkTitle, c.linkTitle);
    std::strcpy(s.ProductName, c.productName);
    std::free(s.EntryName[0]);
    s.EntryName[0] = Dup(c.entryTitle);
    fake.calls.clear();
    Install(fake, s);
    std::vector<std::string> links;
    for (const std::string& call : Links())
      links.push_back(call.substr(15, call.find('|') - 15));
    EXPECT_EQ(links, c.links) << c.linkTitle << " " << c.productName << " " << c.entryTitle;
    // COM is still set up once for each shortcut, and the program still starts.
    EXPECT_EQ(fake.CallsStartingWith("InitializeCom").size(), 3u);
    EXPECT_EQ(fake.CallsStartingWith("StartProgram").size(), 1u);
  }
}

// What failed goes to the log at once and into the one message at the end; a file that cannot be
// copied is asked about, and tried again while the answer is Yes.
TEST_F(InstallFixture, FailuresAskedListedAndLogged) {
  const std::string kHead = "Setup has finished, but these parts could not be installed:\n\n";
  // Files f0, f1, ... that all fail to copy, and the first ten as the end message lists them.
  auto failing = [](int count) {
    return [count](FakePlatform& f) {
      f.listing.clear();
      for (int i = 0; i < count; ++i) {
        f.listing.push_back({"f" + std::to_string(i)});
        f.copyFails.insert("f" + std::to_string(i));
      }
    };
  };
  const std::string kTen =
      "file: f0\nfile: f1\nfile: f2\nfile: f3\nfile: f4\nfile: f5\nfile: f6\nfile: f7\n"
      "file: f8\nfile: f9\n";
  const std::string kQuestion =
      "AskYesNo(The file \"readme.txt\" could not be copied to \"C:\\Apps\\Viewer\":\n"
      "The file is in use.\n\n"
      "Yes: try again (close the program that uses the file first).\n"
      "No: skip this file; setup goes on without it.|setup)";
  const struct {
    const char* what;
    std::function<void(FakePlatform&)> prepare;
    int questions;
    std::string list;  // the end message after its head; empty: none shown
    const char* line;  // a line of the log
  } cases[] = {
      {"nothing fails", nullptr, 0, "", "file: readme.txt: copied"},
      {"skipped", [](FakePlatform& f) { f.copyFails.insert("readme.txt"); }, 1,
       "file: readme.txt\n", "file: readme.txt: skipped: The file is in use."},
      {"tried again once the file is free",
       [](FakePlatform& f) {
         f.copyFails.insert("readme.txt");
         f.answerYes = true;
         f.whileAsking = [](FakePlatform& g) { g.copyFails.clear(); };
       },
       1, "", "file: readme.txt: copied"},
      {"tried again, then skipped",
       [](FakePlatform& f) {
         f.copyFails.insert("readme.txt");
         f.answerYes = true;
         f.whileAsking = [](FakePlatform& g) {
           g.answerYes = g.CallsStartingWith("Ask").size() < 2;
         };
       },
       2, "file: readme.txt\n", "file: readme.txt: skipped: The file is in use."},
      {"a value and the Start-menu shortcuts",
       [](FakePlatform& f) {
         f.valueFails.insert("EstimatedSize");
         f.specialFolders.erase(kCsidlCommonPrograms);
       },
       0, "registry value: EstimatedSize\nshortcut: Viewer\nshortcut: Read me\n",
       "shortcut: Read me: not created: its folder is unknown"},
      {"the uninstall key", [](FakePlatform& f) { f.openableKeys.clear(); }, 0,
       "registry key: " + kRoot + "\n",
       "registry key: Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall: not written: it "
       "cannot be opened for writing"},
      {"the uninstaller's copy",
       [](FakePlatform& f) {
         f.listing.clear();
         f.copyFails.insert("UNINSTAL.EXE");
       },
       0, "uninstaller: C:\\WINDOWS\\Viewer Uninstall.exe\n",
       "uninstaller: C:\\WINDOWS\\Viewer Uninstall.exe: not copied: The file is in use."},
      {"ten, all listed", failing(10), 10, kTen, "file: f9: skipped: The file is in use."},
      {"more than ten", failing(12), 12, kTen + "and 2 more\n",
       "file: f11: skipped: The file is in use."},
  };
  for (const auto& c : cases) {
    FakePlatform fresh;
    fresh.controlText[IDC_FOLDER] = "C:\\Apps\\Viewer";
    fresh.specialFolders = fake.specialFolders;
    fresh.openableKeys = fake.openableKeys;
    List({"Viewer.exe", "readme.txt"});
    fresh.listing = fake.listing;
    if (c.prepare)
      c.prepare(fresh);
    InstallOutcome outcome = Install(fresh, s);
    EXPECT_EQ(outcome, c.list.empty() ? InstallOutcome::kInstalled : InstallOutcome::kIncomplete)
        << c.what;
    std::vector<std::string> asked = fresh.CallsStartingWith("AskYesNo");
    EXPECT_EQ(asked.size(), static_cast<std::size_t>(c.questions)) << c.what;
    if (c.questions == 1) {
      EXPECT_EQ(asked[0], kQuestion) << c.what;
    }
    std::vector<std::string> shown = fresh.CallsStartingWith("ShowMessage");
    if (c.list.empty()) {
      EXPECT_TRUE(shown.empty()) << c.what;
    } else {
      EXPECT_EQ(shown, std::vector<std::string>{"ShowMessage(" + kHead + c.list + "|setup)"});
      // Shown while the dialog is still there.
      EXPECT_EQ(fresh.calls[std::find(fresh.calls.begin(), fresh.calls.end(), shown[0]) -
                            fresh.calls.begin() + 1],
                "EndModal(1)");
    }
    EXPECT_NE(fresh.logs["setup.log"].find(std::string(c.line) + "\r\n"), std::string::npos)
        << c.what << "\n"
        << fresh.logs["setup.log"];
  }
}

// ---- Installed before ----------------------------------------------------------------------

namespace {

const std::string kKey = kRoot + "\\Viewer";

std::string Record(std::vector<std::string> names) {
  std::string bytes;
  for (const auto& name : names)
    bytes += name + '\0';
  return bytes + '\0';
}

}  // namespace

// Into the folder of the entry, the record keeps what the earlier runs installed there.
TEST_F(InstallFixture, RecordGrowsInTheSameFolder) {
  // 65,530 characters with their zeros: read whole, but this run's two names do not fit beside.
  std::vector<std::string> many = {std::string(18, 'x')};
  for (int k = 100; k < 361; ++k)
    many.push_back(std::string(247, 'n') + std::to_string(k));
  const struct {
    const char* what;
    bool hasRecord;
    std::vector<std::string> earlier;
    const char* written;  // null: the value is deleted
    InstallOutcome outcome;
  } cases[] = {
      {"a file the new version dropped",
       true,
       {"Viewer.exe", "old.txt"},
       "Viewer.exe|readme.txt|old.txt",
       InstallOutcome::kInstalled},
      {"a failed copy recorded before",
       true,
       {"locked.dll"},
       "Viewer.exe|readme.txt|locked.dll",
       InstallOutcome::kIncomplete},
      {"names differing only in case",
       true,
       {"VIEWER.EXE", "README.TXT"},
       "Viewer.exe|readme.txt",
       InstallOutcome::kInstalled},
      {"an earlier entry without a record", false, {}, nullptr, InstallOutcome::kInstalled},
      {"the union over 64 KiB", true, many, nullptr, InstallOutcome::kIncomplete},
  };
  for (const auto& c : cases) {
    FakePlatform& f = fake;
    f.calls.clear();
    f.registry.clear();
    // The file is there only where it fails: the others are copied whole.
    bool locked = c.outcome == InstallOutcome::kIncomplete && c.written;
    List(locked ? std::vector<std::string>{"Viewer.exe", "readme.txt", "locked.dll"}
                : std::vector<std::string>{"Viewer.exe", "readme.txt"});
    f.copyFails = {"locked.dll"};
    f.registry[kKey]["InstallTo"] = "C:\\APPS\\Viewer";
    if (c.hasRecord)
      f.registry[kKey]["InstalledFiles"] = Record(c.earlier);
    EXPECT_EQ(Install(f, s, true), c.outcome) << c.what;
    auto written = f.CallsStartingWith("RegistrySetMultiString(" + kKey + "|InstalledFiles");
    if (c.written)
      EXPECT_EQ(written, std::vector<std::string>{"RegistrySetMultiString(" + kKey +
                                                  "|InstalledFiles|" + c.written + ")"})
          << c.what;
    else
      EXPECT_TRUE(written.empty() && f.registry[kKey].count("InstalledFiles") == 0) << c.what;
    EXPECT_TRUE(f.CallsStartingWith("RunAndWait").empty()) << c.what;
  }
}

// The shortcuts saved go into the entry after them, with those of the earlier runs into the same
// folder: a group renamed since is still known to the uninstaller.
TEST_F(InstallFixture, ShortcutRecordGrowsInTheSameFolder) {
  const std::string desktop = "C:\\Desktop\\Viewer.lnk";
  const std::string group = "C:\\Programs\\Viewer 1.0\\";
  const std::string links = group + "|" + group + "Viewer.lnk|" + group + "Read me.lnk";
  std::vector<std::string> many;  // 70 paths of 250 characters: beside them, no room
  for (int k = 100; k < 170; ++k)
    many.push_back("C:\\Programs\\" + std::string(240, 'g') + std::to_string(k) + ".lnk");
  const struct {
    const char* what;
    const char* product;
    bool hasRecord;
    std::vector<std::string> earlier;
    std::string written;  // "": the value is deleted
    const char* line;     // a line of the log
  } cases[] = {
      {"a group renamed since",
       "Viewer 1.0",
       true,
       {"C:\\Programs\\Viewer 0.9\\", "C:\\Programs\\Viewer 0.9\\Viewer.lnk",
        "c:\\desktop\\viewer.lnk"},
       "C:\\Programs\\Viewer 0.9\\|C:\\Programs\\Viewer 0.9\\Viewer.lnk|c:\\desktop\\viewer.lnk|" +
           links,
       "registry value: InstalledShortcuts: written"},
      {"an earlier entry without a record",
       "Viewer 1.0",
       false,
       {},
       desktop + "|" + links,
       "registry value: InstalledShortcuts: written"},
      {"the union over its room", "Viewer 1.0", true, many, "",
       "registry value: InstalledShortcuts: not written: too long"},
      {"a product name of two dots",
       "..",
       false,
       {},
       desktop,
       "shortcut: Viewer: not created: its group is only dots"},
      {"a product name of one dot",
       ".",
       false,
       {},
       desktop,
       "shortcut: Read me: not created: its group is only dots"},
  };
  for (const auto& c : cases) {
    FakePlatform& f = fake;
    f.calls.clear();
    f.registry.clear();
    f.logs.clear();
    std::strcpy(s.ProductName, c.product);
    f.registry[kKey]["InstallTo"] = "C:\\APPS\\Viewer";
    if (c.hasRecord)
      f.registry[kKey]["InstalledShortcuts"] = Record(c.earlier);
    Install(f, s, true);
    auto written = f.CallsStartingWith("RegistrySetMultiString(" + kKey + "|InstalledShortcuts");
    if (!c.written.empty())
      EXPECT_EQ(written, std::vector<std::string>{"RegistrySetMultiString(" + kKey +
                                                  "|InstalledShortcuts|" + c.written + ")"})
          << c.what;
    else
      EXPECT_TRUE(written.empty() && f.registry[kKey].count("InstalledShortcuts") == 0) << c.what;
    EXPECT_TRUE(f.CallsStartingWith("WriteShellLink(C:\\Programs\\").size() ==
                (c.product[0] == '.' ? 0u : 2u))
        << c.what;
    EXPECT_NE(f.logs["setup.log"].find(std::string(c.line) + "\r\n"), std::string::npos)
        << c.what << "\n"
        << f.logs["setup.log"];
  }
}

// Into another folder, after the user said Yes, the earlier installation goes first; after No
// nothing is made.
TEST_F(InstallFixture, AnotherFolderRemovesTheEarlierInstallationFirst) {
  for (bool yes : {false, true}) {
    fake.calls.clear();
    fake.registry[kKey]["InstallTo"] = "C:\\Tools\\Viewer";
    fake.answerYes = yes;
    fake.whileRunning = [](FakePlatform& f) { f.registry.erase(kKey); };
    EXPECT_EQ(Install(fake, s), yes ? InstallOutcome::kInstalled : InstallOutcome::kFolderRefused);
    auto asked = fake.CallsStartingWith("AskYesNo");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0],
              "AskYesNo(Viewer 1.0 is installed in \"C:\\Tools\\Viewer\".\n\nTo install it in "
              "\"C:\\Apps\\Viewer\", setup first removes it from there with its uninstaller. Files "
              "that setup did not install are kept.\n\nContinue?|setup)");
    EXPECT_EQ(fake.CallsStartingWith("RunAndWait"),
              yes ? std::vector<std::string>{"RunAndWait(\"C:\\WINDOWS\\Viewer Uninstall.exe\" /S "
                                             "/KEEPSELF)"}
                  : std::vector<std::string>{});
    EXPECT_EQ(fake.CallsStartingWith("MakeFolder(C:\\Apps").size(), yes ? 1u : 0u);
  }
  // Its uninstaller kept the entry: nothing is copied, and the dialog says why.
  fake.calls.clear();
  fake.registry[kKey]["InstallTo"] = "C:\\Tools\\Viewer";
  fake.whileRunning = nullptr;
  EXPECT_EQ(Install(fake, s), InstallOutcome::kFolderRefused);
  EXPECT_TRUE(fake.CallsStartingWith("CopyOneFile").empty());
  EXPECT_EQ(fake.CallsStartingWith("ShowMessage(Viewer 1.0 could not be removed from "
                                   "\"C:\\Tools\\Viewer\" (its uninstaller ended with exit code 0)")
                .size(),
            1u);
}

// DisplayVersion and Publisher come from the program file this run copied; a value the file no
// longer gives goes, and a file this run did not copy changes neither.
TEST_F(InstallFixture, VersionOfTheCopiedProgram) {
  const std::string program = "C:\\Apps\\Viewer\\Viewer.exe";
  const struct {
    const char* what;
    bool hasVersion;
    FileVersion version;
    bool copied;
    std::vector<std::string> calls;
  } cases[] = {
      {"the fixed version only",
       true,
       {true, L"", L"", true, 0x10002, 0x30004},
       true,
       {"RegistrySetWideString(" + kKey + "|DisplayVersion|1.2.3.4)",
        "RegistryDeleteValue(" + kKey + "|Publisher)"}},
      {"no version resource",
       false,
       {},
       true,
       {"RegistryDeleteValue(" + kKey + "|DisplayVersion)",
        "RegistryDeleteValue(" + kKey + "|Publisher)"}},
      {"not copied by this run", true, {true, L"9", L"X", false, 0, 0}, false, {}},
  };
  for (const auto& c : cases) {
    fake.calls.clear();
    fake.versions.clear();
    fake.copyFails.clear();
    if (c.hasVersion)
      fake.versions[program] = c.version;
    if (!c.copied)
      fake.copyFails.insert("Viewer.exe");
    Install(fake, s, true);
    std::vector<std::string> calls = fake.CallsStartingWith("RegistrySetWideString");
    for (const auto& call : fake.CallsStartingWith("RegistryDeleteValue(" + kKey + "|D"))
      calls.push_back(call);
    for (const auto& call : fake.CallsStartingWith("RegistryDeleteValue(" + kKey + "|P"))
      calls.push_back(call);
    EXPECT_EQ(calls, c.calls) << c.what;
  }
  // An earlier value that stays would name what is no longer installed: a failure.
  fake.copyFails.clear();
  fake.versions.clear();
  fake.valueFails.insert("Publisher");
  EXPECT_EQ(Install(fake, s, true), InstallOutcome::kIncomplete);
  EXPECT_NE(fake.logs["setup.log"].find(
                "registry value: Publisher: not written: the earlier value could not be deleted"),
            std::string::npos);
}

// From a payload nothing is listed or left behind; names that would leave the folder or name a
// device are refused, a file cut short is still recorded for the uninstaller, and the uninstaller
// is registered from the copy this run wrote.
TEST_F(InstallFixture, FromAPayload) {
  fake.payloadFiles = {
      {"setup.inf", 10}, {"Viewer.exe", 2048},           {"uninstal.exe", 1},   {"CON.txt", 1},
      {"..", 0},         {"cut.dat", 5000, true, false}, {"held.dll", 1, false}};
  InstallerSystem system(fake);
  system.payload = &fake;
  RunLog log(fake, "setup.log");
  MessageText failures;
  RunReport report(log, fake, true, failures);
  EXPECT_EQ(RunInstall(system, s, report), InstallOutcome::kIncomplete);
  EXPECT_TRUE(fake.CallsStartingWith("ListFolder(*").empty());
  EXPECT_EQ(fake.CallsStartingWith("SetProgressStep"),
            std::vector<std::string>{"SetProgressStep(12)"});
  // One step a file of the payload, written or not; no pause with nobody watching.
  EXPECT_EQ(fake.CallsStartingWith("StepProgress").size(), 7u);
  EXPECT_TRUE(fake.CallsStartingWith("Pause").empty());
  EXPECT_EQ(fake.CallsStartingWith(kFilesRecord),
            std::vector<std::string>{"RegistrySetMultiString(" + kKey +
                                     "|InstalledFiles|setup.inf|Viewer.exe|uninstal.exe|cut.dat)"});
  EXPECT_EQ(fake.CallsStartingWith("CopyOneFile"),
            std::vector<std::string>{
                "CopyOneFile(C:\\Apps\\Viewer\\UNINSTAL.EXE|C:\\WINDOWS\\Viewer Uninstall.exe)"});
  for (const char* line : {"file: CON.txt: skipped: its name is no plain file name",
                           "file: ..: skipped: its name is no plain file name",
                           "file: cut.dat: skipped: There is not enough space on the disk.",
                           "file: held.dll: skipped: The file is in use."})
    EXPECT_NE(fake.logs["setup.log"].find(std::string(line) + "\r\n"), std::string::npos) << line;
  EXPECT_EQ(fake.CallsStartingWith("StartProgram").size(), 1u);

  // Without the uninstaller, and read only in part.
  fake.registry.clear();
  fake.payloadFiles = {{"Viewer.exe", 1}};
  fake.payloadReadThrough = false;
  fake.logs.clear();
  RunReport again(log, fake, true, failures);
  EXPECT_EQ(RunInstall(system, s, again), InstallOutcome::kIncomplete);
  for (const char* line :
       {"payload: the files after those above: not read to its end",
        "uninstaller: C:\\WINDOWS\\Viewer Uninstall.exe: not copied: no UNINSTAL.EXE was installed "
        "from the payload"})
    EXPECT_NE(fake.logs["setup.log"].find(std::string(line) + "\r\n"), std::string::npos) << line;
}

TEST_F(InstallFixture, TargetFolderMustBeTheAdministrators) {
  struct Case {
    FolderCreation made;
    bool holds;
    FolderAccess access;
    bool protectWorks;
    FolderAccess afterProtect;
    bool protects;
    const char* refusal;  // null: installed
  } cases[] = {
      {FolderCreation::kCreated, true, FolderAccess::kAdministrators, true,
       FolderAccess::kAdministrators, false, nullptr},
      {FolderCreation::kCreated, true, FolderAccess::kNotKept, true, FolderAccess::kNotKept, false,
       nullptr},
      // Below C:\ users may change what is made: the folder gets permissions of its own.
      {FolderCreation::kCreated, true, FolderAccess::kOthersMayChange, true,
       FolderAccess::kAdministrators, true, nullptr},
      {FolderCreation::kCreated, true, FolderAccess::kOthersMayChange, false,
       FolderAccess::kAdministrators, true, "its permissions could not be set"},
      {FolderCreation::kCreated, true, FolderAccess::kOthersMayChange, true,
       FolderAccess::kOthersMayChange, true, "users other than administrators can change it"},
      // A folder that was there is taken only as it is.
      {FolderCreation::kAlreadyExists, true, FolderAccess::kAdministrators, true,
       FolderAccess::kAdministrators, false, nullptr},
      {FolderCreation::kAlreadyExists, true, FolderAccess::kOthersMayChange, true,
       FolderAccess::kAdministrators, false, "users other than administrators can change it"},
      {FolderCreation::kAlreadyExists, true, FolderAccess::kOtherOwner, true,
       FolderAccess::kAdministrators, false, "it is not owned by administrators or the system"},
      {FolderCreation::kCreated, true, FolderAccess::kUnreadable, true,
       FolderAccess::kAdministrators, false, "its owner and permissions cannot be read"},
      {FolderCreation::kAlreadyExists, false, FolderAccess::kAdministrators, true,
       FolderAccess::kAdministrators, false, "it cannot be opened as a folder of its own"},
  };
  for (const Case& c : cases) {
    for (bool unattended : {false, true}) {
      FakePlatform fresh;
      fresh.controlText[IDC_FOLDER] = "C:\\Apps\\Viewer";
      fresh.makeFolder["C:\\Apps\\Viewer"] = c.made;
      fresh.listing = fake.listing;
      fresh.targetHolds = c.holds;
      fresh.targetAccess = c.access;
      fresh.protectWorks = c.protectWorks;
      fresh.accessAfterProtect = c.afterProtect;
      InstallOutcome outcome = Install(fresh, s, unattended);
      std::string what = std::to_string(&c - cases);
      EXPECT_EQ(fresh.CallsStartingWith("ProtectTarget").size(), c.protects ? 1u : 0u) << what;
      EXPECT_EQ(outcome == InstallOutcome::kFolderRefused, c.refusal != nullptr) << what;
      if (!c.refusal)
        continue;
      EXPECT_TRUE(fresh.CallsStartingWith("CopyOneFile").empty()) << what;
      EXPECT_TRUE(fresh.registry.empty()) << what;
      EXPECT_NE(fresh.logs["setup.log"].find(std::string("folder: C:\\Apps\\Viewer: refused: ") +
                                             c.refusal + "\r\n"),
                std::string::npos)
          << what;
      EXPECT_EQ(fresh.CallsStartingWith("ShowMessage"),
                unattended
                    ? std::vector<std::string>{}
                    : std::vector<std::string>{std::string("ShowMessage(This folder cannot "
                                                           "be used: ") +
                                               c.refusal + ".\n\nPlease choose another folder.|)"})
          << what;
    }
  }
}

// The folder replaced (a link put in its place) while the files are written: nothing more is
// written through its path, the file that landed elsewhere is not recorded, and the program is
// not started. Nor is a program file replaced after its copy.
TEST_F(InstallFixture, NothingMoreGoesThroughAReplacedFolder) {
  struct Case {
    const char* swapDuring;
    bool keptReplaced;
    bool payload;
    std::string record;  // InstalledFiles
    const char* program;
  } cases[] = {
      {"", false, false, "Viewer.exe|a.dat|b.dat|UNINSTAL.EXE",
       "\"C:\\Apps\\Viewer\\Viewer.exe\": started"},
      {"a.dat", false, false, "Viewer.exe",
       "Viewer.exe: not started: it is no longer the file this run copied"},
      {"Viewer.exe", false, false, "", "Viewer.exe: not started: not copied by this run"},
      {"", true, false, "Viewer.exe|a.dat|b.dat|UNINSTAL.EXE",
       "Viewer.exe: not started: it is no longer the file this run copied"},
      {"a.dat", false, true, "Viewer.exe",
       "Viewer.exe: not started: it is no longer the file this run copied"},
  };
  for (const Case& c : cases) {
    FakePlatform fresh;
    fresh.controlText[IDC_FOLDER] = "C:\\Apps\\Viewer";
    fresh.checkState[IDC_RUN_AFTER] = 1;
    fresh.swapDuring = c.swapDuring;
    fresh.keptReplaced = c.keptReplaced;
    fresh.openableKeys.insert(kRoot);
    fresh.specialFolders = fake.specialFolders;
    for (const char* name : {"Viewer.exe", "a.dat", "b.dat", "UNINSTAL.EXE"}) {
      fresh.listing.push_back({name});
      fresh.payloadFiles.push_back({name, 1});
    }
    InstallerSystem system(fresh);
    system.payload = c.payload ? &fresh : nullptr;
    RunLog log(fresh, "setup.log");
    MessageText failures;
    RunReport report(log, fresh, true, failures);
    InstallOutcome outcome = RunInstall(system, s, report);
    std::string what = std::to_string(&c - cases);
    EXPECT_EQ(outcome, *c.swapDuring ? InstallOutcome::kIncomplete : InstallOutcome::kInstalled)
        << what;
    EXPECT_EQ(fresh.CallsStartingWith(kFilesRecord),
              std::vector<std::string>{kFilesRecord + "|" + c.record + ")"})
        << what;
    const std::string& text = fresh.logs["setup.log"];
    EXPECT_NE(text.find(std::string("program: ") + c.program + "\r\n"), std::string::npos)
        << what << text;
    if (*c.swapDuring) {
      EXPECT_NE(text.find(std::string("file: ") + c.swapDuring +
                          ": skipped: it landed outside the target folder\r\n"),
                std::string::npos)
          << what << text;
      EXPECT_NE(text.find("file: b.dat: skipped: the target folder was moved or replaced\r\n"),
                std::string::npos)
          << what << text;
      EXPECT_EQ(fresh.copied.count("C:\\Apps\\Viewer\\b.dat"), 0u) << what;
    }
  }
}
