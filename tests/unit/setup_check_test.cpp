// setup-check: its exit codes, a warning for each trap of setup.inf, the JSON report, and the
// install plan it takes from the installer's own run.
#include "check/setup_check.h"

#include <gtest/gtest.h>

#include "tests/unit/distribution.h"
#include "tests/unit/example_description.h"
#include "tests/unit/pe_image.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check/check_report.h"

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// --- Exit codes ------------------------------------------------------------------------------

struct ExitCase {
  const char* name;
  bool present;
  std::string setupInfo;
  int status;
  const char* message;  // printed on its own line when the installer would stop
};

TEST(SetupCheck, ExitCodesFollowTheInstallersVerdict) {
  const ExitCase cases[] = {
      {"accepted", true, kExampleDescription, 0, nullptr},
      {"missing", false, "", 1, "Cannot open 'setup.inf'!"},
      {"empty", true, "", 1, "Cannot read enough data from 'setup.inf'!"},
      {"four lines", true, "a\nC:\\b\nc\nd\n", 1, "Cannot read enough data from 'setup.inf'!"},
      {"entry without comma", true, "a\nC:\\b\nc\nd\n1\nno comma\n", 1,
       "'setup.inf' is corrupted!"},
      {"count above the tables", true, "a\nC:\\b\nc\nd\n21\n", 1, "'setup.inf' is corrupted!"},
      {"value too long", true, std::string(256, 'p') + "\nC:\\b\nc\nd\n0\n", 1,
       "'setup.inf' is corrupted!"},
      {"no FolderName", true, "a\n\\\\\nc\nd\n0\n", 1, "'setup.inf' is corrupted!"},
      {"FolderName with a colon", true, "a\nC:\\b:c\nc\nd\n0\n", 1, "'setup.inf' is corrupted!"},
  };
  for (const ExitCase& c : cases) {
    SCOPED_TRACE(c.name);
    Distribution dist;
    if (c.present)
      dist.Write("setup.inf", c.setupInfo);
    Outcome run = Check({dist.path()});
    EXPECT_EQ(run.status, c.status);
    if (c.message) {
      EXPECT_TRUE(Contains(
          run.out, std::string("\nThe installer stops with this message (title "
                               "\"setup\"):\n") +
                       c.message + "\nRead before it stopped:\n" +
                       (c.status == 1 && std::string(c.message) == "Cannot open 'setup.inf'!"
                            ? "\n"
                            : "  ProgramFile    \"")))
          << run.out;
    }
  }
}

TEST(SetupCheck, UsageErrors) {
  Distribution dist;
  dist.Standard();
  const std::string file = dist.path() + "/setup.inf";
  const struct {
    std::vector<std::string> args;
    std::string says;  // the first line on standard error; the usage follows
  } cases[] = {
      {{"--frobnicate", dist.path()}, "setup-check: unknown option --frobnicate"},
      {{"-x"}, "setup-check: unknown option -x"},
      {{"-"}, "setup-check: - is no folder, nor a file that can be read"},
      {{dist.path(), "--json", dist.path()}, "setup-check: more than one folder given"},
      {{dist.path() + "/no-such-folder"},
       "setup-check: " + dist.path() + "/no-such-folder is no folder, nor a file that can be read"},
      {{"--winget", dist.path()},
       "setup-check: --winget takes a packed setup program (setup-pack makes one); " + dist.path() +
           " is a folder"},
      {{"--json", "--winget", file}, "setup-check: --json and --winget exclude each other"},
  };
  Outcome help = Check({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: setup-check [--json] [--codepage N] [DIR | PACKED.exe]\n"
                           "       setup-check --winget [--codepage N] PACKED.exe\n",
                           0),
            0u)
      << help.out;
  EXPECT_EQ(help.err, "");
  for (const auto& c : cases) {
    Outcome run = Check(c.args);
    EXPECT_EQ(run.status, 2) << c.says;
    EXPECT_EQ(run.out, "") << c.says;
    EXPECT_EQ(run.err, c.says + "\n" + help.out);
  }
  EXPECT_EQ(Check({"--json", dist.path()}).status, 0);
  EXPECT_EQ(Check({"--", dist.path()}).status, 0);
}

TEST(SetupCheck, OpensSetupInfoAsWindowsDoesButNeverAFolder) {
  Distribution upper;
  upper.Write("SETUP.INF", kExampleDescription);
  EXPECT_EQ(Check({upper.path()}).status, 0);

  Distribution folder;
  fs::create_directory(folder.path() + "/setup.inf");
  Outcome run = Check({folder.path()});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.out, "Cannot open 'setup.inf'!"));
  EXPECT_TRUE(Contains(run.out, "\nWarnings: none\n")) << run.out;
}

// --- Warnings ----------------------------------------------------------------------------------

struct WarningCase {
  const char* trap;
  std::string setupInfo;
  int line;
  const char* says;
};

std::string Head(const std::string& count) {
  return "Viewer.exe\nC:\\Program Files\\Viewer\nViewer\nViewer 1.0\n" + count + "\n";
}

const std::string kLongTitle(220, 't');

