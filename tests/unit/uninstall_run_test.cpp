// The uninstaller's run: the question, what Yes removes and No keeps, the refusals that remove
// nothing, the closing report of what was left and why; unattended, the exit codes and the log.
#include "uninstall/uninstall_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/fake_platform.h"
#include "uninstall/uninstall_messages.h"

namespace {

const std::string kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tiny Notes";
const std::string kOwn = "C:\\WINDOWS\\Tiny Notes Uninstall.exe";
const std::string kFolder = "C:\\Program Files\\Tiny Notes";
const std::string kDesktop = "C:\\Users\\Public\\Desktop";
const std::string kPrograms = "C:\\ProgramData\\Start Menu\\Programs";
const std::string kGroup = kPrograms + "\\Tiny Notes 1.0";
const std::string kTitle = "Tiny Notes 1.0 Uninstall";
const std::string kSetupInf =
    "TinyNote.exe\r\nC:\\Program Files\\Tiny Notes\r\nTiny Notes\r\nTiny Notes 1.0\r\n3\r\n"
    "Tiny Notes,TinyNote.exe\r\nRead me,readme.txt\r\nLicense,license.txt\r\n";

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Tiny Notes as setup.exe leaves it on an NT-family system, with a sub-folder the user added.
void Install(FakePlatform& fake) {
  fake.ownPath = kOwn;
  fake.registry[kKey] = {{"DisplayName", "Tiny Notes"},
                         {"UninstallString", "\"" + kOwn + "\""},
                         {"InstallTo", kFolder}};
  fake.openableKeys.insert(kKey);
  fake.specialFolders = {{0x24, "C:\\WINDOWS"},
                         {0x26, "C:\\Program Files"},
                         {0x10, "C:\\Users\\bob\\Desktop"},
                         {0x02, "C:\\Users\\bob\\Start Menu\\Programs"},
                         {0x19, kDesktop},
                         {0x17, kPrograms}};
  for (const std::string& folder : {std::string("C:\\WINDOWS"), std::string("C:\\Program Files"),
                                    kFolder, kDesktop, kPrograms, kGroup, kFolder + "\\My Notes"})
    fake.AddFolder(folder);
  for (const std::string& file :
       {kOwn, kFolder + "\\TinyNote.exe", kFolder + "\\readme.txt", kFolder + "\\license.txt",
        kFolder + "\\setup.inf", kFolder + "\\UNINSTAL.EXE", kFolder + "\\My Notes\\note.txt",
        kDesktop + "\\Tiny Notes.lnk", kGroup + "\\Tiny Notes.lnk", kGroup + "\\Read me.lnk",
        kGroup + "\\License.lnk"})
    fake.AddFile(file);
  fake.files[kFolder + "\\setup.inf"] = kSetupInf;
  // Windows keeps a running program's file.
  fake.removalFails[kOwn] = Removal::kDenied;
}

// The last message box's call, text and title.
std::string LastCall(const FakePlatform& fake, const std::string& prefix) {
  auto calls = fake.CallsStartingWith(prefix);
  return calls.empty() ? "" : calls.back();
}

// Every call that changes something, grouped by operation.
std::vector<std::string> ChangesOf(const FakePlatform& fake) {
  std::vector<std::string> changes;
  for (const char* prefix : {"DeleteOneFile", "DeleteHeldFile", "RemoveEmptyFolder",
                             "RemoveHeldFolder", "RegistryDeleteKey", "DeleteAtRestart"})
    for (const std::string& call : fake.CallsStartingWith(prefix))
      changes.push_back(call);
  return changes;
}

struct UninstallFixture : ::testing::Test {
  UninstallFixture() { Install(fake); }
  std::string Message(const std::string& prefix) const { return LastCall(fake, prefix); }
  std::vector<std::string> Changes() const { return ChangesOf(fake); }
  std::vector<std::string> Tree() const {
    std::vector<std::string> paths;
    for (const auto& entry : fake.tree)
      paths.push_back(entry.first);
    return paths;
  }

