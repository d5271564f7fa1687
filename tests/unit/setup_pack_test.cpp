// setup-pack over small distributions: what it refuses, leaving nothing behind, and the packed
// program it writes, the same bytes each time, whose payload libgcab reads back.
#include "pack/setup_pack.h"

#include <gtest/gtest.h>
#include <libgcab.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/payload_format.h"
#include "tests/unit/distribution.h"

namespace {

namespace fs = std::filesystem;

struct Packing {
  int status;
  std::string out;
  std::string err;
};

Packing Pack(const std::string& dist, const std::string& output) {
  Packing run;
  run.status = RunSetupPack({dist, "-o", output}, &run.out, &run.err);
  return run;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Listed(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

const std::string kImage = pe::Image(pe::SampleVersion());

// As a linker and a signing tool leave it: COFF symbols, then a certificate table.
std::string Installer() {
  std::string image = kImage;
  pe::Put32(image, pe::kSymbolTable, static_cast<std::uint32_t>(image.size()));
  pe::Put32(image, pe::kSymbolTable + 4, 2);
  image += std::string(36, 's');
  pe::Put32(image, pe::DirectoryAt(4), static_cast<std::uint32_t>(image.size()));
  pe::Put32(image, pe::DirectoryAt(4) + 4, 16);
  return image + std::string(16, 'c');
}

const char kUninstallerWarning[] =
    "  distribution: \"UNINSTAL.EXE\" is copied into the target folder: the installer leaves "
    "behind only \"setup.exe\" and \"uninstal.exe\", spelled exactly so\n";

TEST(SetupPack, RefusesWhatSetupWouldNotInstall) {
  const struct {
    const char* name;
    const char* file;  // written, or removed when `bytes` is null
    const char* bytes;
    std::string why;
  } cases[] = {
      {"setup.inf refused", "setup.inf", "Viewer.exe\nC:\\Viewer:\n",
       "the installer stops with this message: 'setup.inf' is corrupted!"},
      {"no folder", "setup.inf", "Viewer.exe\nC:\\A|B\\Viewer\nViewer\nV\n0\n",
       "the installer cannot create its folder \"C:\\A|B\\Viewer\" (\"Cannot create "
       "directory!\"): there is no plan of the files to pack"},
      {"no setup.exe", "setup.exe", nullptr, "no setup.exe to carry the payload"},
      {"setup.exe no program", "setup.exe", "MZ",
       "setup.exe is no Windows program (PE image) whose headers add up"},
      {"a device", "con.txt", "x",
       "\"con.txt\" names no file on Windows: setup would not install it"},
      {"not UTF-8", "caf\xE9.txt", "x", "\"caf\xE9.txt\" is not UTF-8: the payload's names are"},
      {"one file twice", "README.TXT", "x",
       "\"README.TXT\" and \"readme.txt\" name one file on Windows"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Distribution dist, output;
    dist.Standard();
    dist.Write("setup.exe", Installer());
    if (c.bytes)
      dist.Write(c.file, c.bytes);
    else
      fs::remove(dist.path() + "/" + c.file);
    const Packing run = Pack(dist.path(), output.path() + "/packed.exe");
    EXPECT_EQ(run.status, kPackRefused);
    EXPECT_EQ(run.out, "");
    const std::string last = "setup-pack: " + dist.path() + ": " + c.why + "\n";
    EXPECT_EQ(run.err.substr(run.err.find("setup-pack:")), last);
    EXPECT_TRUE(Listed(output.path()).empty());
  }

  Distribution dist, output;
  dist.Standard();
  dist.Write("setup.exe", Installer());
  const Packing run = Pack(dist.path(), dist.path() + "/no such folder/packed.exe");
  EXPECT_EQ(run.status, kPackFailed);
  EXPECT_EQ(run.err, "Warnings (1):\n" + std::string(kUninstallerWarning) +
                         "setup-pack: cannot create a file beside " + dist.path() +
                         "/no such folder/packed.exe: No such file or directory\n");
  // A file the cabinet cannot take fails the packing half way: the output goes with it.
  ASSERT_EQ(mkfifo((dist.path() + "/pipe").c_str(), 0600), 0);
  const Packing failed = Pack(dist.path(), output.path() + "/packed.exe");
  EXPECT_EQ(failed.status, kPackFailed);
  EXPECT_NE(failed.err.find("setup-pack: cannot read " + dist.path() + "/pipe: "),
            std::string::npos)
      << failed.err;
  EXPECT_TRUE(Listed(output.path()).empty());
}

TEST(SetupPack, WritesTheSameProgramEachTime) {
  Distribution dist, output;
  dist.Standard();
  const std::string installer = Installer();
  dist.Write("setup.exe", installer);
  std::string data(200000, '\0');
  for (std::size_t k = 0, x = 1; k < data.size(); ++k, x = x * 1103515245 + 12345)
    data[k] = static_cast<char>(x >> 16);
  dist.Write("data.bin", data);
  dist.Write("日本語.txt", "nihongo");
  fs::create_directory(dist.path() + "/sub");
  dist.Write("sub/left.txt", "not packed");

  const std::string first = output.path() + "/first.exe", second = output.path() + "/second.exe";
  const Packing run = Pack(dist.path(), first);
  ASSERT_EQ(run.status, kPackWritten) << run.err;
  utimbuf later = {1700000000, 1700000000};
  utime((dist.path() + "/data.bin").c_str(), &later);
  ASSERT_EQ(Pack(dist.path(), second).status, kPackWritten);
  const std::string packed = ReadAll(first);
  EXPECT_EQ(packed, ReadAll(second));
  EXPECT_EQ(Listed(output.path()).size(), 2u);

  const std::size_t stub = kImage.size();
  const std::size_t files = 200000 + 7 + sizeof kExampleDescription - 1 + 2 + kImage.size();
  EXPECT_EQ(run.out, first + ": " + GroupedDigits(packed.size()) + " B (setup " +
                         GroupedDigits(stub) + " B + payload " +
                         GroupedDigits(packed.size() - stub) + " B from " + GroupedDigits(files) +
                         " B of files)\n");
  EXPECT_EQ(run.err,
            "Warnings (3):\n"
            "  distribution: the folder \"sub\" is not copied: the installer copies "
            "no sub-folders\n" +
                std::string(kUninstallerWarning) +
                "  distribution: \"日本語.txt\": shown as \"???.txt\" on machines using "
                "code page 1252\n");

  // The stub: the sections, nothing pointing past them, and the checksum of the whole file.
  std::string head = installer.substr(0, stub);
  std::memset(&head[pe::kSymbolTable], 0, 8);
  std::memset(&head[pe::DirectoryAt(4)], 0, 8);
  std::memset(&head[pe::kCheckSum], 0, 4);
  std::string written = packed.substr(0, stub);
  std::memset(&written[pe::kCheckSum], 0, 4);
  EXPECT_EQ(written, head);

  struct Bytes final : ByteSource {
    explicit Bytes(const std::string& b) : bytes(b) {}
    bool ReadAt(std::uint64_t offset, void* buf, std::size_t count) override {
      if (offset > bytes.size() || count > bytes.size() - offset)
        return false;
      std::memcpy(buf, bytes.data() + offset, count);
      return true;
    }
    const std::string& bytes;
  } source(packed);
  unsigned char buffer[4096];
  const Payload payload = FindPayload(source, packed.size(), true, buffer, sizeof buffer);
  ASSERT_EQ(payload.state, PayloadState::kIntact);
  ASSERT_EQ(payload.cabinetStart, stub);
  ASSERT_EQ(payload.cabinetSize + kFooterSize, packed.size() - stub);

  // The cabinet as another reader sees it: one MSZIP folder, setup.inf first, then the plan's
  // order; a fixed date, no attributes but the UTF-8 name's flag; every file whole.
  GCabCabinet* cabinet = gcab_cabinet_new();
  GInputStream* in =
      g_memory_input_stream_new_from_data(packed.data() + stub, payload.cabinetSize, nullptr);
  ASSERT_TRUE(gcab_cabinet_load(cabinet, in, nullptr, nullptr));
  GPtrArray* folders = gcab_cabinet_get_folders(cabinet);
  ASSERT_EQ(folders->len, 1u);
  GCabFolder* folder = GCAB_FOLDER(g_ptr_array_index(folders, 0));
  EXPECT_EQ(gcab_folder_get_comptype(folder), GCAB_COMPRESSION_MSZIP);
  const std::string names[] = {"setup.inf",    "data.bin",   "readme.txt",
                               "UNINSTAL.EXE", "Viewer.exe", "日本語.txt"};
  Distribution extracted;
  GFile* into = g_file_new_for_path(extracted.path().c_str());
  ASSERT_TRUE(gcab_cabinet_extract_simple(cabinet, into, nullptr, nullptr, nullptr, nullptr));
  GSList* members = gcab_folder_get_files(folder);
  std::size_t k = 0;
  for (GSList* m = members; m; m = m->next, ++k) {
    GCabFile* file = GCAB_FILE(m->data);
    ASSERT_LT(k, std::size(names));
    SCOPED_TRACE(names[k]);
    EXPECT_EQ(gcab_file_get_name(file), names[k]);
    EXPECT_EQ(gcab_file_get_attributes(file), k == 5 ? 0x80u : 0u);
    GDateTime* date = gcab_file_get_date_time(file);
    gchar* shown = g_date_time_format(date, "%F %T");
    EXPECT_STREQ(shown, "1980-01-01 00:00:00");
    g_free(shown);
    g_date_time_unref(date);
    EXPECT_EQ(ReadAll(extracted.path() + "/" + names[k]), ReadAll(dist.path() + "/" + names[k]));
  }
  EXPECT_EQ(k, std::size(names));
  g_slist_free(members);
  g_object_unref(into);
  g_object_unref(in);
  g_object_unref(cabinet);
}

// "uninstal.exe" so spelled stays behind a folder distribution, which registers it from there;
// a payload has no such folder and carries it.
TEST(SetupPack, CarriesTheUninstallerLeftBehind) {
  Distribution dist, output;
  dist.Standard();
  fs::rename(dist.path() + "/UNINSTAL.EXE", dist.path() + "/uninstal.exe");
  dist.Write("setup.exe", kImage);
  const std::string packed = output.path() + "/p.exe";
  ASSERT_EQ(Pack(dist.path(), packed).status, kPackWritten);
  const std::string bytes = ReadAll(packed);
  GCabCabinet* cabinet = gcab_cabinet_new();
  GInputStream* in = g_memory_input_stream_new_from_data(
      bytes.data() + kImage.size(), bytes.size() - kImage.size() - kFooterSize, nullptr);
  ASSERT_TRUE(gcab_cabinet_load(cabinet, in, nullptr, nullptr));
  GSList* members =
      gcab_folder_get_files(GCAB_FOLDER(g_ptr_array_index(gcab_cabinet_get_folders(cabinet), 0)));
  EXPECT_STREQ(gcab_file_get_name(GCAB_FILE(g_slist_last(members)->data)), "uninstal.exe");
  g_slist_free(members);
  g_object_unref(in);
  g_object_unref(cabinet);
}

}  // namespace