const WarningCase kWarningCases[] = {
    {"last line without newline", Head("1") + "Viewer,Viewer.exe", 6,
     "takes its last character \"e\" for one and reads \"Viewer,Viewer.ex\""},
    {"line 5 without newline", "Viewer.exe\nC:\\Program Files\\Viewer\nViewer\nV\n2", 5,
     "EntryCount is read from \"\" and becomes 0"},
    {"semicolon cut", "Viewer.exe;main program\nC:\\Program Files\\Viewer\nViewer\nV\n0\n", 1,
     "reads ProgramFile as \"Viewer.exe\" out of \"Viewer.exe;main program\""},
    {"leading semicolon", "Viewer.exe\n;C:\\Old\nViewer\nV\n0\n", 2, "is no comment"},
    {"trailing space", "Viewer.exe \nC:\\Program Files\\Viewer\nViewer\nV\n0\n", 1,
     "\"Viewer.exe \" keeps its trailing spaces"},
    {"tab in an entry", Head("1") + "Viewer,\tViewer.exe\n", 6,
     "file \"\tViewer.exe\" keeps its leading spaces"},
    {"count above the lines", Head("3") + "Viewer,Viewer.exe\n", 5,
     "declares 3 entries but only 1 entry line follows"},
    {"lines beyond the count", Head("1") + "Viewer,Viewer.exe\nRead me,readme.txt\n", 7,
     "beyond the 1 Start-menu entry that EntryCount declares: the installer ignores it"},
    {"middle of an entry lost", Head("1") + "Viewer,old,Viewer.exe\n", 6,
     "title \"Viewer\" and the file \"Viewer.exe\"; \"old\" between them is lost"},
    {"leading comma", Head("1") + ",Viewer.exe\n", 6,
     "holds 1 comma, the first at its start: the installer takes the title \"Viewer.exe\" and the "
     "file \"Viewer.exe\""},
    {"entry file missing", Head("1") + "Manual,manual.pdf\n", 6,
     "\"manual.pdf\" is not in the distribution"},
    {"program file missing", "View.exe\nC:\\Program Files\\Viewer\nViewer\nV\n0\n", 1,
     "ProgramFile \"View.exe\" is not in the distribution: the desktop shortcut points at a file "
     "that is not installed, and the program is not started after setup"},
    {"program in a sub-folder", "bin\\View.exe\nC:\\Program Files\\Viewer\nViewer\nV\n0\n", 1,
     "lies in a sub-folder"},
    {"program left behind", "setup.exe\nC:\\Program Files\\Viewer\nViewer\nV\n0\n", 1,
     "is in the distribution but is not copied"},
    {"line 2 ends in a backslash", "Viewer.exe\nC:\\Program Files\\\nViewer\nV\n0\n", 2,
     "InstallDir ends with a backslash: FolderName is the component before it, \"Program Files\", "
     "but the folder box shows the backslash"},
    {"line 2 without backslash", "Viewer.exe\nViewer\nViewer\nV\n0\n", 2,
     "holds no backslash: FolderName"},
    {"relative folder", "Viewer.exe\nViewer\nViewer\nV\n0\n", 2, "is not a full path"},
    {"a drive that is no letter", "Viewer.exe\n{:\\Viewer\nViewer\nV\n0\n", 2,
     "is not a full path"},
    {"an empty file", "", 1, "the file holds only 0 lines"},
    {"parent folder must exist", "Viewer.exe\nC:\\Apps\\Viewer\nViewer\nV\n0\n", 2,
     "\"C:\\Apps\" must already exist"},
    {"parent of a folder with trailing backslashes",
     "Viewer.exe\nC:\\Apps\\Viewer\\\\\nViewer\nV\n0\n", 2, "\"C:\\Apps\" must already exist"},
    {"empty folder", "Viewer.exe\n\nViewer\nV\n0\n", 2,
     "InstallDir is empty, and so is FolderName, which names the uninstall entry and the "
     "uninstaller: the installer refuses the description (\"'setup.inf' is corrupted!\")"},
    {"only backslashes", "Viewer.exe\n\\\\\nViewer\nV\n0\n", 2,
     "InstallDir holds nothing but backslashes, so FolderName"},
    {"FolderName with a slash", "Viewer.exe\nC:\\Apps\\a/b\nViewer\nV\n0\n", 2,
     "FolderName \"a/b\", the last component of InstallDir and the name of the uninstall entry "
     "and the uninstaller, holds \"/\", which a file name cannot hold: the installer refuses"},
    {"FolderName of dots", "Viewer.exe\nC:\\Apps\\..\\\nViewer\nV\n0\n", 2,
     "FolderName \"..\", the last component of InstallDir and the name of the uninstall entry "
     "and the uninstaller, is made only of dots and spaces"},
    {"FolderName of a device", "Viewer.exe\nC:\\Apps\\COM1.x\nViewer\nV\n0\n", 2,
     "FolderName \"COM1.x\", the last component of InstallDir and the name of the uninstall "
     "entry and the uninstaller, is a device's name"},
    {"FolderName too long", "Viewer.exe\n\\" + std::string(256, 'f') + "\nViewer\nV\n0\n", 2,
     "FolderName, the last component of InstallDir, is 256 characters long"},
    {"quote in ProgramFile", "Vi\"ewer.exe\nC:\\Program Files\\Viewer\nViewer\nV\n0\n", 1,
     "ProgramFile \"Vi\"ewer.exe\" holds '\"', which would end the quoted command and add "
     "arguments to it: the installer does not start the program"},
    {"long physical line", Head("1") + "Viewer," + std::string(300, 'v') + "\n", 6,
     "the line is 307 characters long: the installer reads at most 259 characters at a time, "
     "so it takes it as 2 lines (its lines 6 to 7), each losing its last character, and every "
     "later line moves down by 1"},
    {"look-alike of the installer", Head("0"), 0,
     "\"UNINSTAL.EXE\" is copied into the target folder"},
    {"count not a number", Head("two"), 5,
     "\"two\" holds no number up front: the installer reads 0"},
    {"count with words", Head("1 entry") + "Viewer,Viewer.exe\n", 5,
     "is not a plain number: the installer reads 1"},
    {"negative count", Head("-1"), 5, "is negative"},
    {"count above the tables", Head("21"), 5, "more than the 20 Start-menu entries"},
    {"no comma", Head("1") + "Viewer\n", 6, "has no comma between title and file"},
    {"only commas", Head("1") + ",,\n", 6, "nothing but commas"},
    {"value too long", std::string(256, 'p') + "\nC:\\Program Files\\Viewer\nViewer\nV\n0\n", 1,
     "ProgramFile is 256 characters long, more than the 255 its field holds"},
    {"zero byte", Head("1") + std::string("Viewer,Viewer.exe\0junk\n", 23), 6,
     "zero byte after 17 characters"},
    {"lone carriage return", "Viewer.exe\r\rC:\\Program Files\\Viewer\nViewer\nV\n0\n", 1,
     "carriage return that no line feed follows"},
    {"ctrl-z", Head("0") + "\x1A" + "more\n", 6, "Ctrl-Z byte"},
    {"ctrl-z before much", Head("0") + "\x1A" + std::string(600000, 'm'), 6,
     "the 600000 bytes after it are ignored"},
    {"too few lines", "Viewer.exe\nC:\\Program Files\\Viewer\n", 3,
     "holds only 2 lines as the installer counts them"},
    {"slash in a title", Head("1") + "Viewer/Editor,Viewer.exe\n", 6,
     "the entry's title \"Viewer/Editor\" holds \"/\", which would lead the shortcut out of its "
     "folder or into a stream: the installer creates no shortcut for it"},
    {"colon in the link title", "Viewer.exe\nC:\\Program Files\\Viewer\nC:Viewer\nV\n0\n", 3,
     "LinkTitle \"C:Viewer\" holds \":\", which would lead"},
    {"backslash in the group", "Viewer.exe\nC:\\Program Files\\Viewer\nViewer\nAcme\\Viewer\n0\n",
     4,
     "ProductName \"Acme\\Viewer\" holds \"\\\", which would lead the shortcut out of its folder "
     "or "
     "into a stream: the installer creates no Start-menu shortcut"},
    {"control character in a title",
     Head("1") + "View\x1F"
                 "er,Viewer.exe\n",
     6, "holds a control character, which a file name cannot hold"},
    {"the first control character", Head("1") + std::string("View\x01") + "er,Viewer.exe\n", 6,
     "holds a control character, which a file name cannot hold"},
    {"star in a title", Head("1") + "Viewer*,Viewer.exe\n", 6,
     "holds \"*\", which a file name cannot hold: its shortcut cannot be saved"},
    {"empty link title", "Viewer.exe\nC:\\Program Files\\Viewer\n\nV\n0\n", 3,
     "the desktop shortcut is named \".lnk\""},
    {"empty product", "Viewer.exe\nC:\\Program Files\\Viewer\nViewer\n\n0\n", 4,
     "ProductName is empty"},
    {"dotted product", "Viewer.exe\nC:\\Program Files\\Viewer\nViewer\n..\n0\n", 4,
     "ProductName \"..\" is only dots and spaces, which would name the programs folder or the "
     "Start menu itself: the installer creates no Start-menu shortcut"},
    {"one-dot product", "Viewer.exe\nC:\\Program Files\\Viewer\nViewer\n.\n0\n", 4,
     "ProductName \".\" is only dots and spaces"},
    {"destination does not fit", "Viewer.exe\nC:\\" + std::string(250, 'd') + "\nViewer\nV\n0\n", 2,
     "\"readme.txt\" is not copied: the path composed from the target folder and its name"},
    {"shortcut target does not fit",
     "Viewer.exe\nC:\\" + std::string(250, 'd') + "\nViewer\nV\n0\n", 3,
     "the desktop shortcut \"Viewer\" is not created: its target"},
    {"menu shortcut target does not fit",
     "Viewer.exe\nC:\\" + std::string(250, 'd') + "\nViewer\nV\n1\nRead me,readme.txt\n", 6,
     "is not created: its target"},
    {"launch does not fit", "Viewer.exe\nC:\\" + std::string(250, 'd') + "\nViewer\nV\n0\n", 1,
     "the program is not started after setup"},
    {"uninstall key does not fit", "Viewer.exe\nC:\\" + std::string(230, 'k') + "\nViewer\nV\n0\n",
     2, "no uninstall entry is written"},
    {"link fits only the short folders",
     "Viewer.exe\nC:\\Program Files\\Viewer\n" + kLongTitle + "\nV\n0\n", 3,
     "is not created on Windows NT, 2000, XP and later, whose folders usually lie at "
     "\"C:\\Documents and Settings\\All Users\\Desktop\": its link path would be longer"},
};

