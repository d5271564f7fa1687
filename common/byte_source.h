// Random access to a file's bytes, for readers that need only a few ranges of a large file.
#pragma once

#include <cstddef>
#include <cstdint>

class ByteSource {
 public:
  // Copies `count` bytes at `offset` into `buf`; false unless every one of them was there.
  virtual bool ReadAt(std::uint64_t offset, void* buf, std::size_t count) = 0;

 protected:
  ~ByteSource() = default;
};

// Little-endian numbers in a file's bytes, as PE images, cabinets and the payload's footer keep
// them.
inline std::uint16_t Le16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t Le32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline void PutLe32(unsigned char* p, std::uint32_t value) {
  for (int k = 0; k < 4; ++k, value >>= 8)
    p[k] = static_cast<unsigned char>(value);
}
