#include "pack/stub.h"

#include <cstdio>
#include <cstring>

#include "check/file_bytes.h"
#include "common/payload_format.h"

namespace {

// Far more than any setup.exe: the stub is held in memory.
constexpr std::uint64_t kStubLimit = 1 << 30;

}  // namespace

StubRead ReadStub(const std::string& path, std::string* stub, std::size_t* checkSumAt) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return StubRead::kCannotOpen;
  FileBytes bytes(file);
  std::uint64_t size = 0;
  Overlay overlay = {};
  StubRead read = StubRead::kRead;
  if (!bytes.Size(&size))
    read = StubRead::kCannotOpen;
  else if (ReadOverlay(bytes, size, &overlay) != OverlayRead::kRead || overlay.start > kStubLimit)
    read = StubRead::kNotPe;
  if (read == StubRead::kRead) {
    stub->assign(static_cast<std::size_t>(overlay.start), '\0');
    if (!bytes.ReadAt(0, &(*stub)[0], stub->size()))
      read = StubRead::kCannotOpen;
  }
  std::fclose(file);
  if (read != StubRead::kRead)
    return read;

  // ReadOverlay found every field read here before the end of the section table.
  unsigned char* b = reinterpret_cast<unsigned char*>(&(*stub)[0]);
  const std::size_t pe = Le32(b + 0x3C);
  std::memset(b + pe + 12, 0, 8);  // PointerToSymbolTable, NumberOfSymbols
  const std::size_t optional = pe + 24;
  const std::size_t count = b[optional] == 0x0B && b[optional + 1] == 0x01 ? 92 : 108;
  if (Le32(b + optional + count) > 4)
    std::memset(b + optional + count + 4 + 4 * 8, 0, 8);  // IMAGE_DIRECTORY_ENTRY_SECURITY
  *checkSumAt = optional + 64;
  std::memset(b + *checkSumAt, 0, 4);
  return StubRead::kRead;
}

void PeChecksum::Add(const void* data, std::size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (std::size_t k = 0; k < size; ++k, ++length_) {
    sum_ += static_cast<std::uint32_t>(p[k]) << (length_ & 1 ? 8 : 0);
    sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
  }
}

std::uint32_t PeChecksum::Value() const {
  return static_cast<std::uint32_t>(sum_ + length_);
}
