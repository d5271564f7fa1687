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
