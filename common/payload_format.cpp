#include "common/payload_format.h"

#include <cstring>

#include "common/names.h"

namespace {

constexpr unsigned char kCabinetMagic[4] = {'M', 'S', 'C', 'F'};
constexpr std::uint32_t kSecurityDirectory = 4;  // IMAGE_DIRECTORY_ENTRY_SECURITY

// Filled at first use: zero-filled static storage costs the program file nothing.
std::uint32_t crcTable[256];

}  // namespace

void WriteFooter(std::uint32_t cabinetSize, std::uint32_t cabinetCrc,
                 unsigned char (&footer)[kFooterSize]) {
  std::memcpy(footer, kFooterMagic, sizeof kFooterMagic);
  PutLe32(footer + 8, cabinetSize);
  PutLe32(footer + 12, cabinetCrc);
}

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
  if (!crcTable[1]) {
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k)
        c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
      crcTable[n] = c;
    }
  }
  const unsigned char* p = static_cast<const unsigned char*>(data);
  crc = ~crc;
  while (size--)
    crc = crcTable[(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

OverlayRead ReadOverlay(ByteSource& file, std::uint64_t fileSize, Overlay* overlay) {
  // The headers' offsets have 32 bits: so has the part of the file they can describe.
  const std::uint32_t size = fileSize >> 32 ? 0xFFFFFFFF : static_cast<std::uint32_t>(fileSize);
  unsigned char b[64];  // the DOS header, then each part of the PE headers in turn
  if (!file.ReadAt(0, b, 64) || b[0] != 'M' || b[1] != 'Z')
    return OverlayRead::kNotPe;
  const std::uint32_t pe = Le32(b + 0x3C);
  // The signature and the file header, then the optional header's magic.
  if (pe >= size || !file.ReadAt(pe, b, 26) || std::memcmp(b, "PE\0\0", 4) != 0)
    return OverlayRead::kNotPe;
  std::uint32_t sections = b[6] | b[7] << 8;
  const std::uint32_t optionalSize = b[20] | b[21] << 8;
  const std::uint32_t magic = b[24] | b[25] << 8;
  // Where NumberOfRvaAndSizes lies; the directories follow it.
  const std::uint32_t count = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
  const std::uint32_t optional = pe + 24, table = optional + optionalSize;
  // The bytes of the headers are the image's even where no section follows them.
  std::uint32_t start = table + 40 * sections;
  if (!count || optionalSize < count + 4 || 24 + optionalSize + 40 * sections > size - pe ||
      !file.ReadAt(optional + count, b, 4))
    return OverlayRead::kNotPe;
  std::uint32_t certificates = 0;
  if (Le32(b) > kSecurityDirectory) {
    const std::uint32_t entry = count + 4 + 8 * kSecurityDirectory;
    if (optionalSize < entry + 8 || !file.ReadAt(optional + entry, b, 4))
      return OverlayRead::kNotPe;
    certificates = Le32(b);
  }
  for (std::uint32_t at = table + 16; sections--; at += 40) {
    // SizeOfRawData, then PointerToRawData.
    if (!file.ReadAt(at, b, 8))
      return OverlayRead::kNotPe;
    const std::uint32_t rawSize = Le32(b), rawStart = Le32(b + 4);
    if (rawStart > size || rawSize > size - rawStart)
      return OverlayRead::kNotPe;
    if (rawSize && rawStart + rawSize > start)
      start = rawStart + rawSize;
  }
  overlay->start = start;
  overlay->end =
      certificates && certificates >= start && certificates <= size ? certificates : fileSize;
  return OverlayRead::kRead;
}

Payload FindPayload(ByteSource& file, std::uint64_t fileSize, bool verify, unsigned char* buffer,
                    std::size_t bufferSize) {
  Payload payload = {PayloadState::kNone, 0, 0};
  Overlay overlay;
  unsigned char b[kFooterSize];  // the cabinet's header, then the footer
  if (ReadOverlay(file, fileSize, &overlay) != OverlayRead::kRead)
    return payload;
  const std::uint64_t at = overlay.start;
  // A cabinet's length has 32 bits: room beyond them is room enough.
  const std::uint64_t wide = overlay.end - at;
  const std::uint32_t room = wide >> 32 ? 0xFFFFFFFF : static_cast<std::uint32_t>(wide);
  // The magic, then the cabinet's length at 8.
  if (room < 4 || !file.ReadAt(at, b, room < 12 ? 4 : 12) || std::memcmp(b, kCabinetMagic, 4) != 0)
    return payload;
  payload.state = PayloadState::kDamaged;
  payload.cabinetStart = at;
  if (room < kFooterSize)
    return payload;
  const std::uint32_t size = Le32(b + 8);
  payload.cabinetSize = size;
  if (size > room - kFooterSize || !file.ReadAt(at + size, b, kFooterSize) ||
      std::memcmp(b, kFooterMagic, sizeof kFooterMagic) != 0 || Le32(b + 8) != size)
    return payload;
  if (verify) {
    if (!buffer || !bufferSize) {  // the footer's bytes are read: its room will do
      buffer = b + 8;
      bufferSize = 4;
    }
    const std::uint32_t expected = Le32(b + 12);
    std::uint32_t crc = 0;
    for (std::uint32_t done = 0; done < size;) {
      const std::size_t piece = size - done < bufferSize ? size - done : bufferSize;
      if (!file.ReadAt(at + done, buffer, piece))
        return payload;
      crc = Crc32(crc, buffer, piece);
      done += static_cast<std::uint32_t>(piece);
    }
    if (crc != expected)
      return payload;
  }
  payload.state = PayloadState::kIntact;
  return payload;
}

bool IsPayloadName(const wchar_t* name) {
  const wchar_t* p = name;
  bool named = false;  // something but dots and spaces
  for (; *p; ++p) {
    if (*p < L' ' || (*p < 0x80 && std::strchr("\\/:*?\"<>|", static_cast<char>(*p))))
      return false;
    named = named || (*p != L'.' && *p != L' ');
  }
  return named && !IsDeviceName(name);
}
