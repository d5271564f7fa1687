#include "pack/setup_pack.h"

#include <map>

#include "check/check_report.h"
#include "check/code_page.h"
#include "check/file_names.h"
#include "check/folder_listing.h"
#include "check/setup_check.h"
#include "common/names.h"
#include "common/payload_format.h"
#include "description/setup_reader.h"
#include "pack/cabinet_writer.h"
#include "pack/output_file.h"
#include "pack/stub.h"

namespace {

const char kUsage[] =
    "usage: setup-pack DIST_FOLDER -o OUTPUT.exe\n"
    "Checks DIST_FOLDER as setup-check does and writes OUTPUT.exe: the distribution's setup.exe\n"
    "followed by a cabinet of the files setup copies, which setup.exe then installs from.\n"
    "Exit status: 0 when written, 1 when a file could not be read or written, 2 for a usage\n"
    "error or a distribution that setup would not install. Nothing is written unless 0.\n";

constexpr char kInstallerName[] = "setup.exe";
// What one cabinet folder holds, uncompressed.
constexpr std::uint64_t kFolderLimit = 0x7FFF8000;
// The longest name a cabinet reader (FDI) takes, its terminating zero not counted.
constexpr std::size_t kNameLimit = 255;

// The name as a message shows it: control bytes as \xNN.
std::string Quoted(const std::string& name) {
  std::string shown = "\"";
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) {
      const char hex[] = "0123456789ABCDEF";
      shown += std::string("\\x") + hex[c >> 4] + hex[c & 15];
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown + "\"";
}

// The installer's own file, as a file system that ignores case finds it: the exact spelling
// first.
std::string FindInstaller(const std::vector<ListedEntry>& listing) {
  std::string found;
  for (const ListedEntry& entry : listing) {
    if (entry.isFolder || !SameNameIgnoringCase(entry.name, kInstallerName))
      continue;
    if (entry.name == kInstallerName)
      return entry.name;
    found = entry.name;
  }
  return found;
}

struct PayloadFiles {
  std::vector<std::string> names;  // setup.inf first, then the plan's order
  std::uint64_t bytes = 0;
};

// The files the plan copies, in the payload's order; false, with `why`, when the payload cannot
// carry them as setup would install them.
bool ListPayload(const InstallPlan& plan, const std::vector<ListedEntry>& listing,
                 PayloadFiles* files, std::string* why) {
  if (plan.folderRefused) {
    *why = "the installer cannot create its folder " + Quoted(plan.targetFolder) + " (\"" +
           plan.message + "\"): there is no plan of the files to pack";
    return false;
  }
  std::map<std::string, std::uint64_t> sizes;
  for (const ListedEntry& entry : listing) {
    sizes[entry.name] = entry.size;
    // Setup skips a device's name in a folder; a payload would have to leave it out unnoticed.
    if (!entry.isFolder && IsUtf8(entry.name) && IsDeviceName(WideFromUtf8(entry.name).c_str())) {
      *why = Quoted(entry.name) + " names no file on Windows: setup would not install it";
      return false;
    }
  }
  const std::string* last = nullptr;
  for (const PlannedCopy& copy : plan.copies) {
    const std::string& name = copy.name;
    if (!IsUtf8(name)) {
      *why = Quoted(name) + " is not UTF-8: the payload's names are";
      return false;
    }
    if (!IsPayloadName(WideFromUtf8(name).c_str())) {
      *why = Quoted(name) + " names no file on Windows: setup would not install it";
      return false;
    }
    if (name.size() > kNameLimit) {
      *why = Quoted(name) + " takes " + std::to_string(name.size()) +
             " bytes in UTF-8: a cabinet holds names of up to " + std::to_string(kNameLimit);
      return false;
    }
    // The plan keeps the folder's order, by name ignoring case: one file's names lie together.
    if (last && SameNameIgnoringCase(*last, name)) {
      *why = Quoted(*last) + " and " + Quoted(name) + " name one file on Windows";
      return false;
    }
    last = &name;
    files->bytes += sizes[name];
    if (SameNameIgnoringCase(name, kSetupInfoName))
      files->names.insert(files->names.begin(), name);
    else
      files->names.push_back(name);
  }
  // From a folder, "uninstal.exe" so spelled stays behind and is registered from there; a
  // payload has no folder to leave it in, so it travels with the rest.
  bool uninstaller = false;
  for (const std::string& name : files->names)
    uninstaller = uninstaller || SameNameIgnoringCase(name, "UNINSTAL.EXE");
  for (const ListedEntry& entry : listing) {
    if (!uninstaller && !entry.isFolder && entry.name == "uninstal.exe") {
      files->names.push_back(entry.name);
      files->bytes += entry.size;
    }
  }
  if (files->names.empty() || !SameNameIgnoringCase(files->names.front(), kSetupInfoName)) {
    *why = "setup does not copy setup.inf, which a payload starts with";
    return false;
  }
  if (files->bytes > kFolderLimit) {
    *why = "the files hold " + GroupedDigits(files->bytes) + " B: a cabinet holds at most " +
           GroupedDigits(kFolderLimit) + " B";
    return false;
  }
  return true;
}

// Writes the packed program into `file`; returns its length, or 0 with `why` set.
std::uint64_t WritePacked(const std::string& folder, const PayloadFiles& files,
                          const std::string& stub, std::size_t checkSumAt, OutputFile& file,
                          std::string* why) {
  std::uint32_t cabinetSize = 0;
  if (!file.WriteAt(0, stub.data(), stub.size())) {
    *why = file.Failure();
    return 0;
  }
  if (!WriteCabinet(folder, files.names, file, stub.size(), &cabinetSize, why))
    return 0;
  // The CRC-32 and the image checksum of the bytes as they reached the file.
  PeChecksum checksum;
  checksum.Add(stub.data(), stub.size());
  std::uint32_t crc = 0;
  static unsigned char buffer[1 << 16];
  for (std::uint32_t done = 0; done < cabinetSize;) {
    const std::size_t piece =
        cabinetSize - done < sizeof buffer ? cabinetSize - done : sizeof buffer;
    if (!file.ReadAt(stub.size() + done, buffer, piece)) {
      *why = file.Failure();
      return 0;
    }
    crc = Crc32(crc, buffer, piece);
    checksum.Add(buffer, piece);
    done += static_cast<std::uint32_t>(piece);
  }
  unsigned char footer[kFooterSize];
  WriteFooter(cabinetSize, crc, footer);
  checksum.Add(footer, sizeof footer);
  unsigned char sum[4];
  PutLe32(sum, checksum.Value());
  if (!file.WriteAt(stub.size() + cabinetSize, footer, sizeof footer) ||
      !file.WriteAt(checkSumAt, sum, sizeof sum)) {
    *why = file.Failure();
    return 0;
  }
  return stub.size() + cabinetSize + kFooterSize;
}

}  // namespace

