// A packed setup program as setup-check sees it: where its payload lies and whether it holds
// (common/payload_format.h), what its cabinet carries, and how the report tells of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/folder_listing.h"
#include "common/payload_format.h"

struct PackedFile {
  std::string path;
  PayloadState state = PayloadState::kNone;
  std::string damage;           // how it is damaged, when it is
  std::uint16_t machine = 0;    // the PE header's Machine field
  std::uint64_t setupSize = 0;  // the bytes before the cabinet: setup.exe itself
  std::uint32_t cabinetSize = 0;
  std::uint32_t crc = 0;           // the footer's, which holds when intact
  std::vector<ListedEntry> files;  // the cabinet's, in its order, once extracted
};

// Finds the payload of the file at `path` and checks its CRC-32. False when the file cannot be
// read at all.
bool InspectPackedFile(const std::string& path, PackedFile* packed);

// Extracts the intact payload of `packed` into the empty folder `folder`, filling packed->files.
// Names are UTF-8 where the cabinet's entry says so (attribute 0x80), else bytes in ANSI code
// page `codePage`. False, with `error` set, when the cabinet cannot be read, or names a file
// that is no plain file name or names one twice.
bool ExtractPayload(PackedFile* packed, const std::string& folder, int codePage,
                    std::string* error);

// Why the cabinet may not give a file `name` (UTF-8) after the files `earlier`: empty when it
// may.
std::string PayloadNameError(const std::string& name, const std::vector<ListedEntry>& earlier);

// "Payload: 1,206,407 B after setup 28,160 B: a cabinet of 7 files (3,402,111 B), CRC-32
// 0x1234ABCD holds"
std::string PayloadLine(const PackedFile& packed);
// The JSON object of the same.
std::string PayloadJson(const PackedFile& packed);

// `number` in digits grouped by three with commas, whatever the locale.
std::string GroupedNumber(std::uint64_t number);

// Decides each name a cabinet gives before its file is written.
class CabinetNames {
 public:
  // Fills `name` (UTF-8) for the entry's `raw` name, UTF-8 itself when `utf8` (the entry's
  // attribute 0x80); false, with `error` set, refuses the file and ends the reading.
  virtual bool Accept(const std::string& raw, bool utf8, std::uint32_t size, std::string* name,
                      std::string* error) = 0;

 protected:
  ~CabinetNames() = default;
};

// Writes the files of the cabinet [start, start + size) of the file at `path` into `folder`, each
// under the name `names` accepts, in the build's own way (posix/: libgcab, win32/: cabinet.dll).
// False, with `error` set, when the cabinet cannot be read whole or a name is refused.
bool ReadCabinet(const std::string& path, std::uint64_t start, std::uint32_t size,
                 const std::string& folder, CabinetNames& names, std::string* error);
