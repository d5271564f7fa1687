// setup-check over packed setup programs: the plan of the payload's run, the refusal of files
// that carry no intact payload, the winget manifest, and the SHA-256 it gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "check/packed_file.h"
#include "check/setup_check.h"
#include "check/sha256.h"
#include "check/winget_manifest.h"
#include "common/payload_format.h"
#include "pack/setup_pack.h"
#include "tests/unit/distribution.h"

namespace {

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// --- A packed program assembled here, byte by byte ---------------------------------------------

struct CabFile {
  std::string name;
  std::string bytes;
  unsigned attributes;
  std::uint32_t announced = 0;  // the size its entry gives, when not its bytes'
};

void Put(std::string& b, std::uint32_t v, int bytes) {
  for (int k = 0; k < bytes; ++k, v >>= 8)
    b += static_cast<char>(v & 0xFF);
}

// The cabinet's checksum of a data block, which libgcab checks.
std::uint32_t CabSum(const std::string& b, std::uint32_t sum) {
  std::uint32_t tail = 0;
  std::size_t k = 0;
  for (; k + 4 <= b.size(); k += 4)
    sum ^= static_cast<unsigned char>(b[k]) | static_cast<unsigned char>(b[k + 1]) << 8 |
           static_cast<unsigned char>(b[k + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[k + 3])) << 24;
  for (; k < b.size(); ++k)
    tail = tail << 8 | static_cast<unsigned char>(b[k]);
  return sum ^ tail;
}

// An uncompressed cabinet of one folder and one data block, the files in order.
std::string Cabinet(const std::vector<CabFile>& files) {
  std::string entries, data, sizes, block;
  for (const CabFile& f : files) {
    Put(entries, f.announced ? f.announced : static_cast<std::uint32_t>(f.bytes.size()), 4);
    Put(entries, static_cast<std::uint32_t>(data.size()), 4);
    for (std::uint32_t v : {0u, 1u << 5 | 1, 0u, f.attributes})
      Put(entries, v, 2);
    entries += f.name + '\0';
    data += f.bytes;
  }
  Put(sizes, static_cast<std::uint32_t>(data.size()), 2);
  Put(sizes, static_cast<std::uint32_t>(data.size()), 2);
  Put(block, CabSum(sizes, CabSum(data, 0)), 4);
  block += sizes + data;
  const std::uint32_t dataAt = static_cast<std::uint32_t>(44 + entries.size());
  std::string cab = "MSCF";
  for (std::uint32_t v : {0u, dataAt + static_cast<std::uint32_t>(block.size()), 0u, 44u, 0u})
    Put(cab, v, 4);
  for (std::uint32_t v : {0x0103u, 1u, static_cast<std::uint32_t>(files.size()), 0u, 0u, 0u})
    Put(cab, v, 2);
  Put(cab, dataAt, 4);
  Put(cab, 1, 2);
  Put(cab, 0, 2);  // stored, no compression
  return cab + entries + block;
}

const std::string kSetup = pe::Image(pe::SampleVersion());

std::string Packed(const std::string& cabinet) {
  unsigned char footer[kFooterSize];
  WriteFooter(static_cast<std::uint32_t>(cabinet.size()), Crc32(0, cabinet.data(), cabinet.size()),
              footer);
  return kSetup + cabinet + std::string(reinterpret_cast<char*>(footer), kFooterSize);
}

std::vector<CabFile> Payload(std::vector<CabFile> more = {}) {
  std::vector<CabFile> files = {{"setup.inf", kExampleDescription, 0},
                                {"readme.txt", "x", 0},
                                {"UNINSTAL.EXE", "x", 0},
                                {"Viewer.exe", kSetup, 0}};
  files.insert(files.end(), more.begin(), more.end());
  return files;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Hex32(std::uint32_t value) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

// --- The payload's run -------------------------------------------------------------------------

// setup-pack's program, checked, plans what the folder's check plans but for what a payload
// changes: setup.inf first, nothing left behind, a step per file, the uninstaller from the
// target folder.
TEST(PackedCheck, PlansThePayloadsRunOfThePackedFolder) {
  Distribution dist, output;
  dist.Standard();
  dist.Write("setup.exe", kSetup);
  const std::string packed = output.path() + "/viewer-setup.exe";
  std::string packOut, packErr;
  ASSERT_EQ(RunSetupPack({dist.path(), "-o", packed}, &packOut, &packErr), kPackWritten);
  const Outcome folder = Check({dist.path()});
  const Outcome run = Check({packed});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");

  const std::string bytes = ReadAll(packed);
  const std::size_t cabinet = bytes.size() - kSetup.size() - kFooterSize;
  const std::uint64_t files = sizeof kExampleDescription - 1 + 2 + kSetup.size();
  const unsigned char* crc = reinterpret_cast<const unsigned char*>(&bytes[bytes.size() - 4]);
  const std::vector<std::string> onlyFolder = {
      "Distribution: " + dist.path(),
      "Warnings (1):",
      "  distribution: \"UNINSTAL.EXE\" is copied into the target folder: the installer leaves "
      "behind only \"setup.exe\" and \"uninstal.exe\", spelled exactly so",
      "  not copied     setup.exe: the installer itself, which stays behind",
      "  progress       step 12 for 7 folder entries; 16 at a drive's root, which lists no \".\" "
      "and \"..\"",
      "  uninstaller    UNINSTAL.EXE -> <windows>\\Viewer Uninstall.exe"};
  const std::vector<std::string> onlyPacked = {
      "Distribution: " + packed,
      "Payload: " + GroupedNumber(cabinet) + " B after setup " + GroupedNumber(kSetup.size()) +
          " B: a cabinet of 4 files (" + GroupedNumber(files) + " B), CRC-32 " +
          Hex32(crc[0] | crc[1] << 8 | crc[2] << 16 | static_cast<std::uint32_t>(crc[3]) << 24) +
          " holds",
      "Warnings: none", "  progress       step 20 for 4 files of the payload",
      "  uninstaller    C:\\Program Files\\Viewer\\UNINSTAL.EXE -> <windows>\\Viewer "
      "Uninstall.exe"};
  std::vector<std::string> expected = SortedLines(folder.out);
  for (const std::string& line : onlyFolder) {
    auto at = std::find(expected.begin(), expected.end(), line);
    ASSERT_NE(at, expected.end()) << line;
    expected.erase(at);
  }
  expected.insert(expected.end(), onlyPacked.begin(), onlyPacked.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(SortedLines(run.out), expected);
  EXPECT_NE(run.out.find("  copied         setup.inf -> C:\\Program Files\\Viewer\\setup.inf\n"
                         "  copied         readme.txt"),
            std::string::npos)
      << run.out;
}

// The names as setup reads them: UTF-8 where the entry says so, else the ANSI code page's; and
// the payload's summary in both reports.
TEST(PackedCheck, ReadsTheCabinetsNames) {
  const struct {
    const char* name;
    unsigned attributes;
    const char* codePage;
    const char* listed;
  } cases[] = {
      {"caf\xC3\xA9.txt", 0x80, "1252", "caf\xC3\xA9.txt"},
      {"caf\xE9.txt", 0, "1252", "caf\xC3\xA9.txt"},
      {"caf\xC3\xA9.txt", 0, "1252", "caf\xC3\x83\xC2\xA9.txt"},
      {"\x93\xfa\x96\x7b.txt", 0, "932", "\xE6\x97\xA5\xE6\x9C\xAC.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.listed);
    Distribution scratch;
    const std::string cabinet = Cabinet(Payload({{c.name, "12345", c.attributes}}));
    scratch.Write("p.exe", Packed(cabinet));
    const std::string packed = scratch.path() + "/p.exe";
    const Outcome run = Check({"--codepage", c.codePage, packed});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(std::string("\n  copied         ") + c.listed +
                           " -> C:\\Program Files\\Viewer\\" + c.listed + "\n"),
              std::string::npos)
        << run.out;
    const std::string summary = GroupedNumber(cabinet.size()) + " B after setup " +
                                GroupedNumber(kSetup.size()) + " B: a cabinet of 5 files (" +
                                GroupedNumber(sizeof kExampleDescription - 1 + 7 + kSetup.size()) +
                                " B), CRC-32 " + Hex32(Crc32(0, cabinet.data(), cabinet.size()));
    EXPECT_EQ(run.out.rfind("Distribution: " + packed + "\nPayload: " + summary + " holds\n", 0),
              0u);
    const Outcome json = Check({"--json", "--codepage", c.codePage, packed});
    EXPECT_EQ(
        json.out.rfind("{\n  \"error\": null,\n  \"payload\": {\"file\": \"" + packed +
                           "\", \"setupBytes\": " + std::to_string(kSetup.size()) +
                           ", \"cabinetBytes\": " + std::to_string(cabinet.size()) +
                           ", \"files\": 5, \"unpackedBytes\": " +
                           std::to_string(sizeof kExampleDescription - 1 + 7 + kSetup.size()) +
                           ", \"crc32\": \"" + summary.substr(summary.size() - 10) +
                           "\", \"intact\": true},\n  \"ProgramFile\": ",
                       0),
        0u)
        << json.out;
  }
}

std::string Damaged(const std::string& detail) {
  return ": its payload is damaged or cut short (" + detail + "); setup would install nothing";
}

TEST(PackedCheck, RefusesFilesWithoutAnIntactPayload) {
  const std::string cabinet = Cabinet(Payload());
  const std::string packed = Packed(cabinet);
  std::string flipped = packed;
  flipped[kSetup.size() + 100] ^= 1;
  std::string spoilt = cabinet;
  spoilt[100] ^= 1;
  const struct {
    const char* name;
    std::string bytes;
    std::string says;  // after "setup-check: FILE"
  } cases[] = {
      {"text", kExampleDescription, " carries no payload: check its distribution folder instead"},
      {"setup alone", kSetup, " carries no payload: check its distribution folder instead"},
      {"cut in the cabinet", packed.substr(0, kSetup.size() + 200),
       Damaged("the cabinet holds " + GroupedNumber(cabinet.size()) +
               " B, of which 200 B are there")},
      {"no footer", packed.substr(0, packed.size() - kFooterSize),
       Damaged("no footer follows the cabinet")},
      {"a byte changed", flipped,
       Damaged("the CRC-32 does not hold: the footer says " +
               Hex32(Crc32(0, cabinet.data(), cabinet.size())) + ", the cabinet's bytes give " +
               Hex32(Crc32(0, spoilt.data(), spoilt.size())))},
      {"a path", Packed(Cabinet(Payload({{"..\\evil.txt", "x", 0}}))),
       ": its cabinet names a file \"..\\evil.txt\", which is no plain file name: setup leaves "
       "it out"},
      {"a device", Packed(Cabinet(Payload({{"aux.txt", "x", 0x80}}))),
       ": its cabinet names a file \"aux.txt\", which is no plain file name: setup leaves it out"},
      {"a stream", Packed(Cabinet(Payload({{"a:b", "x", 0}}))),
       ": its cabinet names a file \"a:b\", which is no plain file name: setup leaves it out"},
      {"one file twice", Packed(Cabinet(Payload({{"README.TXT", "x", 0}}))),
       ": its cabinet names \"readme.txt\" and \"README.TXT\", one file on Windows"},
      {"not UTF-8", Packed(Cabinet(Payload({{"caf\xE9\x01", "x", 0x80}}))),
       ": its cabinet names a file \"caf\xE9\\x01\" that is no UTF-8"},
      {"too much", Packed(Cabinet(Payload({{"big.bin", "x", 0, 0x7FFF8000}}))),
       ": its cabinet's files hold more than 2,147,450,880 B, more than a payload carries"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Distribution scratch;
    scratch.Write("p.exe", c.bytes);
    const std::string file = scratch.path() + "/p.exe";
    for (const char* mode : {"--json", "--winget"}) {
      const Outcome run = Check({mode, file});
      EXPECT_EQ(run.status, kCheckUsage);
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err, "setup-check: " + file + c.says + "\n");
    }
  }

  // An intact payload whose setup.inf setup refuses: no manifest for it.
  Distribution scratch;
  scratch.Write("p.exe", Packed(Cabinet({{"setup.inf", "Viewer.exe\nC:\\Viewer:\n", 0}})));
  const std::string file = scratch.path() + "/p.exe";
  const Outcome run = Check({"--winget", file});
  EXPECT_EQ(run.status, kCheckRefused);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "setup-check: " + file +
                         ": the installer stops with this message: 'setup.inf' is corrupted!\n");
  EXPECT_EQ(Check({file}).status, kCheckRefused);
}

// --- The winget manifest -----------------------------------------------------------------------

const WingetPackage kViewer = {"viewer setup.exe",  std::string(64, 'A'), "x86", "Viewer", "1.0",
                               "Lean Setup Samples"};

TEST(WingetManifest, WholeText) {
  EXPECT_EQ(
      WingetInstallerManifest(kViewer),
      "# yaml-language-server: "
      "$schema=https://aka.ms/winget-manifest.installer.1.12.0.schema.json\n"
      "# The installer manifest of a packed setup program, written by setup-check. The\n"
      "# community repository also wants a version manifest and a default locale manifest.\n"
      "# FILL-IN marks what setup-check cannot know. PackageIdentifier: the program file's\n"
      "# CompanyName, a dot, FolderName, without blanks or dots; PackageVersion: DisplayVersion\n"
      "# as setup writes it, from the program file's version resource.\n"
      "PackageIdentifier: \"LeanSetupSamples.Viewer\"\n"
      "PackageVersion: \"1.0\"\n"
      "Installers:\n"
      "  - Architecture: x86  # the machine setup.exe is built for\n"
      "    InstallerType: exe\n"
      "    InstallerUrl: \"https://example.com/FILL-IN/viewer%20setup.exe\"\n"
      "    InstallerSha256: " +
          std::string(64, 'A') +
          "\n"
          "    Scope: machine  # the uninstall entry goes to HKEY_LOCAL_MACHINE\n"
          "    InstallModes:\n"
          "      - interactive\n"
          "      - silent\n"
          "      - silentWithProgress\n"
          "    InstallerSwitches:\n"
          "      Silent: /S\n"
          "      SilentWithProgress: /S\n"
          "      # winget puts it last, where /D= must be: it takes the rest of the command line\n"
          "      InstallLocation: /D=<INSTALLPATH>\n"
          "      Log: '/LOG=\"<LOGPATH>\"'\n"
          "    UpgradeBehavior: install  # setup installs over an earlier installation\n"
          "    ElevationRequirement: elevationRequired  # setup asks for administrator rights\n"
          "    ExpectedReturnCodes:\n"
          "      # the dialog was closed without installing\n"
          "      - InstallerReturnCode: 1\n"
          "        ReturnResponse: cancelledByUser\n"
          "      # the command line, setup.inf or the payload cannot be used: nothing installed\n"
          "      - InstallerReturnCode: 2\n"
          "        ReturnResponse: invalidParameter\n"
          "      # the folder cannot be created, or the product installed in another folder "
          "cannot\n"
          "      # be removed from there: nothing installed\n"
          "      - InstallerReturnCode: 3\n"
          "        ReturnResponse: invalidParameter\n"
          "      # installed, but a file (most often one in use), a registry value or a shortcut\n"
          "      # failed: the log names it\n"
          "      - InstallerReturnCode: 4\n"
          "        ReturnResponse: fileInUse\n"
          "    ProductCode: \"Viewer\"  # the uninstall key's name: FolderName\n"
          "    AppsAndFeaturesEntries:\n"
          "      - DisplayName: \"Viewer\"\n"
          "        Publisher: \"Lean Setup Samples\"\n"
          "        ProductCode: \"Viewer\"\n"
          "ManifestType: installer\n"
          "ManifestVersion: 1.12.0\n");
}

// What the schema's patterns take, derived from the version resource where it gives enough.
TEST(WingetManifest, IdentifierAndVersion) {
  const struct {
    const char* publisher;
    const char* folderName;
    const char* version;
    const char* identifier;
    const char* packageVersion;
    const char* entry;  // AppsAndFeaturesEntries' lines between DisplayName and ProductCode
  } cases[] = {
      {"Lean Setup Samples", "Viewer", "1.0", "LeanSetupSamples.Viewer", "1.0",
       "        Publisher: \"Lean Setup Samples\"\n"},
      {"", "Tiny Notes 2.1", "", "FILL-IN.TinyNotes21", "FILL-IN", ""},
      {"A.B\tC\xC2\xA0"
       "D",
       "x", "1.0 beta/2", "ABCD.x", "FILL-IN",
       "        Publisher: \"A.B\\x09C\xC2\xA0"
       "D\"\n        DisplayVersion: \"1.0 beta/2\"\n"},
      {"...",
       "\xE6\x97\xA5\xF0\x9F\x98\x80"
       "1234567890123456789012345678901234567890",
       "2",
       "FILL-IN.\xE6\x97\xA5\xF0\x9F\x98\x80"
       "12345678901234567890123456789",
       "2", "        Publisher: \"...\"\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.identifier);
    WingetPackage package = kViewer;
    package.publisher = c.publisher;
    package.folderName = c.folderName;
    package.displayVersion = c.version;
    const std::string yaml = WingetInstallerManifest(package);
    EXPECT_NE(yaml.find(std::string("\nPackageIdentifier: \"") + c.identifier +
                        "\"\nPackageVersion: \"" + c.packageVersion + "\"\n"),
              std::string::npos)
        << yaml;
    EXPECT_NE(yaml.find(std::string("      - DisplayName: \"") + c.folderName + "\"\n" + c.entry +
                        "        ProductCode: \""),
              std::string::npos)
        << yaml;
  }
}

TEST(WingetManifest, Architectures) {
  const struct {
    std::uint16_t machine;
    const char* architecture;
  } cases[] = {
      {0x014C, "x86"}, {0x8664, "x64"}, {0xAA64, "arm64"}, {0x01C4, "arm"}, {0x0200, nullptr}};
  for (const auto& c : cases) {
    const char* got = WingetArchitecture(c.machine);
    EXPECT_EQ(std::string(got ? got : "none"), c.architecture ? c.architecture : "none");
  }
}

// The packed file's hash and the values setup writes, wired to the manifest; and a YAML parser
// reads back every text as it was, whatever YAML makes of its characters.
TEST(WingetManifest, OfAPackedFileReadsBack) {
  Distribution scratch;
  const char kFolderName[] = "- it's #1 {x} [y] & @z \xE9t\xE9";
  const std::string description =
      std::string("Viewer.exe\nC:\\Apps\\") + kFolderName + "\nViewer\nViewer 1.0\n0\n";
  scratch.Write("p.exe", Packed(Cabinet({{"setup.inf", description, 0},
                                         {"UNINSTAL.EXE", "x", 0},
                                         {"Viewer.exe", kSetup, 0}})));
  const std::string file = scratch.path() + "/p.exe";
  const Outcome run = Check({"--winget", file});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "setup-check: 1 warning; setup-check " + file + " shows them\n");
  const std::string folderName = "- it's #1 {x} [y] & @z \xC3\xA9t\xC3\xA9";
  WingetPackage package = {"p.exe", "", "x86", folderName, "1.0", "Lean Setup Samples"};
  ASSERT_TRUE(Sha256OfFile(file, &package.sha256));
  EXPECT_EQ(run.out, WingetInstallerManifest(package));

  if (std::system("python3 -c 'import yaml' 2>/dev/null") != 0)
    GTEST_SKIP() << "python3-yaml is not installed";
  scratch.Write("m.yaml", run.out);
  const std::string command =
      "python3 -c \"import sys, yaml; m = yaml.safe_load(open(sys.argv[1], encoding='utf-8')); "
      "i = m['Installers'][0]; e = i['AppsAndFeaturesEntries'][0]; "
      "print(m['PackageIdentifier'], m['PackageVersion'], i['InstallerSha256'], "
      "i['InstallerSwitches']['Log'], i['ExpectedReturnCodes'][3]['ReturnResponse'], "
      "i['ProductCode'], e['DisplayName'], e['Publisher'], sep='|')\" " +
      scratch.path() + "/m.yaml > " + scratch.path() + "/m.txt";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadAll(scratch.path() + "/m.txt"),
            "LeanSetupSamples.-it's#1{x}[y]&@z\xC3\xA9t\xC3\xA9|1.0|" + package.sha256 +
                "|/LOG=\"<LOGPATH>\"|fileInUse|" + folderName + "|" + folderName +
                "|Lean Setup Samples\n");
}

// --- SHA-256 -----------------------------------------------------------------------------------

TEST(Sha256, KnownDigests) {
  const struct {
    std::string text;
    const char* digest;
  } cases[] = {
      {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
      {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      // 56 bytes: the length goes into a block of its own.
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
      {std::string(1000000, 'a'),
       "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
  };
  for (const auto& c : cases) {
    Sha256 hash;
    // In two pieces, one of them across a block's end.
    hash.Add(c.text.data(), c.text.size() / 3);
    hash.Add(c.text.data() + c.text.size() / 3, c.text.size() - c.text.size() / 3);
    EXPECT_EQ(hash.Hex(), c.digest) << c.text.substr(0, 8);
  }
}

}  // namespace