  FakePlatform fake;
};

TEST_F(UninstallFixture, QuestionNamesProductFolderAndEveryFile) {
  EXPECT_EQ(RunUninstall(fake), UninstallOutcome::kDeclined);
  std::string question = Message("AskYesNo");
  EXPECT_TRUE(Has(question, "Remove Tiny Notes 1.0 from this computer?")) << question;
  EXPECT_TRUE(Has(question, "Setup keeps no list of the files it installed")) << question;
  EXPECT_TRUE(Has(question, "\n  " + kFolder + "\n")) << question;
  for (const char* name :
       {"TinyNote.exe", "readme.txt", "license.txt", "setup.inf", "UNINSTAL.EXE"})
    EXPECT_TRUE(Has(question, std::string("\n  ") + name + "\n")) << name;
  EXPECT_FALSE(Has(question, "My Notes\n")) << question;
  EXPECT_TRUE(Has(question, "Sub-folders and the files in them are kept.")) << question;
  EXPECT_TRUE(Has(question, "the Start-menu shortcuts in \"Tiny Notes 1.0\"")) << question;
  EXPECT_TRUE(Has(question, "|" + kTitle + ")")) << question;
  EXPECT_EQ(fake.CallsStartingWith("AskYesNo").size(), 1u);
}

TEST_F(UninstallFixture, NoRemovesNothing) {
  auto before = Tree();
  EXPECT_EQ(RunUninstall(fake), UninstallOutcome::kDeclined);
  EXPECT_TRUE(Changes().empty());
  EXPECT_EQ(Tree(), before);
  EXPECT_EQ(fake.registry.count(kKey), 1u);
  EXPECT_TRUE(fake.CallsStartingWith("ShowMessage").empty());
  EXPECT_EQ(fake.calls.back(), "RequestQuit(1)");
}

TEST_F(UninstallFixture, YesRemovesWhatSetupMadeAndKeepsTheSubFolder) {
  fake.answerYes = true;
  EXPECT_EQ(RunUninstall(fake), UninstallOutcome::kPartlyRemoved);
  std::vector<std::string> expected = {
      "DeleteOneFile(" + kDesktop + "\\Tiny Notes.lnk)",
      "DeleteOneFile(" + kGroup + "\\Tiny Notes.lnk)",
      "DeleteOneFile(" + kGroup + "\\Read me.lnk)",
      "DeleteOneFile(" + kGroup + "\\License.lnk)",
      "DeleteOneFile(" + kOwn + ")",
      "DeleteHeldFile(TinyNote.exe)",
      "DeleteHeldFile(UNINSTAL.EXE)",
      "DeleteHeldFile(license.txt)",
      "DeleteHeldFile(readme.txt)",
      "DeleteHeldFile(setup.inf)",
      "RemoveEmptyFolder(" + kGroup + ")",
      "RemoveHeldFolder()",
      "RegistryDeleteKey(" + kKey + ")",
      "DeleteAtRestart(" + kOwn + ")",
  };
  std::vector<std::string> changes = Changes();
  EXPECT_EQ(changes, expected);
  std::vector<std::string> left = {"C:\\Program Files",
                                   kFolder,
                                   kFolder + "\\My Notes",
                                   kFolder + "\\My Notes\\note.txt",
                                   kDesktop,
                                   kPrograms,
                                   "C:\\WINDOWS",
                                   kOwn};
  std::sort(left.begin(), left.end());
  EXPECT_EQ(Tree(), left);
  EXPECT_EQ(fake.registry.count(kKey), 0u);
  EXPECT_EQ(fake.deletedAtRestart, std::vector<std::string>{kOwn});

  std::string report = Message("ShowMessage");
  for (const std::string& line : std::vector<std::string>{
           "Tiny Notes 1.0 was removed, except for what is listed under Left.",
           "\n  5 files from " + kFolder + "\n", std::string("\n  the desktop shortcut\n"),
           std::string("\n  3 Start-menu shortcuts\n"),
           std::string("\n  the Start-menu group \"Tiny Notes 1.0\"\n"),
           std::string("\n  the entry in the list of installed programs\n"),
           "\nLeft:\n  " + kFolder + ": it still holds sub-folders, which are kept\n",
           std::string("\nThis uninstaller will be deleted when Windows next starts.")})
    EXPECT_TRUE(Has(report, line)) << line << "\nin:\n" << report;
  EXPECT_FALSE(Has(report, "the folder " + kFolder)) << report;
  EXPECT_FALSE(Has(report, "  nothing\n")) << report;
  EXPECT_EQ(fake.calls.back(), "RequestQuit(3)");
}

TEST_F(UninstallFixture, ReportSaysWhatWasLeftAndWhy) {
  fake.answerYes = true;
  fake.tree.erase(kFolder + "\\My Notes\\note.txt");
  fake.tree.erase(kFolder + "\\My Notes");
  fake.removalFails[kFolder + "\\readme.txt"] = Removal::kReadOnly;
  fake.removalFails[kFolder + "\\TinyNote.exe"] = Removal::kInUse;
  fake.AddFile(kGroup + "\\Added by the user.lnk");
  fake.AddLink(kFolder + "\\shortcut to elsewhere", true);
  fake.removalFails.erase(kOwn);  // deleted at once, as some systems allow
  RunUninstall(fake);
  std::string report = Message("ShowMessage");
  for (const std::string& line : std::vector<std::string>{
           "\n  3 files from " + kFolder + "\n",
           "\n  " + kFolder + "\\readme.txt: read-only\n",
           "\n  " + kFolder + "\\TinyNote.exe: in use by a program\n",
           "\n  " + kGroup + ": it holds other shortcuts\n",
           "\n  " + kFolder + ": it still holds files that were left\n",
           "\n  1 link in " + kFolder + ": links are never followed or removed\n",
           std::string("\n  this uninstaller\n"),
       })
    EXPECT_TRUE(Has(report, line)) << line << "\nin:\n" << report;
  EXPECT_TRUE(fake.CallsStartingWith("DeleteAtRestart").empty());
  EXPECT_TRUE(fake.CallsStartingWith("DeleteOneFile(" + kFolder + "\\shortcut").empty());
  EXPECT_EQ(fake.tree.count(kFolder + "\\shortcut to elsewhere"), 1u);
}

TEST_F(UninstallFixture, ALinkAloneKeepsTheFolder) {
  fake.answerYes = true;
  fake.tree.erase(kFolder + "\\My Notes\\note.txt");
  fake.tree.erase(kFolder + "\\My Notes");
  fake.AddLink(kFolder + "\\shortcut to elsewhere", true);
  RunUninstall(fake);
  EXPECT_TRUE(
      Has(Message("ShowMessage"), "\n  " + kFolder + ": it still holds files that were left\n"))
      << Message("ShowMessage");
}

TEST_F(UninstallFixture, AFolderThatRefusesToGoSaysWhy) {
  fake.answerYes = true;
  fake.tree.erase(kFolder + "\\My Notes\\note.txt");
  fake.tree.erase(kFolder + "\\My Notes");
  fake.removalFails[kFolder] = Removal::kDenied;
  RunUninstall(fake);
  EXPECT_TRUE(
      Has(Message("ShowMessage"),
          "\nLeft:\n  " + kFolder + ": access denied (a running program may be using it)\n"))
      << Message("ShowMessage");
}

TEST_F(UninstallFixture, AGroupThatIsALinkIsNotFollowed) {
  fake.answerYes = true;
  fake.AddLink(kGroup, true);
  fake.tree.erase(kFolder + "\\My Notes");  // the group alone is left
  EXPECT_EQ(RunUninstall(fake), UninstallOutcome::kPartlyRemoved);
  EXPECT_TRUE(fake.CallsStartingWith("DeleteOneFile(" + kGroup).empty());
  EXPECT_TRUE(fake.CallsStartingWith("RemoveEmptyFolder(" + kGroup).empty());
  EXPECT_TRUE(
      Has(Message("ShowMessage"), "\n  " + kGroup + ": a link or junction, never followed\n"))
      << Message("ShowMessage");
}

TEST_F(UninstallFixture, WhatCannotBeRemovedIsReportedNotHidden) {
  fake.answerYes = true;
  fake.registryWritable = false;
  fake.restartDeletionWorks = false;
  RunUninstall(fake);
  std::string report = Message("ShowMessage");
  EXPECT_TRUE(
      Has(report, "\n  the entry in the list of installed programs: could not be deleted\n"))
      << report;
  EXPECT_TRUE(Has(report, "\n  " + kOwn + ": the uninstaller itself could not be removed\n"))
      << report;
  EXPECT_FALSE(Has(report, "Windows next starts")) << report;
}

const std::string kNothing = "\n\nNothing was removed.";

// The whole text of a refused InstallTo: what it `is`, then why nothing is removed.
std::string Refused(const std::string& is) {
  return "The install folder recorded for Tiny Notes " + is +
         " Removing the files in it could remove files that do not belong to Tiny Notes." +
         kNothing + " Remove its files yourself, if you are sure which they are.";
}

TEST(Uninstall, RefusalsRemoveNothing) {
  const std::string kNotListed =
      "Tiny Notes is not in the list of installed programs: the entry HKEY_LOCAL_MACHINE\\" + kKey +
      " or its InstallTo value is missing. It may have been removed already." + kNothing;
  const std::string kNoSetupInf =
      "Cannot read 'setup.inf' in " + kFolder +
      ". It names the shortcuts of Tiny Notes and shows that the folder still holds it." +
      kNothing +
      " If the folder holds nothing you need, delete it yourself, then run this uninstaller "
      "again to remove Tiny Notes from the list of installed programs.";
  struct Case {
    const char* what;
    void (*arrange)(FakePlatform&);
    const char* title;
    std::string says;  // the whole message
    UninstallOutcome outcome = UninstallOutcome::kRefused;
  } cases[] = {
      {"the distribution's own name", [](FakePlatform& f) { f.ownPath = "D:\\UNINSTAL.EXE"; },
       "Uninstall",
       "This uninstaller learns which program to remove from its own file name, \"<program> "
       "Uninstall.exe\", the name Setup gives it in the Windows folder. Its file name is "
       "\"UNINSTAL.EXE\", so it does not know which program to remove." +
           kNothing},
      {"no own path", [](FakePlatform& f) { f.ownPath.clear(); }, "Uninstall",
       "This uninstaller cannot read its own file name, which tells it which program to remove." +
           kNothing},
      {"no key: removed already", [](FakePlatform& f) { f.registry.clear(); },
       "Tiny Notes Uninstall", kNotListed, UninstallOutcome::kNothingToDo},
      {"no InstallTo", [](FakePlatform& f) { f.registry[kKey].erase("InstallTo"); },
       "Tiny Notes Uninstall", kNotListed},
      {"no rights", [](FakePlatform& f) { f.openableKeys.clear(); }, "Tiny Notes Uninstall",
       "Removing Tiny Notes needs permission to change the list of installed programs. Run this "
       "uninstaller as an administrator." +
           kNothing},
      {"the Windows folder", [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = "C:\\WINDOWS"; },
       "Tiny Notes Uninstall",
       Refused("is C:\\WINDOWS, which is the Windows folder or lies inside it (C:\\WINDOWS).")},
      {"a drive root", [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = "C:\\"; },
       "Tiny Notes Uninstall", Refused("is C:\\, the root of a drive.")},
      {"relative", [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = "Tiny Notes"; },
       "Tiny Notes Uninstall",
       Refused("is not a full path; which folder it names depends on the current folder.")},
      {"empty", [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = ""; }, "Tiny Notes Uninstall",
       Refused("is empty, so it names no folder.")},
      {"program files",
       [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = "C:\\Program Files"; },
       "Tiny Notes Uninstall",
       Refused("is C:\\Program Files, a folder of Windows or of a user, or one that holds such a "
               "folder (C:\\Program Files).")},
      {"another account's folder",
       [](FakePlatform& f) {
         f.specialFolders[0x28] = "C:\\Users\\bob";
         for (const char* folder : {"C:\\Users", "C:\\Users\\alice", "C:\\Users\\alice\\Downloads"})
           f.AddFolder(folder);
         f.registry[kKey]["InstallTo"] = "C:\\Users\\alice\\Downloads";
       },
       "Tiny Notes Uninstall",
       Refused("is C:\\Users\\alice\\Downloads, which lies inside C:\\Users, the folder of every "
               "user's own files. There only a program's own folder in a profile's "
               "AppData\\Local\\Programs is emptied.")},
      {"no setup.inf", [](FakePlatform& f) { f.files.clear(); }, "Tiny Notes Uninstall",
       kNoSetupInf},
      {"corrupted setup.inf",
       [](FakePlatform& f) { f.files[kFolder + "\\setup.inf"] = "a\nb\nc\nd\n2\nno comma\n"; },
       "Tiny Notes Uninstall", kNoSetupInf},
      {"another program's setup.inf",
       [](FakePlatform& f) {
         f.files[kFolder + "\\setup.inf"] = "V.exe\nC:\\Apps\\Viewer\nV\nViewer 2\n0\n";
       },
       "Tiny Notes Uninstall",
       "The folder " + kFolder +
           " now holds Viewer, not Tiny Notes: its 'setup.inf' belongs to "
           "Viewer, which was installed into the same folder later. Removing the files would "
           "remove that program." +
           kNothing},
      {"not a folder name", [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = "C:\\Tiny?"; },
       "Tiny Notes Uninstall", Refused("is not a name that a folder can have.")},
      {"a part of dots",
       [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = "C:\\Program Files\\..\\WINDOWS"; },
       "Tiny Notes Uninstall",
       Refused("has a part made only of dots or spaces, which Windows reads as another folder.")},
      {"inside the Windows folder",
       [](FakePlatform& f) {
         f.AddFolder("C:\\WINDOWS\\Fonts");
         f.registry[kKey]["InstallTo"] = "C:\\WINDOWS\\Fonts";
       },
       "Tiny Notes Uninstall",
       Refused(
           "is C:\\WINDOWS\\Fonts, which is the Windows folder or lies inside it (C:\\WINDOWS).")},
      {"the user's desktop",
       [](FakePlatform& f) {
         for (const char* folder : {"C:\\Users", "C:\\Users\\bob", "C:\\Users\\bob\\Desktop"})
           f.AddFolder(folder);
         f.registry[kKey]["InstallTo"] = "C:\\Users\\bob\\Desktop";
       },
       "Tiny Notes Uninstall",
       Refused("is C:\\Users\\bob\\Desktop, a folder of Windows or of a user, or one that holds "
               "such a folder (C:\\Users\\bob\\Desktop).")},
      {"a profile",
       [](FakePlatform& f) {
         f.specialFolders[0x28] = "C:\\Users\\bob";
         for (const char* folder : {"C:\\Users", "C:\\Users\\bob", "C:\\Users\\alice"})
           f.AddFolder(folder);
         f.registry[kKey]["InstallTo"] = "C:\\Users\\alice";
       },
       "Tiny Notes Uninstall", Refused("is C:\\Users\\alice, a user's profile folder.")},
      {"behind a junction",
       [](FakePlatform& f) {
         f.AddLink("C:\\Apps", true);
         f.registry[kKey]["InstallTo"] = "C:\\Apps\\Tiny Notes";
       },
       "Tiny Notes Uninstall",
       Refused("is C:\\Apps\\Tiny Notes, which is reached through the link or junction C:\\Apps. "
               "A link may lead anywhere.")},
      {"a file", [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = kFolder + "\\setup.inf"; },
       "Tiny Notes Uninstall",
       Refused("is " + kFolder + "\\setup.inf, which is a file, not a folder.")},
  };
  for (const Case& c : cases) {
    FakePlatform f;
    Install(f);
    f.answerYes = true;
    c.arrange(f);
    EXPECT_EQ(RunUninstall(f), c.outcome) << c.what;
    EXPECT_EQ(LastCall(f, "ShowMessage"), "ShowMessage(" + c.says + "|" + c.title + ")") << c.what;
    EXPECT_TRUE(ChangesOf(f).empty()) << c.what;
    EXPECT_TRUE(f.CallsStartingWith("AskYesNo").empty()) << c.what;
    EXPECT_EQ(f.calls.back(), "RequestQuit(" + std::to_string(static_cast<int>(c.outcome)) + ")")
        << c.what;
  }
}

TEST_F(UninstallFixture, GoneFolderLeavesOnlyTheEntryToRemove) {
  for (auto it = fake.tree.begin(); it != fake.tree.end();)
    it = it->first.rfind(kFolder, 0) == 0 ? fake.tree.erase(it) : std::next(it);
  fake.answerYes = true;
  EXPECT_EQ(RunUninstall(fake), UninstallOutcome::kPartlyRemoved);
  EXPECT_EQ(Message("AskYesNo"),
            "AskYesNo(Tiny Notes was installed in " + kFolder +
                ", which no longer exists. Without the 'setup.inf' that was there its shortcuts "
                "cannot be named, so any that remain stay where they are.\n\nRemove Tiny Notes "
                "from the list of installed programs?|Tiny Notes Uninstall)");
  std::vector<std::string> expected = {"DeleteOneFile(" + kOwn + ")",
                                       "RegistryDeleteKey(" + kKey + ")",
                                       "DeleteAtRestart(" + kOwn + ")"};
  EXPECT_EQ(Changes(), expected);
  EXPECT_TRUE(Has(Message("ShowMessage"), "without 'setup.inf' they cannot be named"));
}

TEST_F(UninstallFixture, LongListsAreCountedNotShown) {
  for (int k = 0; k < 20; ++k)
    fake.AddFile(kFolder + "\\note" + std::to_string(10 + k) + ".txt");
  RunUninstall(fake);
  std::string question = Message("AskYesNo");
  EXPECT_TRUE(Has(question, "\n  and 10 more\n")) << question;  // 25 files, 15 shown
  EXPECT_FALSE(Has(question, "note29.txt")) << question;
  // So is what is left: 20 files and the folder that holds them.
  fake.answerYes = true;
  for (int k = 0; k < 20; ++k)
    fake.removalFails[kFolder + "\\note" + std::to_string(10 + k) + ".txt"] = Removal::kInUse;
  RunUninstall(fake);
  std::string report = Message("ShowMessage");
  EXPECT_TRUE(Has(report, "note21.txt: in use by a program\n  and 9 more\n")) << report;
}

TEST_F(UninstallFixture, TwelveLeftAreAllShown) {
  // Eleven files and the folder that holds them.
  fake.answerYes = true;
  for (int k = 0; k < 11; ++k) {
    fake.AddFile(kFolder + "\\note" + std::to_string(10 + k) + ".txt");
    fake.removalFails[kFolder + "\\note" + std::to_string(10 + k) + ".txt"] = Removal::kInUse;
  }
  RunUninstall(fake);
  std::string report = Message("ShowMessage");
  EXPECT_TRUE(Has(report, "note20.txt: in use by a program\n")) << report;
  EXPECT_FALSE(Has(report, "more\n")) << report;
}

// Shortcut names come from setup.inf, and only what setup.exe itself made is touched: on the
// 95/98 family in the user's own folders, and never a folder a name could climb out to.
#define kEntry "entry in the list of installed programs"
// The desktop's path and this title fit a path, with ".lnk" they do not.
const std::string kLongTitle(233, 't');
const char* const kTitleFitsWithoutLnk = kLongTitle.c_str();
TEST(Uninstall, ShortcutsAsTheInstallerNamedThem) {
  struct Case {
    const char* what;
    int family;
    const char* linkTitle;
    const char* productName;
    const char* entryName;
    std::vector<std::string> deleted;  // .lnk files, in order
    std::string group;                 // removed when empty; "" for none
    const char* asks;                  // what the question says goes besides the files
    std::string says = "";             // a line of the report's Left
  } cases[] = {
      {"NT family",
       kFamilyWindowsNt,
       "Notes",
       "Tiny 1.0",
       "Read me",
       {kDesktop + "\\Notes.lnk", kPrograms + "\\Tiny 1.0\\Read me.lnk"},
       kPrograms + "\\Tiny 1.0",
       "The desktop shortcut, the Start-menu shortcut in \"Tiny 1.0\" and the " kEntry
       " are removed as well."},
      {"95/98 family",
       kFamilyWindows9x,
       "Notes",
       "Tiny 1.0",
       "Read me",
       {"C:\\Users\\bob\\Desktop\\Notes.lnk",
        "C:\\Users\\bob\\Start Menu\\Programs\\Tiny 1.0\\Read me.lnk"},
       "C:\\Users\\bob\\Start Menu\\Programs\\Tiny 1.0",
       "The desktop shortcut, the Start-menu shortcut in \"Tiny 1.0\" and the " kEntry
       " are removed as well."},
      {"unknown family",
       0,
       "Notes",
       "Tiny 1.0",
       "Read me",
       {},
       "",
       "The " kEntry " is removed as well."},
      {"empty product name: straight into the programs folder",
       kFamilyWindowsNt,
       "Notes",
       "",
       "Read me",
       {kDesktop + "\\Notes.lnk", kPrograms + "\\\\Read me.lnk"},
       "",
       "The desktop shortcut, the Start-menu shortcut and the " kEntry " are removed as well."},
      {"dotted product name: the Start menu itself",
       kFamilyWindowsNt,
       "Notes",
       "..",
       "Read me",
       {kDesktop + "\\Notes.lnk"},
       "",
       "The desktop shortcut and the " kEntry " are removed as well.",
       "\n  the Start-menu shortcuts: the group name \"..\" in 'setup.inf' would lead out of "
       "the Start menu\n"},
      {"a product name of one dot",
       kFamilyWindowsNt,
       "Notes",
       ".",
       "Read me",
       {kDesktop + "\\Notes.lnk"},
       "",
       "The desktop shortcut and the " kEntry " are removed as well.",
       "the group name \".\" in 'setup.inf' would lead out of the Start menu\n"},
      {"names that climb out",
       kFamilyWindowsNt,
       "..\\..\\Notes",
       "Tiny",
       "..\\x",
       {},
       kPrograms + "\\Tiny",
       "The " kEntry " is removed as well.",
       "\n  2 shortcuts whose names in 'setup.inf' would lead out of their folder\n"},
      {"a group name that climbs out",
       kFamilyWindowsNt,
       "Notes",
       "..\\..\\..\\..\\..\\..\\Users\\admin\\Desktop",
       "Read me",
       {kDesktop + "\\Notes.lnk"},
       "",
       "The desktop shortcut and the " kEntry " are removed as well.",
       "\n  the Start-menu shortcuts: the group name "
       "\"..\\..\\..\\..\\..\\..\\Users\\admin\\Desktop\" "
       "in 'setup.inf' would lead out of the Start menu\n"},
      {"a link title whose link does not fit",
       kFamilyWindowsNt,
       kTitleFitsWithoutLnk,
       "Tiny 1.0",
       "Read me",
       {kPrograms + "\\Tiny 1.0\\Read me.lnk"},
       kPrograms + "\\Tiny 1.0",
       "The Start-menu shortcut in \"Tiny 1.0\" and the " kEntry " are removed as well."},
      {"a one-letter product name",
       kFamilyWindowsNt,
       "Notes",
       "T",
       "Read me",
       {kDesktop + "\\Notes.lnk", kPrograms + "\\T\\Read me.lnk"},
       kPrograms + "\\T",
       "The desktop shortcut, the Start-menu shortcut in \"T\" and the " kEntry
       " are removed as well."},
      {"a group name that is a full path",
       kFamilyWindowsNt,
       "Notes",
       "C:/Users/admin/Desktop",
       "Read me",
       {kDesktop + "\\Notes.lnk"},
       "",
       "The desktop shortcut and the " kEntry " are removed as well.",
       "\n  the Start-menu shortcuts: the group name \"C:/Users/admin/Desktop\" in 'setup.inf' "
       "would lead out of the Start menu\n"},
  };
  for (const Case& c : cases) {
    FakePlatform f;
    Install(f);
    f.answerYes = true;
    f.family = c.family;
    f.files[kFolder + "\\setup.inf"] =
        std::string("TinyNote.exe\nC:\\Program Files\\Tiny Notes\n") + c.linkTitle + "\n" +
        c.productName + "\n1\n" + c.entryName + ",readme.txt\n";
    RunUninstall(f);
    const std::string title = c.productName[0] ? c.productName : "Tiny Notes";
    EXPECT_TRUE(
        Has(LastCall(f, "AskYesNo"), std::string("kept. ") + c.asks + "|" + title + " Uninstall)"))
        << c.what << "\n"
        << LastCall(f, "AskYesNo");
    std::vector<std::string> deleted;
    for (const std::string& call : f.CallsStartingWith("DeleteOneFile("))
      if (call.find(".lnk)") != std::string::npos)
        deleted.push_back(call.substr(14, call.size() - 15));
    EXPECT_EQ(deleted, c.deleted) << c.what;
    std::vector<std::string> removed;
    for (const std::string& call : f.CallsStartingWith("RemoveEmptyFolder("))
      removed.push_back(call.substr(18, call.size() - 19));
    std::vector<std::string> expected;
    if (!c.group.empty())
      expected.push_back(c.group);
    EXPECT_EQ(removed, expected) << c.what;
    std::string report = LastCall(f, "ShowMessage");
    if (!c.says.empty())
      EXPECT_TRUE(Has(report, c.says)) << c.what << "\n" << report;
    else
      EXPECT_FALSE(Has(report, "would lead out of")) << c.what << "\n" << report;
  }
}

// With a record of the shortcuts setup saved, those go and no others: a setup.inf planted in
// the install folder names another product's. Each recorded path must still lie, reached through
// no link, on the desktop or in a group directly in the programs folder.
TEST(Uninstall, OnlyTheRecordedShortcutsGo) {
  const std::string other = kPrograms + "\\Other 2.0";
  const std::string linked = kPrograms + "\\Linked";
  const std::vector<std::string> own = {kDesktop + "\\Tiny Notes.lnk", kGroup + "\\",
                                        kGroup + "\\Tiny Notes.lnk", kGroup + "\\Read me.lnk",
                                        kGroup + "\\License.lnk"};
  const struct {
    const char* what;
    std::vector<std::string> record;
    std::vector<std::string> deleted;  // .lnk files and groups, in order
    std::string left;                  // a line of the report's Left; "" for none
  } cases[] = {
      {"its own, not those setup.inf names",
       own,
       {kDesktop + "\\Tiny Notes.lnk", kGroup + "\\Tiny Notes.lnk", kGroup + "\\Read me.lnk",
        kGroup + "\\License.lnk", kGroup},
       ""},
      {"an empty record", {}, {}, ""},
      {"outside the desktop and the Start menu",
       {"C:\\WINDOWS\\notepad.lnk"},
       {},
       "  C:\\WINDOWS\\notepad.lnk: not on the desktop or in a Start-menu group\n"},
      {"climbing out of a group", {kGroup + "\\..\\..\\x.lnk"}, {}, "x.lnk: not on the desktop"},
      {"in a group's sub-folder", {kGroup + "\\Sub\\x.lnk"}, {}, "x.lnk: not on the desktop"},
      {"no shortcut", {kDesktop + "\\notes.txt"}, {}, "notes.txt: not on the desktop"},
      {"the Start menu as a group", {kPrograms + "\\"}, {}, "Programs: not on the desktop"},
      {"a group that is a link",
       {linked + "\\", linked + "\\a.lnk"},
       {},
       "  " + linked + "\\a.lnk: a link or junction, never followed\n"},
      {"a shortcut that is a folder", {kGroup + "\\Dir.lnk"}, {}, "Dir.lnk: not what Setup"},
  };
  for (const auto& c : cases) {
    FakePlatform f;
    Install(f);
    f.answerYes = true;
    for (const std::string& folder :
         {std::string("C:\\Users"), std::string("C:\\Users\\Public"),
          std::string("C:\\ProgramData"), std::string("C:\\ProgramData\\Start Menu"), other,
          kGroup + "\\Dir.lnk"})
      f.AddFolder(folder);
    for (const std::string& file :
         {kDesktop + "\\Other.lnk", other + "\\Other.lnk", std::string("C:\\WINDOWS\\notepad.lnk"),
          kDesktop + "\\x.lnk", kDesktop + "\\notes.txt"})
      f.AddFile(file);
    f.AddLink(linked, true);
    f.AddFile(linked + "\\a.lnk");
    f.files[kFolder + "\\setup.inf"] =
        "TinyNote.exe\r\nC:\\Program Files\\Tiny Notes\r\nOther\r\nOther 2.0\r\n1\r\n"
        "Other,TinyNote.exe\r\n";
    std::string record;
    for (const std::string& path : c.record)
      record += path + '\0';
    f.registry[kKey]["InstalledShortcuts"] = record;
    RunUninstall(f);
    std::vector<std::string> deleted;
    for (const std::string& call : ChangesOf(f))
      if (call.compare(0, 14, "DeleteOneFile(") == 0 && Has(call, ".lnk)"))
        deleted.push_back(call.substr(14, call.size() - 15));
      else if (call.compare(0, 18, "RemoveEmptyFolder(") == 0)
        deleted.push_back(call.substr(18, call.size() - 19));
    EXPECT_EQ(deleted, c.deleted) << c.what;
    for (const std::string& path : {kDesktop + "\\Other.lnk", other + "\\Other.lnk", other})
      EXPECT_EQ(f.tree.count(path), 1u) << c.what << ": " << path;
    std::string report = LastCall(f, "ShowMessage");
    if (c.left.empty())
      EXPECT_FALSE(Has(report, ".lnk:")) << c.what << "\n" << report;
    else
      EXPECT_TRUE(Has(report, c.left)) << c.what << "\n" << report;
  }
}

// A user who may write to the install folder may swap it while the question stands open. What
// is found changed after Yes stops the removal there: the entry and the uninstaller stay, so
// that it can be run again. 95/98 keeps no identities and has no links: it goes on by path.
TEST(Uninstall, AChangeAfterTheQuestionStopsTheRemoval) {
  const std::vector<std::string> shortcuts = {"DeleteOneFile(" + kDesktop + "\\Tiny Notes.lnk)",
                                              "DeleteOneFile(" + kGroup + "\\Tiny Notes.lnk)",
                                              "DeleteOneFile(" + kGroup + "\\Read me.lnk)",
                                              "DeleteOneFile(" + kGroup + "\\License.lnk)"};
  const std::string stopped =
      " Nothing more was removed, and the entry in the list of installed programs stays: run "
      "this uninstaller again to see what the folder holds now.";
  struct Case {
    const char* what;
    std::function<void(FakePlatform&)> change;
    std::vector<std::string> changes;  // every call that changed something
    std::string headline;              // the report's first paragraph
    bool identitiesKept = true;
  } cases[] = {
      {"another folder in its place",
       [](FakePlatform& f) { f.identities["c:\\program files\\tiny notes"] = 7; },
       {},
       "Tiny Notes 1.0 was not removed completely. After the question was answered, the folder " +
           kFolder + " was no longer the one it named: it had been replaced, moved or removed." +
           stopped},
      {"a junction in its place",
       [](FakePlatform& f) { f.AddLink(kFolder, true); },
       {},
       "Tiny Notes 1.0 was not removed completely. After the question was answered, the folder " +
           kFolder + " was no longer the one it named: it had been replaced, moved or removed." +
           stopped},
      {"a junction on the way",
       [](FakePlatform& f) { f.AddLink("C:\\Program Files", true); },
       {},
       "Tiny Notes 1.0 was not removed completely. After the question was answered, the folder " +
           kFolder +
           " was reached through the link or junction C:\\Program Files, which may lead "
           "anywhere." +
           stopped},
      {"a file whose handle is not in the folder",
       [](FakePlatform& f) { f.openedElsewhere.insert(kFolder + "\\readme.txt"); },
       {shortcuts[0], shortcuts[1], shortcuts[2], shortcuts[3], "DeleteHeldFile(TinyNote.exe)",
        "DeleteHeldFile(UNINSTAL.EXE)", "DeleteHeldFile(license.txt)", "DeleteHeldFile(readme.txt)",
        "RemoveEmptyFolder(" + kGroup + ")"},
       "Tiny Notes 1.0 was not removed completely. After the question was answered, " + kFolder +
           "\\readme.txt no longer led to a file in the folder it named." + stopped},
      {"95/98: no way to tell",
       [](FakePlatform& f) { f.identities["c:\\program files\\tiny notes"] = 7; },
       {shortcuts[0], shortcuts[1], shortcuts[2], shortcuts[3],
        "DeleteOneFile(" + kFolder + "\\TinyNote.exe)",
        "DeleteOneFile(" + kFolder + "\\UNINSTAL.EXE)",
        "DeleteOneFile(" + kFolder + "\\license.txt)", "DeleteOneFile(" + kFolder + "\\readme.txt)",
        "DeleteOneFile(" + kFolder + "\\setup.inf)", "DeleteOneFile(" + kOwn + ")",
        "RemoveEmptyFolder(" + kGroup + ")", "RemoveEmptyFolder(" + kFolder + ")",
        "RegistryDeleteKey(" + kKey + ")", "DeleteAtRestart(" + kOwn + ")"},
       "Tiny Notes 1.0 was removed, except for what is listed under Left.",
       false},
  };
  for (const Case& c : cases) {
    FakePlatform f;
    Install(f);
    f.answerYes = true;
    f.whileAsking = c.change;
    f.identitiesKept = c.identitiesKept;
    EXPECT_EQ(RunUninstall(f), UninstallOutcome::kPartlyRemoved) << c.what;
    EXPECT_EQ(ChangesOf(f), c.changes) << c.what;
    std::string report = LastCall(f, "ShowMessage");
    std::string headline = report.substr(12, report.find("\n\n") - 12);
    EXPECT_EQ(headline, c.headline) << c.what;
    if (c.changes.empty())
      EXPECT_TRUE(Has(report, "\n\nRemoved:\n  nothing\n")) << c.what << "\n" << report;
    EXPECT_TRUE(f.heldFolder.empty()) << c.what;  // let go
  }
}

// A list of names as REG_MULTI_SZ holds them, each ending in a zero.
std::string Names(std::initializer_list<const char*> names) {
  std::string list;
  for (const char* name : names)
    list += std::string(name) + '\0';
  return list;
}

// setup.exe records the names it copied. Only those go; what the user added stays and is named
// in the question. An installation without a record keeps today's behaviour; one whose record
// cannot be read loses no file.
TEST(Uninstall, OnlyTheRecordedFilesGo) {
  const std::string before = "Remove Tiny Notes 1.0 from this computer?\n\n";
  const std::string after =
      "Sub-folders and the files in them are kept. The desktop shortcut, the Start-menu "
      "shortcuts in \"Tiny Notes 1.0\" and the entry in the list of installed programs are "
      "removed as well.";
  const std::string all =
      "  TinyNote.exe\n  UNINSTAL.EXE\n  license.txt\n  my note.txt\n"
      "  readme.txt\n  setup.inf\n\n";
  const char* kNone = "(none)";
  struct Case {
    const char* what;
    std::string record;  // the InstalledFiles value, kNone for none
    std::vector<std::string> deleted;
    std::string files;  // what the question says of the files
    std::string left;   // a line of the report's Left, if any
  } cases[] = {
      {"what setup copied",
       Names({"TinyNote.exe", "UNINSTAL.EXE", "license.txt", "readme.txt", "setup.inf"}),
       {"TinyNote.exe", "UNINSTAL.EXE", "license.txt", "readme.txt", "setup.inf"},
       "The files Setup installed are deleted from the folder\n  " + kFolder +
           ":\n  TinyNote.exe\n  UNINSTAL.EXE\n  license.txt\n  readme.txt\n  setup.inf\n\n"
           "Files you added there are kept:\n  my note.txt\n\n",
       "\n  1 file in " + kFolder + " that Setup did not install\n"},
      {"names in another case",
       Names({"tinynote.exe", "README.TXT"}),
       {"TinyNote.exe", "readme.txt"},
       "The files Setup installed are deleted from the folder\n  " + kFolder +
           ":\n  TinyNote.exe\n  readme.txt\n\nFiles you added there are kept:\n  UNINSTAL.EXE\n"
           "  license.txt\n  my note.txt\n  setup.inf\n\n",
       "\n  4 files in " + kFolder + " that Setup did not install\n"},
      {"names that are no single names, and one that is gone",
       Names({"..\\readme.txt", "C:license.txt", "sub/setup.inf", "gone.txt", "TinyNote.exe"}),
       {"TinyNote.exe"},
       "The files Setup installed are deleted from the folder\n  " + kFolder +
           ":\n  TinyNote.exe\n\nFiles you added there are kept:\n  UNINSTAL.EXE\n  license.txt\n"
           "  my note.txt\n  readme.txt\n  setup.inf\n\n",
       "\n  5 files in " + kFolder + " that Setup did not install\n"},
      {"an empty record",
       std::string(1, '\0'),
       {},
       "None of the files Setup installed is left in the folder\n  " + kFolder +
           "\n\nFiles you added there are kept:\n" + all,
       "\n  6 files in " + kFolder + " that Setup did not install\n"},
      {"no record: an installation from before",
       kNone,
       {"TinyNote.exe", "UNINSTAL.EXE", "license.txt", "my note.txt", "readme.txt", "setup.inf"},
       "Setup keeps no list of the files it installed, so every file directly in the folder\n  " +
           kFolder + "\nwill be deleted, including files you saved there yourself:\n" + all,
       ""},
      {"a record too large to read",
       std::string(70000, 'x'),
       {},
       "The list of the files Setup installed cannot be read, so no file directly in the "
       "folder\n  " +
           kFolder + "\nis deleted:\n" + all,
       "\n  6 files in " + kFolder + ": the list of the files Setup installed cannot be read\n"},
  };
  for (const Case& c : cases) {
    FakePlatform f;
    Install(f);
    f.answerYes = true;
    f.AddFile(kFolder + "\\my note.txt");
    if (c.record != kNone)
      f.registry[kKey]["InstalledFiles"] = c.record;
    RunUninstall(f);
    EXPECT_EQ(LastCall(f, "AskYesNo"), "AskYesNo(" + before + c.files + after + "|" + kTitle + ")")
        << c.what;
    std::vector<std::string> deleted;
    for (const std::string& call : f.CallsStartingWith("DeleteHeldFile("))
      deleted.push_back(call.substr(15, call.size() - 16));
    EXPECT_EQ(deleted, c.deleted) << c.what;
    for (const std::string& call : f.calls)
      EXPECT_FALSE(Has(call, "..\\readme") || Has(call, "C:license") || Has(call, "sub/"))
          << c.what << ": " << call;
    std::string report = LastCall(f, "ShowMessage");
    if (!c.left.empty())
      EXPECT_TRUE(Has(report, c.left)) << c.what << "\n" << report;
    else
      EXPECT_FALSE(Has(report, "Setup did not install")) << c.what << "\n" << report;
  }
  // A recorded file whose path would not fit stays, and the report says why.
  FakePlatform f;
  Install(f);
  f.answerYes = true;
  const std::string longName(240, 'n');
  f.AddFile(kFolder + "\\" + longName);
  f.registry[kKey]["InstalledFiles"] = Names({"TinyNote.exe", longName.c_str()});
  RunUninstall(f);
  EXPECT_TRUE(Has(LastCall(f, "ShowMessage"), longName + ": its path is too long\n"))
      << LastCall(f, "ShowMessage");
}

// The question is read whole before Yes: with the longest names in both lists it still fits.
TEST(UninstallMessages, TheLongestQuestionFitsWhole) {
  RemovalPlan plan{};
  std::string name(kTextCapacity - 1, 'p');
  std::string path = "C:\\" + std::string(kPathCapacity - 4, 'f');
  std::snprintf(plan.productName, sizeof plan.productName, "%s", name.c_str());
  std::snprintf(plan.groupName, sizeof plan.groupName, "%s", name.c_str());
  std::snprintf(plan.check.folder, sizeof plan.check.folder, "%s", path.c_str());
  plan.desktopLink[0] = 'x';
  plan.group[0] = 'x';
  plan.menuLinkCount = 1;
  plan.record = FileRecord::kRead;
  for (int k = 0; k < 100; ++k) {
    std::string file = std::to_string(1000 + k) + std::string(kPathCapacity - 5, 'n');
    plan.files.Add(file.c_str(), L"n");
    plan.kept.Add(file.c_str(), L"n");
  }
  MessageText text;
  ComposeQuestion(PlanStatus::kReady, plan, text);
  EXPECT_FALSE(text.Cut());
  EXPECT_TRUE(Has(text.Get(), " are removed as well.")) << text.Get();
}

// The counts in these texts: no sign but a minus, none lost at either end of int.
TEST(UninstallMessages, NumbersAsTheyRead) {
  const struct {
    int number;
    const char* text;
  } cases[] = {{0, "0"},
               {1, "1"},
               {10, "10"},
               {-1, "-1"},
               {-40, "-40"},
               {INT_MAX, "2147483647"},
               {INT_MIN, "-2147483648"}};
  for (const auto& c : cases) {
    MessageText text;
    EXPECT_STREQ(text.Add("[").Add(c.number).Add("]").Get(),
                 ("[" + std::string(c.text) + "]").c_str());
  }
}

// ---- Unattended runs: /S, /LOG= and the exit codes ------------------------------------------

const std::string kLog = "C:\\Logs\\uninstall.log";

// Tiny Notes as setup.exe leaves it, with its record of installed files and nothing of the user's.
void InstallClean(FakePlatform& fake) {
  Install(fake);
  fake.tree.erase(kFolder + "\\My Notes\\note.txt");
  fake.tree.erase(kFolder + "\\My Notes");
  fake.registry[kKey]["InstalledFiles"] =
      Names({"TinyNote.exe", "UNINSTAL.EXE", "license.txt", "readme.txt", "setup.inf"});
}

bool Silent(const std::string& arguments) {
  return arguments.compare(0, 2, "/S") == 0 || arguments.compare(0, 2, "/s") == 0;
}

// Whoever started the uninstaller tells the outcomes apart by the exit code, with /S as without.
// With /S nothing is asked or shown (the fake would answer No), and the refusals stay.
TEST(UninstallExitCode, EachOutcomeWithAndWithoutS) {
  using O = UninstallOutcome;
  struct Case {
    const char* what;
    std::string arguments;  // starting with /S for an unattended run
    std::function<void(FakePlatform&)> arrange;
    O outcome;
    bool removes;
  } cases[] = {
      // The uninstaller's own file still waits for the next start: it counts as removed.
      {"everything", "", [](FakePlatform&) {}, O::kRemoved, true},
      {"everything", "/S", [](FakePlatform&) {}, O::kRemoved, true},
      {"a sub-folder kept", "", [](FakePlatform& f) { f.AddFolder(kFolder + "\\Data"); },
       O::kPartlyRemoved, true},
      {"a sub-folder kept", "/S", [](FakePlatform& f) { f.AddFolder(kFolder + "\\Data"); },
       O::kPartlyRemoved, true},
      {"a file in use", "/S",
       [](FakePlatform& f) { f.removalFails[kFolder + "\\TinyNote.exe"] = Removal::kInUse; },
       O::kPartlyRemoved, true},
      {"a file the user added", "/S", [](FakePlatform& f) { f.AddFile(kFolder + "\\a.txt"); },
       O::kPartlyRemoved, true},
      {"a device's name, recorded", "/S",
       [](FakePlatform& f) {
         f.AddFile(kFolder + "\\NUL.txt");
         f.registry[kKey]["InstalledFiles"].insert(0, std::string("NUL.txt\0", 8));
       },
       O::kPartlyRemoved, true},
      {"a shortcut whose name leads out of its folder", "/S",
       [](FakePlatform& f) {
         f.files[kFolder + "\\setup.inf"] =
             "TinyNote.exe\nC:\\Program Files\\Tiny Notes\n..\\Notes\nOther 1.0\n0\n";
       },
       O::kPartlyRemoved, true},
      {"the longest record that is read", "/S",
       [](FakePlatform& f) {
         std::string& record = f.registry[kKey]["InstalledFiles"];
         record += std::string(kRecordLimit - record.size() - 1, 'n') + '\0';
       },
       O::kRemoved, true},
      {"the folder itself refused", "/S",
       [](FakePlatform& f) { f.removalFails[kFolder] = Removal::kDenied; }, O::kPartlyRemoved,
       true},
      {"a record one byte too long to read", "/S",
       [](FakePlatform& f) {
         std::string& record = f.registry[kKey]["InstalledFiles"];
         record += std::string(kRecordLimit - record.size(), 'n') + '\0';
       },
       O::kPartlyRemoved, true},
      {"a group holding another shortcut", "/S",
       [](FakePlatform& f) { f.AddFile(kGroup + "\\Other.lnk"); }, O::kPartlyRemoved, true},
      {"its own file neither deleted nor marked", "/S",
       [](FakePlatform& f) { f.restartDeletionWorks = false; }, O::kPartlyRemoved, true},
      {"the folder already gone", "/S",
       [](FakePlatform& f) {
         for (auto it = f.tree.begin(); it != f.tree.end();)
           it = it->first.rfind(kFolder, 0) == 0 ? f.tree.erase(it) : std::next(it);
       },
       O::kPartlyRemoved, true},
      {"a file that leads out of the folder: the removal stops", "/S",
       [](FakePlatform& f) { f.openedElsewhere.insert(kFolder + "\\readme.txt"); },
       O::kPartlyRemoved, true},
      {"No", "", [](FakePlatform& f) { f.answerYes = false; }, O::kDeclined, false},
      {"a refused folder", "",
       [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = "C:\\WINDOWS"; }, O::kRefused, false},
      {"a refused folder", "/S",
       [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = "C:\\WINDOWS"; }, O::kRefused, false},
      {"no entry: removed already", "", [](FakePlatform& f) { f.registry.clear(); },
       O::kNothingToDo, false},
      {"no entry: removed already", "/s", [](FakePlatform& f) { f.registry.clear(); },
       O::kNothingToDo, false},
      {"an entry without InstallTo", "/S",
       [](FakePlatform& f) { f.registry[kKey].erase("InstallTo"); }, O::kRefused, false},
      {"an unknown switch", "/S /X", [](FakePlatform&) {}, O::kRefused, false},
      {"a log without a file", "/S /LOG=", [](FakePlatform&) {}, O::kRefused, false},
      {"an unknown switch, ignored", "/X /Y", [](FakePlatform&) {}, O::kRemoved, true},
  };
  for (const Case& c : cases) {
    FakePlatform f;
    InstallClean(f);
    bool silent = Silent(c.arguments);
    f.answerYes = !silent;
    c.arrange(f);
    std::string what = c.what + std::string(silent ? " (/S)" : "");
    EXPECT_EQ(RunUninstall(f, c.arguments.c_str()), c.outcome) << what;
    EXPECT_EQ(f.calls.back(), "RequestQuit(" + std::to_string(static_cast<int>(c.outcome)) + ")")
        << what;
    bool shown =
        !f.CallsStartingWith("ShowMessage").empty() || !f.CallsStartingWith("AskYesNo").empty();
    EXPECT_EQ(shown, !silent) << what;
    EXPECT_EQ(!ChangesOf(f).empty(), c.removes) << what;
  }
}

// With /LOG= a run appends one line a step to what the file held: the time and its command line
// first, its exit code last, and what it showed, or with /S would have shown, in between.
TEST(UninstallLog, OneLineAStep) {
  const std::string entry = "entry: HKEY_LOCAL_MACHINE\\" + kKey;
  const std::string planned[] = {"uninstaller: " + kOwn + ": removes Tiny Notes",
                                 entry + ": InstallTo " + kFolder,
                                 "folder check: " + kFolder + ": passed",
                                 "description: " + kFolder + "\\setup.inf: Tiny Notes 1.0",
                                 "record of installed files: InstalledFiles: read"};
  const std::string question = kTitle + ": Remove Tiny Notes 1.0 from this computer?  The files ";
  // What a /S run logs from its plan to the third file removed.
  const std::vector<std::string> removing = {planned[0],
                                             planned[1],
                                             planned[2],
                                             planned[3],
                                             planned[4],
                                             question + "...",
                                             "answered: yes (/S)",
                                             "folder: " + kFolder + ": checked again: unchanged",
                                             "shortcut: " + kDesktop + "\\Tiny Notes.lnk: removed",
                                             "shortcut: " + kGroup + "\\Tiny Notes.lnk: removed",
                                             "shortcut: " + kGroup + "\\Read me.lnk: removed",
                                             "shortcut: " + kGroup + "\\License.lnk: removed",
                                             "group: " + kGroup + ": removed",
                                             "file: " + kFolder + "\\TinyNote.exe: removed",
                                             "file: " + kFolder + "\\UNINSTAL.EXE: removed",
                                             "file: " + kFolder + "\\license.txt: removed"};
  auto then = [&removing](std::vector<std::string> rest) {
    rest.insert(rest.begin(), removing.begin(), removing.end());
    return rest;
  };
  struct Case {
    const char* what;
    std::string arguments;
    std::function<void(FakePlatform&)> arrange;
    std::vector<std::string> lines;  // after the header; one ending in "..." starts so
  } cases[] = {
      {"/S: one file read-only, one added, the entry kept", "/S /LOG=" + kLog,
       [](FakePlatform& f) {
         f.removalFails[kFolder + "\\readme.txt"] = Removal::kReadOnly;
         f.AddFile(kFolder + "\\my note.txt");
         f.registryWritable = false;
       },
       then({"file: " + kFolder + "\\readme.txt: left: read-only",
             "file: " + kFolder + "\\setup.inf: removed",
             "file: " + kFolder + "\\my note.txt: kept: Setup did not install it",
             "folder: " + kFolder + ": left: it still holds files that were left",
             entry + ": left: could not be deleted",
             "uninstaller: " + kOwn + ": deleted when Windows next starts",
             kTitle +
                 ": Tiny Notes 1.0 was removed, except for what is listed under Left.  Removed:...",
             "exit code: 3: removed, some things left"})},
      {"/S: everything, the uninstaller at once", "/S /LOG=" + kLog,
       [](FakePlatform& f) { f.removalFails.clear(); },
       then({"file: " + kFolder + "\\readme.txt: removed",
             "file: " + kFolder + "\\setup.inf: removed", "folder: " + kFolder + ": removed",
             entry + ": removed", "uninstaller: " + kOwn + ": removed",
             kTitle + ": Tiny Notes 1.0 was removed.  Removed:...",
             "exit code: 0: everything removed"})},
      {"/S /KEEPSELF: everything, the uninstaller's file left to setup",
       "/S /KEEPSELF /LOG=" + kLog, [](FakePlatform& f) { f.removalFails.clear(); },
       then({"file: " + kFolder + "\\readme.txt: removed",
             "file: " + kFolder + "\\setup.inf: removed", "folder: " + kFolder + ": removed",
             entry + ": removed", "uninstaller: " + kOwn + ": kept: setup replaces it",
             kTitle + ": Tiny Notes 1.0 was removed.  Removed:...",
             "exit code: 0: everything removed"})},
      {"without /S: No",
       "/log=\"" + kLog + "\"",
       [](FakePlatform& f) { f.answerYes = false; },
       {planned[0], planned[1], planned[2], planned[3], planned[4], question + "...",
        "answered: no", "exit code: 1: declined"}},
      {"/S: a refused folder",
       "/S /LOG=" + kLog,
       [](FakePlatform& f) { f.registry[kKey]["InstallTo"] = "C:\\WINDOWS"; },
       {planned[0], entry + ": InstallTo C:\\WINDOWS", "folder check: C:\\WINDOWS: refused",
        "Tiny Notes Uninstall: The install folder recorded for Tiny Notes is C:\\WINDOWS, which "
        "is the Windows folder or lies inside it (C:\\WINDOWS). Removing the files in it could "
        "remove files that do not belong to Tiny Notes.  Nothing was removed. Remove its files "
        "yourself, if you are sure which they are.",
        "exit code: 2: refused"}},
      {"/S: nothing to do",
       "/S /LOG=" + kLog,
       [](FakePlatform& f) { f.registry.clear(); },
       {planned[0], entry + ": missing: nothing to do",
        "Tiny Notes Uninstall: Tiny Notes is not in the list of installed programs:...",
        "exit code: 4: nothing to do"}},
      {"/S: a name too long for an entry's key",
       "/S /LOG=" + kLog,
       [](FakePlatform& f) {
         f.ownPath = "C:\\WINDOWS\\" + std::string(210, 'n') + " Uninstall.exe";
       },
       {"uninstaller: C:\\WINDOWS\\" + std::string(210, 'n') + " Uninstall.exe: removes " +
            std::string(210, 'n'),
        "entry: HKEY_LOCAL_MACHINE\\: no InstallTo: refused",
        std::string(210, 'n') + " Uninstall: " + std::string(210, 'n') + " is not in the list...",
        "exit code: 2: refused"}},
      {"/S: an unknown switch",
       "/S /LOG=" + kLog + " /Q",
       [](FakePlatform&) {},
       {"command line: /Q: not understood: nothing was removed", "exit code: 2: refused"}},
      {"without /S: an unknown switch",
       "/Q /LOG=" + kLog,
       [](FakePlatform& f) { f.answerYes = false; },
       {"command line: /Q: not understood: ignored", planned[0], planned[1], planned[2], planned[3],
        planned[4], question + "...", "answered: no", "exit code: 1: declined"}},
  };
  for (const Case& c : cases) {
    FakePlatform f;
    InstallClean(f);
    f.answerYes = true;
    c.arrange(f);
    f.logs[kLog] = "an earlier run\r\n";
    std::string commandLine = "\"" + kOwn + "\" " + c.arguments;
    RunUninstall(f, c.arguments.c_str(), commandLine.c_str());
    std::vector<std::string> expected = {"an earlier run", "2026-12-07 09:30:00 " + commandLine};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    std::vector<std::string> actual;
    const std::string& log = f.logs[kLog];
    for (std::size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos;
         start = end + 2)
      actual.push_back(log.substr(start, end - start));
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n") << c.what;
    for (std::size_t k = 0; k < actual.size() && k < expected.size(); ++k) {
      const std::string& line = expected[k];
      std::size_t head = line.size() - 3;
      if (line.size() > 3 && line.compare(head, 3, "...") == 0 &&
          actual[k].compare(0, head, line, 0, head) == 0)
        actual[k] = line;
    }
    EXPECT_EQ(actual, expected) << c.what;
  }
}

}  // namespace
