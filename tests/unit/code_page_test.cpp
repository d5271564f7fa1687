// setup-check and names outside an ANSI code page: each copied file listed under its real name,
// and a warning for each name a code page cannot show.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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