TEST(SetupCheck, WarnsOfEachTrapOnItsLine) {
  for (const WarningCase& c : kWarningCases) {
    SCOPED_TRACE(c.trap);
    Distribution dist;
    dist.Standard(c.setupInfo);
    CheckResult result;
    CheckDistribution(dist.path(), &result);
    bool found = false;
    for (const CheckWarning& w : result.warnings)
      found = found || (w.line == c.line && Contains(w.text, c.says));
    std::string all;
    for (const CheckWarning& w : result.warnings)
      all += std::to_string(w.line) + ": " + w.text + "\n";
    EXPECT_TRUE(found) << all;
  }
}

// Where the installer refuses a line it reads no further, and neither does the checker.
TEST(SetupCheck, WarningsEndWhereTheInstallerStops) {
  const std::string kRefusal =
      ": the installer refuses the description (\"'setup.inf' is corrupted!\")";
  const struct {
    std::string setupInfo;
    int line;  // the refused line, the last warned of, and the whole warning less kRefusal
    const char* text;
  } cases[] = {
      {std::string(256, 'p') + "\nC:\\Program Files\\Viewer\n Viewer\nV\n0\n", 1,
       "ProgramFile is 256 characters long, more than the 255 its field holds"},
      {"Viewer.exe\nC:\\Apps\\a/b\n Viewer\nV\n0\n", 2,
       "FolderName \"a/b\", the last component of InstallDir and the name of the uninstall entry "
       "and the uninstaller, holds \"/\", which a file name cannot hold"},
      {Head("21") + " Viewer,Viewer.exe\n", 5,
       "EntryCount 21 is more than the 20 Start-menu entries the installer holds"},
      {Head("2") + "Viewer\n Read me,readme.txt\n", 6,
       "the entry \"Viewer\" has no comma between title and file"},
  };
  for (const auto& c : cases) {
    Distribution dist;
    dist.Standard(c.setupInfo);
    CheckResult result;
    CheckDistribution(dist.path(), &result);
    ASSERT_FALSE(result.warnings.empty()) << c.setupInfo;
    EXPECT_EQ(result.warnings.back().line, c.line) << result.warnings.back().text;
    EXPECT_EQ(result.warnings.back().text, std::string(c.text) + kRefusal);
  }
}

