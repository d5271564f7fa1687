#include "check/packed_file.h"

#include <cstdio>
#include <cstring>

#include "check/check_report.h"
#include "check/code_page.h"
#include "check/file_bytes.h"
#include "check/file_names.h"

namespace {

// A name for a terminal: control bytes as \xNN.
std::string Shown(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F)
      out += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    else
      out += static_cast<char>(c);
  }
  return out + "\"";
}

constexpr std::uint64_t kMostUnpacked = 0x7FFF8000;

std::string Hex32(std::uint32_t value) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

// What FindPayload found wrong, told again from the bytes: which part is missing or spoilt.
std::string Damage(ByteSource& file, std::uint64_t fileSize, const PackedFile& packed) {
  Overlay overlay;
  if (ReadOverlay(file, fileSize, &overlay) != OverlayRead::kRead)
    return "the headers cannot be read again";
  const std::uint64_t room = overlay.end - packed.setupSize;
  const std::uint64_t size = packed.cabinetSize;
  if (room < 12)
    return "the file ends inside the cabinet's header";
  if (size > room)
    return "the cabinet holds " + GroupedNumber(size) + " B, of which " + GroupedNumber(room) +
           " B are there";
  unsigned char footer[kFooterSize];
  if (room - size < kFooterSize || !file.ReadAt(packed.setupSize + size, footer, kFooterSize) ||
      std::memcmp(footer, kFooterMagic, sizeof kFooterMagic) != 0 || Le32(footer + 8) != size)
    return "no footer follows the cabinet";
  unsigned char buffer[1 << 16];
  std::uint32_t crc = 0;
  for (std::uint64_t done = 0; done < size;) {
    const std::size_t piece = size - done < sizeof buffer ? size - done : sizeof buffer;
    if (!file.ReadAt(packed.setupSize + done, buffer, piece))
      return "the cabinet cannot be read again";
    crc = Crc32(crc, buffer, piece);
    done += piece;
  }
  return "the CRC-32 does not hold: the footer says " + Hex32(Le32(footer + 12)) +
         ", the cabinet's bytes give " + Hex32(crc);
}

}  // namespace

bool InspectPackedFile(const std::string& path, PackedFile* packed) {
  packed->path = path;
  if (IsExistingFolder(path))
    return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  FileBytes file(f);
  std::uint64_t fileSize = 0;
  bool read = file.Size(&fileSize);
  if (read) {
    unsigned char buffer[1 << 16];
    const Payload payload = FindPayload(file, fileSize, true, buffer, sizeof buffer);
    packed->state = payload.state;
    packed->setupSize = payload.cabinetStart;
    packed->cabinetSize = payload.cabinetSize;
    unsigned char b[kFooterSize];
    // FindPayload found a PE image: its Machine field follows "PE\0\0".
    if (payload.state != PayloadState::kNone && file.ReadAt(0x3C, b, 4) &&
        file.ReadAt(std::uint64_t{Le32(b)} + 4, b, 2))
      packed->machine = static_cast<std::uint16_t>(b[0] | b[1] << 8);
    if (payload.state == PayloadState::kIntact &&
        file.ReadAt(payload.cabinetStart + payload.cabinetSize, b, kFooterSize))
      packed->crc = Le32(b + 12);
    if (payload.state == PayloadState::kDamaged)
      packed->damage = Damage(file, fileSize, *packed);
  }
  std::fclose(f);
  return read;
}

std::string PayloadNameError(const std::string& name, const std::vector<ListedEntry>& earlier) {
  if (!IsPayloadName(WideFromUtf8(name).c_str()))
    return "its cabinet names a file " + Shown(name) +
           ", which is no plain file name: setup leaves it out";
  for (const ListedEntry& entry : earlier) {
    if (SameNameIgnoringCase(entry.name, name))
      return "its cabinet names " + Shown(entry.name) + " and " + Shown(name) +
             ", one file on Windows";
  }
  return "";
}

bool ExtractPayload(PackedFile* packed, const std::string& folder, int codePage,
                    std::string* error) {
  class Names final : public CabinetNames {
   public:
    Names(std::vector<ListedEntry>& files, int codePage) : files_(files), codePage_(codePage) {}
    bool Accept(const std::string& raw, bool utf8, std::uint32_t size, std::string* name,
                std::string* error) override {
      if (utf8 && !IsUtf8(raw)) {
        *error = "its cabinet names a file " + Shown(raw) + " that is no UTF-8";
        return false;
      }
      if (!utf8 && !Utf8FromCodePage(raw, codePage_, name)) {
        *error = "its cabinet names a file " + Shown(raw) + " that code page " +
                 std::to_string(codePage_) + " cannot read";
        return false;
      }
      if (utf8)
        *name = raw;
      *error = PayloadNameError(*name, files_);
      if (!error->empty())
        return false;
      // A few bytes of a cabinet may stand for many: what is written is bounded by what one
      // cabinet folder can hold, as setup-pack writes it.
      unpacked_ += size;
      if (unpacked_ > kMostUnpacked) {
        *error = "its cabinet's files hold more than " + GroupedNumber(kMostUnpacked) +
                 " B, more than a payload carries";
        return false;
      }
      ListedEntry entry;
      entry.name = *name;
      entry.size = size;
      files_.push_back(entry);
      return true;
    }

   private:
    std::vector<ListedEntry>& files_;
    int codePage_;
    std::uint64_t unpacked_ = 0;
  };
  packed->files.clear();
  Names names(packed->files, codePage);
  return ReadCabinet(packed->path, packed->setupSize, packed->cabinetSize, folder, names, error);
}

std::string GroupedNumber(std::uint64_t number) {
  std::string digits = std::to_string(number);
  for (std::size_t at = digits.size(); at > 3; at -= 3)
    digits.insert(at - 3, ",");
  return digits;
}

std::string PayloadLine(const PackedFile& p) {
  std::uint64_t unpacked = 0;
  for (const ListedEntry& file : p.files)
    unpacked += file.size;
  return "Payload: " + GroupedNumber(p.cabinetSize) + " B after setup " +
         GroupedNumber(p.setupSize) + " B: a cabinet of " + std::to_string(p.files.size()) +
         (p.files.size() == 1 ? " file (" : " files (") + GroupedNumber(unpacked) + " B), CRC-32 " +
         Hex32(p.crc) + " holds";
}

std::string PayloadJson(const PackedFile& p) {
  std::uint64_t unpacked = 0;
  for (const ListedEntry& file : p.files)
    unpacked += file.size;
  return "{\"file\": " + JsonString(p.path) + ", \"setupBytes\": " + std::to_string(p.setupSize) +
         ", \"cabinetBytes\": " + std::to_string(p.cabinetSize) +
         ", \"files\": " + std::to_string(p.files.size()) +
         ", \"unpackedBytes\": " + std::to_string(unpacked) + ", \"crc32\": \"" + Hex32(p.crc) +
         "\", \"intact\": " + (p.state == PayloadState::kIntact ? "true" : "false") + "}";
}
