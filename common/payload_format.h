// The payload of a packed setup program: setup.exe, then a Microsoft cabinet (MSZIP) of the files
// setup copies (setup.inf first), then a footer with the cabinet's length and its CRC-32. The
// payload starts after the last section's raw data; Authenticode signing may add its certificate
// table after the footer, with padding, and points at it from the security directory. The
// cabinet's length is read from its own header, never from the file's end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/byte_source.h"

// "LSPAYLD1", the cabinet's length and its CRC-32, little-endian.
constexpr std::size_t kFooterSize = 16;
constexpr unsigned char kFooterMagic[8] = {'L', 'S', 'P', 'A', 'Y', 'L', 'D', '1'};

void WriteFooter(std::uint32_t cabinetSize, std::uint32_t cabinetCrc,
                 unsigned char (&footer)[kFooterSize]);

// CRC-32 as zlib computes it, continued over consecutive pieces from `crc` (0 to start).
std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);

// Where the bytes after a PE image's sections lie: [start, end), `end` being the start of the
// certificate table or the file's end.
struct Overlay {
  std::uint64_t start;
  std::uint64_t end;
};

enum class OverlayRead {
  kNotPe,  // no PE image, or its headers are cut or do not add up
  kRead,   // `overlay` filled (empty when start == end)
};
OverlayRead ReadOverlay(ByteSource& file, std::uint64_t fileSize, Overlay* overlay);

enum class PayloadState {
  kNone,     // nothing after the sections, or no cabinet there: a folder distribution
  kIntact,   // a cabinet, its footer, and the CRC-32 holds
  kDamaged,  // a cabinet begins there, but it is cut short, its footer is missing or wrong, or
             // its CRC-32 does not hold: a partial download or a flipped byte
};

struct Payload {
  PayloadState state;
  std::uint64_t cabinetStart;  // in the file
  std::uint32_t cabinetSize;   // from the cabinet's header
};

// Finds the payload of the file and, when `verify`, reads the whole cabinet once to check its
// CRC-32 (through `buffer`, `bufferSize` bytes at a time). Without `verify` an intact-looking
// payload is kIntact. A file that is no PE image has none.
Payload FindPayload(ByteSource& file, std::uint64_t fileSize, bool verify, unsigned char* buffer,
                    std::size_t bufferSize);

// True for a name the payload may give a file to write into the target folder: a single name
// that is not empty, not only dots and spaces, holds no control character and none of
// \ / : * ? " < > |, and is no device name (see IsDeviceName).
bool IsPayloadName(const wchar_t* name);