// Clean descriptions, spelled in ways the installer reads as meant, get no warning of a line.
TEST(SetupCheck, CleanDistributionWarnsOnlyOfTheCopiedUninstaller) {
  const std::string cases[] = {
      kExampleDescription,
      Head("0"),  // five lines
      "Viewer.exe\r\nC:\\Program Files\\Viewer\r\nViewer\r\nViewer 1.0\r\n0\r\n",
      Head("1 \t") + "Viewer,Viewer.exe\n",  // a count with trailing blanks
      Head(" 1") + "Viewer,Viewer.exe\n",
      Head("+1") + "Viewer,Viewer.exe\n",
      "Viewer.exe\n\\\\server\\share\\Viewer\nViewer\nViewer 1.0\n0\n",  // a network folder
      "Viewer.exe\n\\\\server\\share\\Apps\\Viewer\nViewer\nViewer 1.0\n0\n",
      "Viewer.exe\nD:\\Viewer\nViewer\nViewer 1.0\n0\n",
      "Viewer.exe\na:\\Viewer\nViewer\nViewer 1.0\n0\n",
      "Viewer.exe\nZ:\\Viewer\nViewer\nViewer 1.0\n0\n",
      "Viewer.exe\nc:\\program files\\Viewer\nViewer\nViewer 1.0\n0\n",
      Head("0") + "\x1A",
  };
  for (const std::string& setupInfo : cases) {
    Distribution dist;
    dist.Standard(setupInfo);
    CheckResult result;
    CheckDistribution(dist.path(), &result);
    std::string all;
    for (const CheckWarning& w : result.warnings)
      all += std::to_string(w.line) + ": " + w.text + "\n";
    EXPECT_EQ(all,
              "0: \"UNINSTAL.EXE\" is copied into the target folder: the installer leaves behind "
              "only \"setup.exe\" and \"uninstal.exe\", spelled exactly so\n")
        << setupInfo;
  }
}

TEST(SetupCheck, DistributionWarnings) {
  Distribution dist;
  dist.Write("setup.inf", kExampleDescription);
  dist.Write("Viewer.exe", pe::Image(pe::SampleVersion()));
  dist.Write("readme.txt", "x");
  dist.Write("nul.txt", "x");
  fs::create_directory(dist.path() + "/docs");
  CheckResult result;
  CheckDistribution(dist.path(), &result);
  std::vector<std::string> texts;
  for (const CheckWarning& w : result.warnings) {
    EXPECT_EQ(w.line, 0);
    texts.push_back(w.text);
  }
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "the folder \"docs\" is not copied: the installer copies no sub-folders");
  EXPECT_EQ(texts[1],
            "\"nul.txt\" is not copied: it is named like a device (CON, NUL, COM1 ...), which "
            "Windows opens instead of the file");
  EXPECT_TRUE(Contains(texts[2], "the distribution holds no UNINSTAL.EXE"));
}

