// setup-check and names outside an ANSI code page: each copied file listed under its real name,
// and a warning for each name a code page cannot show.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "check/code_page.h"
#include "check/setup_check.h"
#include "tests/unit/example_description.h"

namespace {

TEST(CodePage, NamesListedAsTheyAreAndWarnedOfWhereNotShown) {
  char folder[] = "/tmp/code-page-test-XXXXXX";
  ASSERT_TRUE(mkdtemp(folder));
  std::ofstream(std::string(folder) + "/setup.inf", std::ios::binary) << kExampleDescription;
  const char* names[] = {"setup.exe",   "UNINSTAL.EXE", "Viewer.exe", "readme.txt",
                         "naïve €.txt", "Ωmega.txt",    "日本語.txt", "emoji 😀.txt"};
  for (const char* name : names)
    std::ofstream(std::string(folder) + "/" + name) << "x";
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> warned;  // every name warned of, as shown
    int status;
  } cases[] = {
      {{},
       {"\"Ωmega.txt\": shown as \"?mega.txt\" on machines using code page 1252",
        "\"日本語.txt\": shown as \"???.txt\"", "\"emoji 😀.txt\": shown as \"emoji ?.txt\""},
       0},
      {{"--codepage", "1253"},
       {"\"naïve €.txt\": shown as \"na?ve €.txt\" on machines using code "
        "page 1253",
        "\"日本語.txt\"", "\"emoji 😀.txt\""},
       0},
      {{"--codepage", "932"}, {"\"naïve €.txt\": shown as \"na?ve ?.txt\"", "\"emoji 😀.txt\""}, 0},
      {{"--codepage", "0"}, {}, kCheckUsage},
      {{"--codepage", "12x"}, {}, kCheckUsage},
      {{"--codepage"}, {}, kCheckUsage},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.options;
    args.push_back(folder);
    std::string out, err;
    EXPECT_EQ(RunSetupCheck(args, &out, &err), c.status) << err;
    std::size_t shownAs = 0;
    for (std::size_t at = 0; (at = out.find(": shown as ", at)) != std::string::npos; ++at)
      ++shownAs;
    EXPECT_EQ(shownAs, c.warned.size()) << out;
    for (const std::string& warning : c.warned)
      EXPECT_NE(out.find(warning), std::string::npos) << warning;
    // setup.exe stays behind; every other file is copied under its own name.
    for (std::size_t k = 1; c.status == 0 && k < std::size(names); ++k)
      EXPECT_NE(out.find(std::string("copied         ") + names[k]), std::string::npos) << names[k];
  }
  std::filesystem::remove_all(folder);
}

}  // namespace

// Names are read as UTF-8 where they are; a byte that starts no UTF-8 character of its own length
// (an overlong form, a surrogate, past U+10FFFF, cut short) stands for itself.
TEST(CodePage, Utf8ReadAtTheEdgesOfEachLength) {
  const struct {
    const char* bytes;
    std::u32string points;
    bool utf8;  // and so written back byte for byte
  } cases[] = {
      {"a\xC3\xA9", U"a\u00E9", true},
      {"\xDF\xBF", U"\u07FF", true},
      {"\xE0\xA0\x80", U"\u0800", true},
      {"\xEE\x80\x80", U"\uE000", true},
      {"\xF4\x8F\xBF\xBF", U"\U0010FFFF", true},
      {"\xC1\xBF", U"\u00C1\u00BF", false},
      {"\xE0\x9F\xBF", U"\u00E0\u009F\u00BF", false},
      {"\xED\xBF\xBF", U"\u00ED\u00BF\u00BF", false},
      {"\xF4\x90\x80\x80", U"\u00F4\u0090\u0080\u0080", false},
      {"\xF5\x80", U"\u00F5\u0080", false},
      {"x\xC3", U"x\u00C3", false},
  };
  for (const auto& c : cases) {
    std::wstring wide = WideFromUtf8(c.bytes);
    EXPECT_EQ(std::u32string(wide.begin(), wide.end()), c.points) << c.bytes;
    if (c.utf8)
      EXPECT_EQ(Utf8FromWide(wide), c.bytes);
  }
}
