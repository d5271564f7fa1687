// The setup description reader: line rules, fields, entries, errors.
#include "description/setup_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "description/setup_lines.h"
#include "tests/unit/example_description.h"
#include "tests/unit/fake_platform.h"

namespace {

using Settings = OwnedSettings;

SetupInfoStatus Parse(const std::string& text, Settings& s) {
  return ParseSetupInfo(text.data(), text.size(), s);
}

std::string Name(const Settings& s, int k) {
  return s.EntryName[k] ? s.EntryName[k] : "(null)";
}
std::string File(const Settings& s, int k) {
  return s.EntryFile[k] ? s.EntryFile[k] : "(null)";
}

// Four header lines and a count line, each with a newline, followed by `rest`.
std::string Description(const std::string& count, const std::string& rest = "") {
  return "Viewer.exe\nC:\\Apps\\Viewer\nViewer\nViewer 1.0\n" + count + "\n" + rest;
}

TEST(SetupReader, ExampleFillsEveryField) {
  Settings s;
  ASSERT_EQ(Parse(kExampleDescription, s), SetupInfoStatus::kOk);
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
  for (int k = 2; k < kMaxEntries; ++k) {
    EXPECT_EQ(s.EntryName[k], nullptr);
    EXPECT_EQ(s.EntryFile[k], nullptr);
  }
}

TEST(SetupReader, EntryStringsAreSeparateAllocations) {
  Settings s;
  ASSERT_EQ(Parse(kExampleDescription, s), SetupInfoStatus::kOk);
  EXPECT_NE(s.EntryName[0], s.EntryFile[0]);
  EXPECT_NE(s.EntryName[0], s.EntryName[1]);
  // Freed once; a second free finds cleared slots.
  FreeEntryStrings(s);
  EXPECT_EQ(s.EntryName[0], nullptr);
  FreeEntryStrings(s);
}

TEST(SetupReader, ReadsSetupInfoThroughThePlatform) {
  Settings s;
  FakePlatform platform;
  platform.files["setup.inf"] = kExampleDescription;
  EXPECT_EQ(ReadSetupInfo(platform, platform, s), 1);
  EXPECT_EQ(platform.calls, std::vector<std::string>{"ReadFileHead(setup.inf)"});
  EXPECT_EQ(s.EntryCount, 2);
}

// --- Text mode --------------------------------------------------------------------------------

struct TextModeCase {
  const char* name;
  std::string bytes;
  const char* programFile;
  const char* productName;
  int entryCount;
};

void PrintTo(const TextModeCase& c, std::ostream* os) {
  *os << c.name;
}

class TextMode : public testing::TestWithParam<TextModeCase> {};

TEST_P(TextMode, ReadsLikeTheCRuntime) {
  const TextModeCase& c = GetParam();
  Settings s;
  ASSERT_EQ(Parse(c.bytes, s), SetupInfoStatus::kOk);
  EXPECT_STREQ(s.ProgramFile, c.programFile);
  EXPECT_STREQ(s.ProductName, c.productName);
  EXPECT_EQ(s.EntryCount, c.entryCount);
}

INSTANTIATE_TEST_SUITE_P(
    SetupReader, TextMode,
    testing::Values(
        TextModeCase{"CrLf", "App.exe\r\nC:\\A\\App\r\nApp\r\nProduct\r\n0\r\n", "App.exe",
                     "Product", 0},
        // A CR not followed by LF stays part of its line.
        TextModeCase{"LoneCr", "App\r.exe\nC:\\A\\App\nApp\nPro\rduct\n0\n", "App\r.exe",
                     "Pro\rduct", 0},
        // A CR just before the file's end stays too, and is what the last-character rule drops.
        TextModeCase{"CrAtEnd", "App.exe\nC:\\A\\App\nApp\nProduct\n0\r", "App.exe", "Product", 0},
        // Ctrl-Z ends the file: what follows is never read.
        TextModeCase{"CtrlZ",
                     "App.exe\nC:\\A\\App\nApp\nProduct\n0\n\x1A"
                     "5\nignored\n",
                     "App.exe", "Product", 0},
        TextModeCase{"CtrlZInsideLine", "App.exe\nC:\\A\\App\nApp\nProduct\n3\x1A\n", "App.exe",
                     "Product", 0},
        // The last line without a newline loses its last real character.
        TextModeCase{"FinalLineWithoutNewline", "App.exe\nC:\\A\\App\nApp\nProduct\n12", "App.exe",
                     "Product", 1},
        // The count line holding 2 without a newline reads as empty: the count becomes 0.
        TextModeCase{"CountWithoutNewline", "App.exe\nC:\\A\\App\nApp\nProduct\n2", "App.exe",
                     "Product", 0},
        // A text ends at its first zero byte; the rest of the line is still consumed.
        TextModeCase{"ZeroByte", std::string("App.exe\0junk\nC:\\A\\App\nApp\nProd\0uct\n0\n", 36),
                     "App.ex", "Pro", 0}),
    [](const testing::TestParamInfo<TextModeCase>& info) { return info.param.name; });

// --- Long physical lines --------------------------------------------------------------------

TEST(SetupReader, LongLineIsReadInPiecesThatEachCountAsALine) {
  // A 300-character second line: its first piece holds 259 characters (the last one dropped as
  // the supposed newline) and is line 2; the remaining 41 characters and the newline are line 3.
  std::string longLine = "C:\\" + std::string(256, 'a') + std::string(41, 'b');
  Settings s;
  ASSERT_EQ(Parse("App.exe\n" + longLine + "\nProduct\n0\n", s), SetupInfoStatus::kOk);
  EXPECT_EQ(std::string(s.InstallDir), "C:\\" + std::string(255, 'a'));
  EXPECT_EQ(std::string(s.FolderName), std::string(255, 'a'));
  EXPECT_EQ(std::string(s.LinkTitle), std::string(41, 'b'));
  EXPECT_STREQ(s.ProductName, "Product");
  EXPECT_EQ(s.EntryCount, 0);
}

TEST(SetupReader, LineOf259CharactersAndNewlineIsTwoPieces) {
  // 258 characters and the newline fill one 260-byte read exactly; 259 do not, and the newline
  // then forms a piece of its own, an empty line.
  Settings fits, splits;
  std::string dir = "C:\\" + std::string(255, 'd');
  ASSERT_EQ(dir.size(), 258u);
  ASSERT_EQ(Parse("App.exe\n" + dir + "\nT\nP\n0\n", fits), SetupInfoStatus::kOk);
  EXPECT_EQ(std::string(fits.InstallDir), dir);

  ASSERT_EQ(Parse("App.exe\n" + dir + "x\nT\nP\n0\n", splits), SetupInfoStatus::kOk);
  EXPECT_EQ(std::string(splits.InstallDir), dir);  // 'x' taken for the newline
  EXPECT_STREQ(splits.LinkTitle, "");              // the lone newline
  EXPECT_STREQ(splits.ProductName, "T");
  EXPECT_EQ(splits.EntryCount, 0);  // "P" converts to 0
}

TEST(SetupReader, IgnoredTailBeyondTheReadLimitChangesNothing) {
  std::string tail;
  while (tail.size() < 3 * kSetupInfoReadLimit)
    tail += "ignored line without a comma\n";
  Settings s;
  ASSERT_EQ(Parse(Description("1", "A,a.exe\n" + tail), s), SetupInfoStatus::kOk);
  EXPECT_EQ(Name(s, 0), "A");
  FakePlatform platform;
  platform.files["setup.inf"] = Description("1", "A,a.exe\n" + tail);
  Settings viaFile;
  EXPECT_EQ(ReadSetupInfo(platform, platform, viaFile), 1);
  EXPECT_EQ(File(viaFile, 0), "a.exe");
}

// --- The semicolon cut ----------------------------------------------------------------------

struct ValueCase {
  const char* line;
  const char* value;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
  *os << '"' << c.line << '"';
}

class SemicolonCut : public testing::TestWithParam<ValueCase> {};

TEST_P(SemicolonCut, ValueOfLine) {
  Settings s;
  ASSERT_EQ(Parse(std::string(GetParam().line) + "\nC:\\A\\B\nT\nP\n0\n", s), SetupInfoStatus::kOk);
  EXPECT_STREQ(s.ProgramFile, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(SetupReader, SemicolonCut,
                         testing::Values(ValueCase{"Viewer.exe ;main program", "Viewer.exe "},
                                         ValueCase{";old default", "old default"},
                                         ValueCase{";;a;b;c", "a"}, ValueCase{"a;", "a"},
                                         ValueCase{"", ""}, ValueCase{";", ";"},
                                         ValueCase{";;;", ";;;"},
                                         ValueCase{" \tspaced\t ", " \tspaced\t "}));

TEST(SetupReader, LeadingSemicolonLineStillTakesItsPosition) {
  Settings s;
  ASSERT_EQ(Parse("App.exe\n;C:\\Old\nT\nP\n0\n", s), SetupInfoStatus::kOk);
  EXPECT_STREQ(s.InstallDir, "C:\\Old");
  EXPECT_STREQ(s.FolderName, "Old");
}

// --- Entry lines ----------------------------------------------------------------------------

struct EntryCase {
  const char* line;
  const char* name;
  const char* file;
};

void PrintTo(const EntryCase& c, std::ostream* os) {
  *os << '"' << c.line << '"';
}

class EntrySplitting : public testing::TestWithParam<EntryCase> {};

TEST_P(EntrySplitting, TitleAndFile) {
  Settings s;
  ASSERT_EQ(Parse(Description("1", std::string(GetParam().line) + "\n"), s), SetupInfoStatus::kOk);
  EXPECT_EQ(Name(s, 0), GetParam().name);
  EXPECT_EQ(File(s, 0), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(SetupReader, EntrySplitting,
                         testing::Values(EntryCase{"A,", "A", ""}, EntryCase{",B", "B", "B"},
                                         EntryCase{"A,,B", "A", "B"},
                                         EntryCase{"Viewer,old,Viewer.exe", "Viewer", "Viewer.exe"},
                                         EntryCase{",,A,B", "A", "B"},
                                         EntryCase{" A , B ", " A ", " B "},
                                         EntryCase{"A,B;comment,C", "A", "B"}));

TEST(SetupReader, EntryErrorsWithinTheCount) {
  struct {
    const char* line;
    bool fileAllocated;
  } cases[] = {{"no comma here", false}, {",", true}, {",,,", true}};
  for (const auto& c : cases) {
    Settings s;
    EXPECT_EQ(Parse(Description("2", std::string(c.line) + "\nB,b.exe\n"), s),
              SetupInfoStatus::kCorrupted)
        << c.line;
    // An all-comma line leaves its (empty) file allocated; the dialog frees it with the rest.
    EXPECT_EQ(s.EntryFile[0] != nullptr, c.fileAllocated) << c.line;
    if (c.fileAllocated) {
      EXPECT_STREQ(s.EntryFile[0], "");
    }
    EXPECT_EQ(s.EntryName[0], nullptr);
    EXPECT_EQ(s.EntryName[1], nullptr) << "no line is read after the corrupted one";
  }
}

TEST(SetupReader, LinesBeyondTheCountAreIgnored) {
  Settings s;
  ASSERT_EQ(Parse(Description("1", "A,a.exe\nno comma\n,,,\n"), s), SetupInfoStatus::kOk);
  EXPECT_EQ(Name(s, 0), "A");
  EXPECT_EQ(s.EntryName[1], nullptr);

  Settings zero;
  ASSERT_EQ(Parse(Description("0", "no comma\nX,x\n"), zero), SetupInfoStatus::kOk);
  EXPECT_EQ(zero.EntryName[0], nullptr);
}

TEST(SetupReader, CountAboveTheLinesProvidedLeavesSlotsNull) {
  Settings s;
  ASSERT_EQ(Parse(Description("3", "A,a.exe\n"), s), SetupInfoStatus::kOk);
  EXPECT_EQ(s.EntryCount, 3);
  EXPECT_EQ(Name(s, 0), "A");
  EXPECT_EQ(s.EntryName[1], nullptr);
  EXPECT_EQ(s.EntryFile[1], nullptr);
  EXPECT_EQ(s.EntryName[2], nullptr);
}

TEST(SetupReader, TwentyEntriesFillTheTables) {
  std::string entries;
  for (int k = 0; k < 20; ++k)
    entries += "E" + std::to_string(k) + ",f" + std::to_string(k) + "\n";
  Settings s;
  ASSERT_EQ(Parse(Description("20", entries), s), SetupInfoStatus::kOk);
  EXPECT_EQ(Name(s, 19), "E19");
  EXPECT_EQ(File(s, 19), "f19");
}

// --- The count line ---------------------------------------------------------------------------

struct CountCase {
  const char* line;
  int count;
};

void PrintTo(const CountCase& c, std::ostream* os) {
  *os << '"' << c.line << '"';
}

class CountConversion : public testing::TestWithParam<CountCase> {};

TEST_P(CountConversion, LikeAtoi) {
  Settings s;
  ASSERT_EQ(Parse(Description(GetParam().line, "A,a\nB,b\nC,c\n"), s), SetupInfoStatus::kOk);
  EXPECT_EQ(s.EntryCount, GetParam().count);
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(s.EntryName[k] != nullptr, k < GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(SetupReader, CountConversion,
                         testing::Values(CountCase{"-1", -1}, CountCase{"abc", 0}, CountCase{"", 0},
                                         CountCase{"3 entries", 3}, CountCase{"  \t2", 2},
                                         CountCase{"+2", 2}, CountCase{"- 2", 0},
                                         CountCase{"02", 2}, CountCase{"-2147483648", INT32_MIN},
                                         CountCase{"-99999999999", INT32_MIN}, CountCase{";2", 2}));

TEST(SetupReader, ConvertCountSaturates) {
  EXPECT_EQ(ConvertCount("2147483647"), INT32_MAX);
  EXPECT_EQ(ConvertCount("99999999999999999999999"), INT32_MAX);
  EXPECT_EQ(ConvertCount("\v\f\r\n 7"), 7);
}

// --- Errors -----------------------------------------------------------------------------------

TEST(SetupReader, ErrorsShowTheirMessageThenRequestTheQuit) {
  struct {
    const char* name;
    const char* bytes;  // null: no file
    const char* message;
  } cases[] = {
      {"missing", nullptr, "Cannot open 'setup.inf'!"},
      {"empty", "", "Cannot read enough data from 'setup.inf'!"},
      {"four lines", "A\nB\nC\nD\n", "Cannot read enough data from 'setup.inf'!"},
      {"only Ctrl-Z",
       "\x1A"
       "A\nB\nC\nD\nE\n",
       "Cannot read enough data from 'setup.inf'!"},
      {"corrupted", "A\nB\nC\nD\n1\nno comma\n", "'setup.inf' is corrupted!"},
  };
  for (const auto& c : cases) {
    Settings s;
    FakePlatform platform;
    if (c.bytes)
      platform.files["setup.inf"] = c.bytes;
    EXPECT_EQ(ReadSetupInfo(platform, platform, s), 0) << c.name;
    std::vector<std::string> expected = {"ReadFileHead(setup.inf)",
                                         std::string("ShowMessage(") + c.message + "|setup)",
                                         "RequestQuit(0)"};
    EXPECT_EQ(platform.calls, expected) << c.name;
  }
}

TEST(SetupReader, FieldsFilledBeforeAnErrorKeepTheirValues) {
  Settings s;
  ASSERT_EQ(Parse("App.exe\nC:\\A\\App\nTitle\n", s), SetupInfoStatus::kNotEnoughData);
  EXPECT_STREQ(s.ProgramFile, "App.exe");
  EXPECT_STREQ(s.FolderName, "App");
  EXPECT_STREQ(s.LinkTitle, "Title");
  EXPECT_STREQ(s.ProductName, "");

  Settings c;
  ASSERT_EQ(Parse(Description("3", "A,a\nbad\nC,c\n"), c), SetupInfoStatus::kCorrupted);
  EXPECT_STREQ(c.ProductName, "Viewer 1.0");
  EXPECT_EQ(Name(c, 0), "A");
  EXPECT_EQ(c.EntryName[2], nullptr);
}

TEST(SetupReader, FiveLinesWithAnEmptyCountSucceed) {
  Settings s;
  EXPECT_EQ(Parse("\nApp\n\n\n\n", s), SetupInfoStatus::kOk);
  EXPECT_EQ(s.EntryCount, 0);
}

// --- Decisions where the format gives no answer -------------------------------------------------

TEST(SetupReader, ValueLongerThanItsFieldIsCorrupted) {
  // Fields hold 255 characters; a line holds up to 258 after its newline is dropped.
  for (int line = 0; line < 4; ++line) {
    if (line == 1)
      continue;  // InstallDir holds 259
    for (int length : {255, 256, 258}) {
      std::vector<std::string> lines = {"App.exe", "C:\\A\\App", "T", "P"};
      lines[line] = std::string(length, 'v');
      Settings s;
      SetupInfoStatus status =
          Parse(lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3] + "\n0\n", s);
      EXPECT_EQ(status, length <= 255 ? SetupInfoStatus::kOk : SetupInfoStatus::kCorrupted)
          << "line " << line + 1 << ", " << length << " characters";
    }
  }
}

TEST(SetupReader, InstallDirOfAnyLineLengthFitsButFolderNameMustFitItsField) {
  Settings withSlash, without;
  std::string dir = "C:\\" + std::string(255, 'd');  // FolderName of 255
  ASSERT_EQ(Parse("A\n" + dir + "\nT\nP\n0\n", withSlash), SetupInfoStatus::kOk);
  EXPECT_EQ(std::string(withSlash.FolderName), std::string(255, 'd'));
  // No backslash: FolderName is the whole value, here 258 characters: too long.
  EXPECT_EQ(Parse("A\n" + std::string(258, 'd') + "\nT\nP\n0\n", without),
            SetupInfoStatus::kCorrupted);
}

// FolderName names a registry key and a file in the Windows folder: a name that could be
// neither, or that would lead elsewhere, is refused rather than used.
TEST(SetupReader, FolderNameFromLineTwo) {
  struct Case {
    std::string line;
    const char* folderName;  // null: corrupted
  } cases[] = {
      {"C:\\Apps\\Viewer", "Viewer"},
      {"Viewer", "Viewer"},  // no backslash: all of it
      {"C:\\Apps\\", "Apps"},
      {"C:\\Apps\\Viewer\\\\", "Viewer"},
      {"\\\\server\\share\\App", "App"},
      {"C:\\Apps\\Viewer 1.0", "Viewer 1.0"},
      {"C:\\Apps\\.Viewer.", ".Viewer."},
      {"C:\\Apps\\Vi\xE9wer", "Vi\xE9wer"},
      {"", nullptr},
      {"\\", nullptr},
      {"C:\\", nullptr},
      {"C:Viewer", nullptr},
      {"C:\\Apps\\Viewer:stream", nullptr},
      {"C:\\Apps/Viewer", nullptr},
      {"C:\\Apps\\..", nullptr},
      {"C:\\Apps\\. .\\", nullptr},
      {"C:\\Apps\\Vi\"ew", nullptr},
      {"C:\\Apps\\Vi*", nullptr},
      {"C:\\Apps\\Vi\tew", nullptr},
      {"C:\\Apps\\NUL.x", nullptr},
      {"C:\\Apps\\con.v2", nullptr},
      {"C:\\Apps\\COM1", nullptr},
      {"C:\\Apps\\Console", "Console"},
      {"C:\\Apps\\Vi\x7F"
       "ew",
       "Vi\x7F"
       "ew"},
  };
  for (const Case& c : cases) {
    Settings s;
    SetupInfoStatus status = Parse("A\n" + c.line + "\nT\nP\n0\n", s);
    EXPECT_EQ(status, c.folderName ? SetupInfoStatus::kOk : SetupInfoStatus::kCorrupted) << c.line;
    EXPECT_EQ(s.InstallDir, c.line);  // as read, whatever the name
    if (c.folderName) {
      EXPECT_STREQ(s.FolderName, c.folderName);
      EXPECT_STREQ(s.LinkTitle, "T");
    } else {
      EXPECT_STREQ(s.LinkTitle, "") << "nothing is read after line 2";
    }
  }
}

TEST(SetupReader, EntryTextLongerThan255IsCorrupted) {
  std::string longText(256, 'e');
  Settings longFile, longName, fits;
  EXPECT_EQ(Parse(Description("1", "A," + longText + "\n"), longFile), SetupInfoStatus::kCorrupted);
  EXPECT_EQ(longFile.EntryFile[0], nullptr);
  EXPECT_EQ(Parse(Description("1", longText + ",a\n"), longName), SetupInfoStatus::kCorrupted);
  EXPECT_STREQ(longName.EntryFile[0], "a");  // freed with the others
  EXPECT_EQ(Parse(Description("1", std::string(255, 'n') + "," + std::string(2, 'f') + "\n"), fits),
            SetupInfoStatus::kOk);
}

TEST(SetupReader, CountAboveTwentyIsCorruptedBeforeAnyEntryIsRead) {
  Settings s;
  EXPECT_EQ(Parse(Description("21", "A,a\nB,b\n"), s), SetupInfoStatus::kCorrupted);
  EXPECT_EQ(s.EntryName[0], nullptr);
  Settings huge;
  EXPECT_EQ(Parse(Description("4294967296", "A,a\n"), huge), SetupInfoStatus::kCorrupted);
}

}  // namespace