std::string GroupedDigits(std::uint64_t number) {
  std::string digits = std::to_string(number);
  for (std::size_t at = digits.size(); at > 3; at -= 3)
    digits.insert(at - 3, ",");
  return digits;
}

int RunSetupPack(const std::vector<std::string>& args, std::string* out, std::string* err) {
  std::string folder, output;
  bool haveFolder = false, haveOutput = false, wantOutput = false, optionsEnded = false;
  auto usage = [err](const std::string& what) {
    *err += "setup-pack: " + what + "\n" + kUsage;
    return kPackRefused;
  };
  for (const std::string& arg : args) {
    if (wantOutput) {
      wantOutput = false;
      output = arg;
      haveOutput = true;
    } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
      *out += kUsage;
      return kPackWritten;
    } else if (!optionsEnded && arg == "-o") {
      if (haveOutput)
        return usage("more than one output given");
      wantOutput = true;
    } else if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return usage("unknown option " + arg);
    } else if (haveFolder) {
      return usage("more than one folder given");
    } else {
      folder = arg;
      haveFolder = true;
    }
  }
  if (wantOutput || (haveOutput && output.empty()))
    return usage("-o needs a file name");
  if (!haveFolder || !haveOutput)
    return usage(haveFolder ? "no output given" : "no distribution folder given");
  if (!IsExistingFolder(folder))
    return usage(folder + " is not a folder");

  CheckResult result;
  CheckDistribution(folder, &result);
  if (!result.warnings.empty())
    *err += TextWarnings(result.warnings);
  auto refuse = [err, &folder](const std::string& why) {
    *err += "setup-pack: " + folder + ": " + why + "\n";
    return kPackRefused;
  };
  if (result.refused)
    return refuse("the installer stops with this message: " + result.message);

  std::vector<ListedEntry> listing;
  ListFolderEntries(folder, &listing);
  PayloadFiles files;
  std::string why;
  if (!ListPayload(result.plan, listing, &files, &why))
    return refuse(why);
  const std::string installer = FindInstaller(listing);
  if (installer.empty())
    return refuse("no setup.exe to carry the payload");
  std::string stub;
  std::size_t checkSumAt = 0;
  switch (ReadStub(PathInFolder(folder, installer), &stub, &checkSumAt)) {
    case StubRead::kRead:
      break;
    case StubRead::kCannotOpen:
      *err += "setup-pack: cannot read " + PathInFolder(folder, installer) + "\n";
      return kPackFailed;
    case StubRead::kNotPe:
      return refuse(installer + " is no Windows program (PE image) whose headers add up");
  }

  OutputFile file;
  std::uint64_t size = 0;
  if (!file.Create(output, &why) ||
      (size = WritePacked(folder, files, stub, checkSumAt, file, &why)) == 0 ||
      !file.Commit(&why)) {
    *err += "setup-pack: " + why + "\n";
    return kPackFailed;
  }
  *out += output + ": " + GroupedDigits(size) + " B (setup " + GroupedDigits(stub.size()) +
          " B + payload " + GroupedDigits(size - stub.size()) + " B from " +
          GroupedDigits(files.bytes) + " B of files)\n";
  return kPackWritten;
}
