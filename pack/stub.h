// setup.exe as the head of a packed program, and the image checksum of the packed file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class StubRead {
  kRead,
  kCannotOpen,  // the file cannot be opened or read
  kNotPe,       // no PE image, or its headers do not add up
};

// Reads the PE image at `path` up to the end of its sections' raw data: COFF symbols, a
// certificate table and an earlier payload after them stay behind, and so do the fields that
// pointed there (PointerToSymbolTable, NumberOfSymbols, the certificate table's directory entry).
// The CheckSum field, at `*checkSumAt`, is zeroed for PeChecksum to count.
StubRead ReadStub(const std::string& path, std::string* stub, std::size_t* checkSumAt);

// The optional header's CheckSum for the bytes of a file fed in order, its CheckSum field zero:
// the file's 16-bit little-endian words added with their carries folded back in, plus its length.
class PeChecksum {
 public:
  void Add(const void* data, std::size_t size);
  std::uint32_t Value() const;

 private:
  std::uint32_t sum_ = 0;
  std::uint64_t length_ = 0;
};
