// The packed program being written: a temporary file beside its final name, renamed over it once
// complete and removed on any failure, so that neither name ever holds a partial program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/byte_source.h"

class OutputFile final : public ByteSource {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Removes the temporary file unless Commit renamed it.
  ~OutputFile();

  // Creates the temporary file in the folder of `path`. False, with `error` set, when it cannot.
  bool Create(const std::string& path, std::string* error);
  bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
  bool ReadAt(std::uint64_t offset, void* buf, std::size_t count) override;
  // Writes the file out to the disk, closes it and renames it to `path`.
  bool Commit(std::string* error);
  // "cannot write PATH: " and what the system said of the last write or read that failed.
  std::string Failure() const;

 private:
  void Discard();

  std::string path_;
  std::string temp_;
  std::intptr_t handle_ = -1;  // a descriptor, or a Windows handle
  int error_ = 0;
};