// The uninstall entry's version and publisher come from the program file's version resource; a
// program file without them is warned of, one that is missing only as missing.
TEST(SetupCheck, ProgramFileVersion) {
  const std::string kShowsNone =
      ": the list of installed programs shows no version, and package managers cannot match the "
      "product by version";
  const std::string sample = pe::Image(pe::SampleVersion());
  const struct {
    const char* name;
    const char* programFile;
    std::string bytes;   // of Viewer.exe; empty: there is none
    std::string values;  // DisplayVersion and Publisher in the plan
    std::string warning;
  } cases[] = {
      {"sample", "Viewer.exe", sample, "DisplayVersion=1.0 Publisher=Lean Setup Samples ", ""},
      {"another case", "VIEWER.EXE", sample, "DisplayVersion=1.0 Publisher=Lean Setup Samples ",
       ""},
      {"fixed version only", "Viewer.exe",
       pe::Image(pe::VersionInfo(pe::Fixed(0x10002, 0x30004), "")), "DisplayVersion=1.2.3.4 ", ""},
      {"no version resource", "Viewer.exe", "x", "",
       "ProgramFile \"Viewer.exe\" has no version resource" + kShowsNone},
      {"neither version", "Viewer.exe",
       pe::Image(pe::VersionInfo("", pe::Strings(u"040904b0", pe::Text(u"CompanyName", u"Acme")) +
                                         pe::Translation(0x409, 1200))),
       "Publisher=Acme ",
       "ProgramFile \"Viewer.exe\" has a version resource with neither a ProductVersion nor a "
       "file version" +
           kShowsNone},
      {"missing", "Viewer.exe", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Distribution dist;
    dist.Standard(std::string(c.programFile) + "\nC:\\Program Files\\Viewer\nViewer\nV\n0\n");
    if (c.bytes.empty())
      fs::remove(dist.path() + "/Viewer.exe");
    else
      dist.Write("Viewer.exe", c.bytes);
    CheckResult result;
    CheckDistribution(dist.path(), &result);
    std::string values, warning;
    for (const auto& value : result.plan.registryValues) {
      if (value.first == "DisplayVersion" || value.first == "Publisher")
        values += value.first + "=" + value.second + " ";
    }
    for (const CheckWarning& w : result.warnings) {
      if (Contains(w.text, "version resource"))
        warning += std::to_string(w.line) + ": " + w.text;
    }
    EXPECT_EQ(values, c.values);
    EXPECT_EQ(warning, c.warning.empty() ? "" : "1: " + c.warning);
  }
}

// --- JSON ----------------------------------------------------------------------------------------

TEST(SetupCheck, JsonStringsCarryEveryByte) {
  const struct {
    std::string bytes;
    const char* json;
  } cases[] = {
      {"plain", "\"plain\""},
      {"C:\\a \"b\"", "\"C:\\\\a \\\"b\\\"\""},
      {"\x80\xE9\xFF", "\"\\u0080\\u00E9\\u00FF\""},
      {std::string("\x01\t\n\x1F\x7F", 5), "\"\\u0001\\u0009\\u000A\\u001F\\u007F\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JsonString(c.bytes), c.json);
}

TEST(SetupCheck, JsonKeepsWhatWasReadBeforeAnError) {
  Distribution dist;
  dist.Standard("Viewer.exe\nC:\\Program Files\\Viewer\nViewer\nViewer 1.0\n3\nA,a.txt\n,,\n");
  Outcome run = Check({"--json", dist.path()});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.out, "\"error\": \"'setup.inf' is corrupted!\"")) << run.out;
  EXPECT_TRUE(Contains(run.out, "\"ProgramFile\": \"Viewer.exe\""));
  EXPECT_TRUE(Contains(run.out, "\"FolderName\": \"Viewer\""));
  EXPECT_TRUE(Contains(run.out, "\"EntryCount\": 3"));
  // The file of the line of commas was allocated before the error; the third slot was never read.
  EXPECT_TRUE(Contains(run.out,
                       "\"Entries\": [\n"
                       "    {\"EntryName\": \"A\", \"EntryFile\": \"a.txt\"},\n"
                       "    {\"EntryName\": null, \"EntryFile\": \"\"},\n"
                       "    null\n"
                       "  ]"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "\"plan\": null"));
}

TEST(SetupCheck, JsonEntriesFollowTheCount) {
  const struct {
    const char* count;
    std::size_t slots;
  } cases[] = {{"0", 0}, {"-4", 0}, {"20", 20}, {"25", 20}};
  for (const auto& c : cases) {
    Distribution dist;
    dist.Standard(Head(c.count));
    Outcome run = Check({"--json", dist.path()});
    std::size_t nulls = 0;
    for (std::size_t at = run.out.find("    null"); at != std::string::npos;
         at = run.out.find("    null", at + 1))
      ++nulls;
    EXPECT_EQ(nulls, c.slots) << c.count;
    if (c.slots == 0) {
      EXPECT_TRUE(Contains(run.out, "\"Entries\": []"));
    }
  }
}

// --- The plan ------------------------------------------------------------------------------------

TEST(SetupCheck, PlanIsWhatTheInstallRunDoes) {
  Distribution dist;
  dist.Standard();
  fs::create_directory(dist.path() + "/docs");
  CheckResult result;
  CheckDistribution(dist.path(), &result);
  ASSERT_TRUE(result.planned);
  const InstallPlan& p = result.plan;
  EXPECT_EQ(p.targetFolder, "C:\\Program Files\\Viewer");
  std::vector<std::string> copied;
  for (const PlannedCopy& c : p.copies)
    copied.push_back(c.name + " -> " + c.to);
  EXPECT_EQ(copied, (std::vector<std::string>{
                        "readme.txt -> C:\\Program Files\\Viewer\\readme.txt",
                        "setup.inf -> C:\\Program Files\\Viewer\\setup.inf",
                        "UNINSTAL.EXE -> C:\\Program Files\\Viewer\\UNINSTAL.EXE",
                        "Viewer.exe -> C:\\Program Files\\Viewer\\Viewer.exe",
                    }));
  ASSERT_EQ(p.passedOver.size(), 2u);
  EXPECT_EQ(p.passedOver[0].name, "docs");
  EXPECT_EQ(p.passedOver[1].name, "setup.exe");
  // Eight entries with "." and ".."; six at a drive's root.
  EXPECT_EQ(p.entriesCounted, 8);
  EXPECT_EQ(p.progressStep, 11);
  EXPECT_EQ(p.progressStepAtRoot, 14);

  EXPECT_EQ(p.registryKey, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Viewer");
  using Value = std::pair<std::string, std::string>;
  EXPECT_EQ(p.registryValues,
            (std::vector<Value>{
                {"DisplayName", "Viewer"},
                {"UninstallString", "\"<windows>\\Viewer Uninstall.exe\""},
                {"InstallTo", "C:\\Program Files\\Viewer"},
                {"QuietUninstallString", "\"<windows>\\Viewer Uninstall.exe\" /S"},
                {"InstallLocation", "C:\\Program Files\\Viewer"},
                {"DisplayIcon", "C:\\Program Files\\Viewer\\Viewer.exe"},
                {"DisplayVersion", "1.0"},
                {"Publisher", "Lean Setup Samples"},
            }));
  // The four files copied hold a few hundred bytes: 1 KiB.
  using Number = std::pair<std::string, std::uint32_t>;
  EXPECT_EQ(p.registryNumbers,
            (std::vector<Number>{{"EstimatedSize", 1}, {"NoModify", 1}, {"NoRepair", 1}}));
  EXPECT_TRUE(p.installedFilesRecorded);
  EXPECT_EQ(p.installedFiles,
            (std::vector<std::string>{"readme.txt", "setup.inf", "UNINSTAL.EXE", "Viewer.exe"}));
  EXPECT_TRUE(Contains(JsonReport(result),
                       "\"NoRepair\": 1, \"InstalledFiles\": "
                       "[\"readme.txt\", \"setup.inf\", \"UNINSTAL.EXE\", \"Viewer.exe\"]}}"))
      << JsonReport(result);
  EXPECT_EQ(p.uninstallerTo, "<windows>\\Viewer Uninstall.exe");

  ASSERT_EQ(p.shortcuts.size(), 3u);
  const PlannedShortcut& desktop = p.shortcuts[0];
  EXPECT_TRUE(desktop.desktop);
  EXPECT_FALSE(desktop.hasGroup);
  EXPECT_EQ(desktop.family9x.link, "<desktop>\\Viewer.lnk");
  EXPECT_EQ(desktop.familyNt.link, "<common desktop>\\Viewer.lnk");
  EXPECT_EQ(desktop.target, "C:\\Program Files\\Viewer\\Viewer.exe");
  const PlannedShortcut& readme = p.shortcuts[2];
  EXPECT_EQ(readme.line, 7);
  EXPECT_EQ(readme.group, "Viewer 1.0");
  EXPECT_EQ(readme.fileName, "Read me.lnk");
  EXPECT_EQ(readme.family9x.link, "<programs>\\Viewer 1.0\\Read me.lnk");
  EXPECT_EQ(readme.familyNt.link, "<common programs>\\Viewer 1.0\\Read me.lnk");
  EXPECT_EQ(readme.target, "C:\\Program Files\\Viewer\\readme.txt");
  EXPECT_EQ(readme.workingFolder, "C:\\Program Files\\Viewer");
  EXPECT_EQ(readme.description, "Read me");

  EXPECT_TRUE(p.launched);
  EXPECT_EQ(p.launchFolder, "C:\\Program Files\\Viewer");
  EXPECT_EQ(p.launchCommand, "\"C:\\Program Files\\Viewer\\Viewer.exe\"");
}

// Both reports of a clean distribution, whole: what a vendor reads, and what a tool parses.
TEST(SetupCheck, ReportsOfACleanDistribution) {
  Distribution dist;
  dist.Standard();
  EXPECT_EQ(Check({dist.path()}).out, "Distribution: " + dist.path() + "\n" +
                                          R"report(The installer accepts setup.inf and reads:
  ProgramFile    "Viewer.exe"
  InstallDir     "C:\Program Files\Viewer"
  FolderName     "Viewer"
  LinkTitle      "Viewer"
  ProductName    "Viewer 1.0"
  EntryCount     2
  entry 1        "Viewer" -> "Viewer.exe"
  entry 2        "Read me" -> "readme.txt"

Warnings (1):
  distribution: "UNINSTAL.EXE" is copied into the target folder: the installer leaves behind only "setup.exe" and "uninstal.exe", spelled exactly so

What OK does (<windows>, <desktop>, <programs>, <common desktop> and <common programs> stand for the folders of the user's machine):
  target folder  C:\Program Files\Viewer
  copied         readme.txt -> C:\Program Files\Viewer\readme.txt
  copied         setup.inf -> C:\Program Files\Viewer\setup.inf
  copied         UNINSTAL.EXE -> C:\Program Files\Viewer\UNINSTAL.EXE
  copied         Viewer.exe -> C:\Program Files\Viewer\Viewer.exe
  not copied     setup.exe: the installer itself, which stays behind
  progress       step 12 for 7 folder entries; 16 at a drive's root, which lists no "." and ".."
  registry       HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Viewer
                   DisplayName = "Viewer"
                   UninstallString = ""<windows>\Viewer Uninstall.exe""
                   InstallTo = "C:\Program Files\Viewer"
                   QuietUninstallString = ""<windows>\Viewer Uninstall.exe" /S"
                   InstallLocation = "C:\Program Files\Viewer"
                   DisplayIcon = "C:\Program Files\Viewer\Viewer.exe"
                   DisplayVersion = "1.0"
                   Publisher = "Lean Setup Samples"
                   EstimatedSize = 1 (REG_DWORD)
                   NoModify = 1 (REG_DWORD)
                   NoRepair = 1 (REG_DWORD)
                   InstalledFiles = 4 names (REG_MULTI_SZ):
                     "readme.txt"
                     "setup.inf"
                     "UNINSTAL.EXE"
                     "Viewer.exe"
  uninstaller    UNINSTAL.EXE -> <windows>\Viewer Uninstall.exe
  desktop        "Viewer" (line 3)
                 95/98 family: <desktop>\Viewer.lnk
                 NT family:    <common desktop>\Viewer.lnk
                 group: none; file name: "Viewer.lnk"
                 target: C:\Program Files\Viewer\Viewer.exe
                 working folder: C:\Program Files\Viewer
                 description: "Viewer"
  Start menu     "Viewer" (line 6)
                 95/98 family: <programs>\Viewer 1.0\Viewer.lnk
                 NT family:    <common programs>\Viewer 1.0\Viewer.lnk
                 group: "Viewer 1.0"; file name: "Viewer.lnk"
                 target: C:\Program Files\Viewer\Viewer.exe
                 working folder: C:\Program Files\Viewer
                 description: "Viewer"
  Start menu     "Read me" (line 7)
                 95/98 family: <programs>\Viewer 1.0\Read me.lnk
                 NT family:    <common programs>\Viewer 1.0\Read me.lnk
                 group: "Viewer 1.0"; file name: "Read me.lnk"
                 target: C:\Program Files\Viewer\readme.txt
                 working folder: C:\Program Files\Viewer
                 description: "Read me"
  launch         "C:\Program Files\Viewer\Viewer.exe" in C:\Program Files\Viewer
)report");
  EXPECT_EQ(Check({"--json", dist.path()}).out, R"report({
  "error": null,
  "ProgramFile": "Viewer.exe",
  "InstallDir": "C:\\Program Files\\Viewer",
  "LinkTitle": "Viewer",
  "ProductName": "Viewer 1.0",
  "FolderName": "Viewer",
  "EntryCount": 2,
  "Entries": [
    {"EntryName": "Viewer", "EntryFile": "Viewer.exe"},
    {"EntryName": "Read me", "EntryFile": "readme.txt"}
  ],
  "warnings": [
    {"line": 0, "text": "\"UNINSTAL.EXE\" is copied into the target folder: the installer leaves behind only \"setup.exe\" and \"uninstal.exe\", spelled exactly so"}
  ],
  "plan": {
    "targetFolder": "C:\\Program Files\\Viewer",
    "folderCreated": true,
    "message": null,
    "copied": [
      {"name": "readme.txt", "to": "C:\\Program Files\\Viewer\\readme.txt"},
      {"name": "setup.inf", "to": "C:\\Program Files\\Viewer\\setup.inf"},
      {"name": "UNINSTAL.EXE", "to": "C:\\Program Files\\Viewer\\UNINSTAL.EXE"},
      {"name": "Viewer.exe", "to": "C:\\Program Files\\Viewer\\Viewer.exe"}
    ],
    "notCopied": [
      {"name": "setup.exe", "reason": "the installer itself, which stays behind"}
    ],
    "entriesCounted": 7,
    "progressStep": 12,
    "progressStepAtRoot": 16,
    "registry": {"root": "HKEY_LOCAL_MACHINE", "key": "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Viewer", "values": {"DisplayName": "Viewer", "UninstallString": "\"<windows>\\Viewer Uninstall.exe\"", "InstallTo": "C:\\Program Files\\Viewer", "QuietUninstallString": "\"<windows>\\Viewer Uninstall.exe\" /S", "InstallLocation": "C:\\Program Files\\Viewer", "DisplayIcon": "C:\\Program Files\\Viewer\\Viewer.exe", "DisplayVersion": "1.0", "Publisher": "Lean Setup Samples", "EstimatedSize": 1, "NoModify": 1, "NoRepair": 1, "InstalledFiles": ["readme.txt", "setup.inf", "UNINSTAL.EXE", "Viewer.exe"]}},
    "uninstaller": {"from": "UNINSTAL.EXE", "to": "<windows>\\Viewer Uninstall.exe"},
    "shortcuts": [
      {"kind": "desktop", "line": 3, "name": "Viewer", "group": null, "fileName": "Viewer.lnk", "target": "C:\\Program Files\\Viewer\\Viewer.exe", "workingFolder": "C:\\Program Files\\Viewer", "description": "Viewer", "families": {"95": {"folder": "<desktop>", "link": "<desktop>\\Viewer.lnk"}, "NT": {"folder": "<common desktop>", "link": "<common desktop>\\Viewer.lnk"}}},
      {"kind": "start menu", "line": 6, "name": "Viewer", "group": "Viewer 1.0", "fileName": "Viewer.lnk", "target": "C:\\Program Files\\Viewer\\Viewer.exe", "workingFolder": "C:\\Program Files\\Viewer", "description": "Viewer", "families": {"95": {"folder": "<programs>", "link": "<programs>\\Viewer 1.0\\Viewer.lnk"}, "NT": {"folder": "<common programs>", "link": "<common programs>\\Viewer 1.0\\Viewer.lnk"}}},
      {"kind": "start menu", "line": 7, "name": "Read me", "group": "Viewer 1.0", "fileName": "Read me.lnk", "target": "C:\\Program Files\\Viewer\\readme.txt", "workingFolder": "C:\\Program Files\\Viewer", "description": "Read me", "families": {"95": {"folder": "<programs>", "link": "<programs>\\Viewer 1.0\\Read me.lnk"}, "NT": {"folder": "<common programs>", "link": "<common programs>\\Viewer 1.0\\Read me.lnk"}}}
    ],
    "launch": {"folder": "C:\\Program Files\\Viewer", "command": "\"C:\\Program Files\\Viewer\\Viewer.exe\""}
  }
}
)report");
}

// Copied in the order Windows lists the folder, whatever the case; the progress step at a root,
// where "." and ".." are not listed, is told where it differs.
TEST(SetupCheck, PlanFollowsTheListing) {
  Distribution dist;
  dist.Standard();
  for (const char* name : {"B.txt", "a.txt", "c1", "c2", "c3", "c4", "c5", "c6"})
    dist.Write(name, "");
  CheckResult result;
  CheckDistribution(dist.path(), &result);
  std::vector<std::string> copied;
  for (const PlannedCopy& c : result.plan.copies)
    copied.push_back(c.name);
  EXPECT_EQ(copied,
            (std::vector<std::string>{"a.txt", "B.txt", "c1", "c2", "c3", "c4", "c5", "c6",
                                      "readme.txt", "setup.inf", "UNINSTAL.EXE", "Viewer.exe"}));
  EXPECT_EQ(result.plan.progressStep, 6);  // 15 entries
  EXPECT_EQ(result.plan.progressStepAtRoot, 7);
}

TEST(SetupCheck, PlanStopsWhereTheFolderCannotBeMade) {
  Distribution control;
  control.Standard(
      "Viewer.exe\nC:\\A\x1F"
      "B\\Viewer\nViewer\nV\n0\n");
  CheckResult refused;
  CheckDistribution(control.path(), &refused);
  EXPECT_TRUE(refused.plan.folderRefused);
  Distribution dist;
  dist.Standard("Viewer.exe\nC:\\A|B\\Viewer\nViewer\nV\n0\n");
  CheckResult result;
  CheckDistribution(dist.path(), &result);
  ASSERT_TRUE(result.planned);
  EXPECT_TRUE(result.plan.folderRefused);
  EXPECT_EQ(result.plan.message, "Cannot create directory!");
  EXPECT_TRUE(result.plan.copies.empty());
  EXPECT_TRUE(result.plan.shortcuts.empty());
  const std::string text = TextReport(result);
  EXPECT_EQ(text.substr(text.find("\n  target folder")),
            "\n  target folder  C:\\A|B\\Viewer\n                 cannot be created: the installer "
            "shows \"Cannot create directory!\" and waits for another folder\n");
  const std::string json = JsonReport(result);
  EXPECT_EQ(
      json.substr(json.find("\"plan\"")),
      "\"plan\": {\n    \"targetFolder\": \"C:\\\\A|B\\\\Viewer\",\n    \"folderCreated\": false,\n"
      "    \"message\": \"Cannot create directory!\"\n  }\n}\n");
}

// A key name too long for the registry: no entry; the uninstaller is copied while its own path
// fits.
TEST(SetupCheck, KeyThatDoesNotFitIsNotWritten) {
  const std::string fits(230, 'k');
  const std::string tooLong(250, 'k');
  const struct {
    std::string name, text, json;
  } cases[] = {
      {fits, "UNINSTAL.EXE -> <windows>\\" + fits + " Uninstall.exe",
       "{\"from\": \"UNINSTAL.EXE\", \"to\": \"<windows>\\\\" + fits + " Uninstall.exe\"}"},
      {tooLong, "not copied", "null"},
  };
  for (const auto& c : cases) {
    Distribution dist;
    dist.Standard("Viewer.exe\nC:\\" + c.name + "\nViewer\nV\n0\n");
    CheckResult result;
    CheckDistribution(dist.path(), &result);
    EXPECT_TRUE(Contains(TextReport(result),
                         "\n  registry       nothing written\n  uninstaller    " + c.text + "\n"))
        << TextReport(result);
    EXPECT_TRUE(
        Contains(JsonReport(result), "\"registry\": null,\n    \"uninstaller\": " + c.json + ",\n"))
        << JsonReport(result);
  }
}

TEST(SetupCheck, RecordThatDoesNotFitIsLeftOutAndWarnedOf) {
  Distribution dist;
  dist.Standard();
  // 300 names of 220 characters and their zeros take more than 64 KiB.
  for (int i = 0; i < 300; ++i)
    dist.Write(std::to_string(i) + std::string(220, 'n'), "");
  CheckResult result;
  CheckDistribution(dist.path(), &result);
  EXPECT_TRUE(result.plan.registryWritten);
  EXPECT_FALSE(result.plan.installedFilesRecorded);
  bool warned = false;
  for (const CheckWarning& w : result.warnings)
    warned = warned || (w.line == 0 && Contains(w.text,
                                                "the names of the 304 files copied take "
                                                "67136 bytes, more than the 65536 of the "
                                                "record of installed files"));
  EXPECT_TRUE(warned);
  EXPECT_TRUE(Contains(TextReport(result), "InstalledFiles left out"));
}

}  // namespace
