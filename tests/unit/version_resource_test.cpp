// setup-check's reader of a program file's version resource, over crafted images: what it reads
// from sound ones, and that spoiled or hostile ones give nothing, or the parts that parse, safely.
#include "check/version_resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "tests/unit/pe_image.h"

namespace {

using namespace pe;

const std::size_t kR = ResourcesAt(false);
// StringFileInfo, the root block's first child, after its key and the fixed part.
const std::size_t kFirstChild = kR + kVersion + 92;

std::string Spoil(std::string image, std::size_t at, std::uint32_t value, int bytes = 4) {
  if (bytes == 2)
    Put16(image, at, value);
  else
    Put32(image, at, value);
  return image;
}

const std::string kSample = Image(SampleVersion());

// The root lists two types; the second entry lies over the names directory's unused first fields.
std::string TwoTypes(std::uint32_t first, std::uint32_t second) {
  std::string image = Spoil(kSample, kR + 14, 2, 2);
  Put32(image, kR + kTypeEntry, first);
  Put32(image, kR + kTypeEntry + 8, second);
  Put32(image, kR + kTypeEntry + 12, 0x80000018);
  return image;
}
const std::string kFixed = Fixed(0x10002, 0x30004);
const std::string kEnglish = Translation(0x409, 1200);

std::string WithStrings(const std::string& texts, const std::u16string& table = u"040904b0") {
  return Image(VersionInfo(kFixed, Strings(table, texts) + kEnglish));
}

struct ReadCase {
  const char* name;
  std::string image;
  bool found;
  std::wstring product, company;
  bool hasFixed;
  std::wstring display;  // empty: none
};

TEST(VersionResource, ReadsWhatTheVersionLibraryGives) {
  std::string pairs(8, '\0');  // German listed second
  Put32(pairs, 0, 1200u << 16 | 0x409);
  Put32(pairs, 4, 1200u << 16 | 0x407);
  const std::string twoTables =
      Block(u"StringFileInfo", 1, "", 0,
            Block(u"040704b0", 1, "", 0, Text(u"ProductVersion", u"de")) +
                Block(u"040904b0", 1, "", 0, Text(u"ProductVersion", u"en"))) +
      Block(u"VarFileInfo", 1, "", 0, Block(u"Translation", 0, pairs, 8));
  const std::string company = Text(u"CompanyName", u"Acme");
  const std::string unterminated = Block(u"ProductVersion", 1, Utf16(u"1.05").substr(0, 8), 4);

  const ReadCase cases[] = {
      {"strings and fixed", kSample, true, L"1.0", L"Lean Setup Samples", true, L"1.0"},
      {"after another type", TwoTypes(3, 16), true, L"1.0", L"Lean Setup Samples", true, L"1.0"},
      {"before another type", TwoTypes(16, 24), true, L"1.0", L"Lean Setup Samples", true, L"1.0"},
      {"PE32+", Image(SampleVersion(), true), true, L"1.0", L"Lean Setup Samples", true, L"1.0"},
      {"fixed only", Image(VersionInfo(kFixed, "")), true, L"", L"", true, L"1.2.3.4"},
      {"strings without Translation",
       Image(VersionInfo(kFixed, Strings(u"040904b0", Text(u"ProductVersion", u"1.0")))), true, L"",
       L"", true, L"1.2.3.4"},
      {"names in other cases",
       WithStrings(Text(u"PRODUCTVERSION", u"2.0") + Text(u"companyname", u"Acme"), u"040904B0"),
       true, L"2.0", L"Acme", true, L"2.0"},
      {"the first language wins", Image(VersionInfo(kFixed, twoTables)), true, L"en", L"", true,
       L"en"},
      {"no table of that language", WithStrings(Text(u"ProductVersion", u"1.0"), u"040704b0"), true,
       L"", L"", true, L"1.2.3.4"},
      {"a fixed part without its signature",
       Image(VersionInfo(Fixed(1, 2, 0x12345678), Strings(u"040904b0", company) + kEnglish)), true,
       L"", L"Acme", false, L""},
      {"neither version", Image(VersionInfo("", kEnglish)), true, L"", L"", false, L""},
      {"127 characters fit", WithStrings(Text(u"ProductVersion", std::u16string(127, '9'))), true,
       std::wstring(127, '9'), L"", true, std::wstring(127, '9')},
      {"128 do not", WithStrings(Text(u"ProductVersion", std::u16string(128, '9')) + company), true,
       L"", L"Acme", true, L"1.2.3.4"},
      {"surrogates", WithStrings(Text(u"ProductVersion", u"\U0001F600\xD800x\xDC00\xDC01")), true,
       L"\U0001F600\xFFFDx\xFFFD\xFFFD", L"", true, L"\U0001F600\xFFFDx\xFFFD\xFFFD"},
      {"a value without its zero ends with its block", WithStrings(unterminated + company), true,
       L"1.05", L"Acme", true, L"1.05"},
      {"a child longer than its parent", Spoil(kSample, kFirstChild, 0xFFF0, 2), true, L"", L"",
       true, L"1.2.3.4"},
      {"a child of no length", Spoil(kSample, kFirstChild, 0, 2), true, L"", L"", true, L"1.2.3.4"},

      {"empty", "", false, L"", L"", false, L""},
      {"not an image", "MZ" + std::string(100, 'x'), false, L"", L"", false, L""},
      {"no MZ", Spoil(kSample, 0, 'X', 2), false, L"", L"", false, L""},
      {"another resource type", Image(SampleVersion(), false, 3), false, L"", L"", false, L""},
      {"cut short", kSample.substr(0, kR + kVersion + 20), false, L"", L"", false, L""},
      {"headers past the end", Spoil(kSample, 0x3C, 0xFFFFFFF0), false, L"", L"", false, L""},
      {"every section counted", Spoil(kSample, kHeader + 6, 0xFFFF, 2), false, L"", L"", false,
       L""},
      {"unknown optional header", Spoil(kSample, kHeader + 24, 0x107, 2), false, L"", L"", false,
       L""},
      {"more entries than the section holds", Spoil(kSample, kR + 14, 0xFFFF, 2), false, L"", L"",
       false, L""},
      {"a directory outside the section", Spoil(kSample, kR + kTypeEntry + 4, 0xFFFFFF00), false,
       L"", L"", false, L""},
      {"the names lead back to the types", Spoil(kSample, kR + kTypeEntry + 4, 0x80000000), false,
       L"", L"", false, L""},
      {"the language leads back to the types", Spoil(kSample, kR + kLanguageEntry + 4, 0x80000000),
       false, L"", L"", false, L""},
      {"data past the end", Spoil(kSample, kR + kDataEntry, 0xFFFFFFF0), false, L"", L"", false,
       L""},
      {"a root longer than the resource", Spoil(kSample, kR + kDataEntry + 4, 8), false, L"", L"",
       false, L""},
      {"a root longer than it says", Spoil(kSample, kR + kVersion, 0xFFFF, 2), false, L"", L"",
       false, L""},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    FileVersion version;
    std::memset(&version, 0x55, sizeof version);
    EXPECT_EQ(ReadVersionResource(reinterpret_cast<const unsigned char*>(c.image.data()),
                                  c.image.size(), version),
              c.found);
    EXPECT_EQ(version.found, c.found);
    EXPECT_EQ(version.productVersion, c.product);
    EXPECT_EQ(version.companyName, c.company);
    EXPECT_EQ(version.hasFixed, c.hasFixed);
    wchar_t display[kVersionTextCapacity];
    EXPECT_EQ(ComposeDisplayVersion(version, display), !c.display.empty());
    EXPECT_EQ(display, c.display);
  }
}

TEST(VersionResource, DisplayVersion) {
  const struct {
    bool found;
    const wchar_t* product;
    std::uint32_t ms, ls;    // of a fixed part
    const wchar_t* display;  // null: none
  } cases[] = {
      {true, L"2.5 beta", 0x10002, 0x30004, L"2.5 beta"},
      {true, L"", 0xFFFF0000, 0x0000FFFF, L"65535.0.0.65535"},
      {false, L"2.5", 0x10002, 0x30004, nullptr},
  };
  for (const auto& c : cases) {
    FileVersion version = {};
    version.found = c.found;
    std::wcscpy(version.productVersion, c.product);
    version.hasFixed = true;
    version.fileVersionMs = c.ms;
    version.fileVersionLs = c.ls;
    wchar_t display[kVersionTextCapacity];
    EXPECT_EQ(ComposeDisplayVersion(version, display), c.display != nullptr) << c.product;
    EXPECT_STREQ(display, c.display ? c.display : L"");
  }
}

}  // namespace
