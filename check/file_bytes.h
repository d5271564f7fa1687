// A file read where asked, for the host tools' readers of program files. 64-bit offsets: a packed
// program's payload may lie beyond 2 GB.
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/byte_source.h"

class FileBytes final : public ByteSource {
 public:
  explicit FileBytes(std::FILE* file) : file_(file) {}
  bool ReadAt(std::uint64_t offset, void* buf, std::size_t count) override;
  // The file's length; false when it cannot be told.
  bool Size(std::uint64_t* size);

 private:
  std::FILE* file_;
};
