// SHA-256 (FIPS 180-4), for the hash a package manager's manifest gives the installer. Portable,
// so that both builds of setup-check compute it with the same code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
 public:
  Sha256();
  void Add(const void* data, std::size_t size);
  // The digest in upper-case hexadecimal, as package manifests write it. Ends the hash.
  std::string Hex();

 private:
  void Block(const unsigned char* block);

  std::uint32_t state_[8];
  unsigned char pending_[64];
  std::size_t pendingSize_ = 0;
  std::uint64_t total_ = 0;  // bytes added
};

// The SHA-256 of the file at `path` in upper-case hexadecimal; false when it cannot be read.
bool Sha256OfFile(const std::string& path, std::string* hex);
