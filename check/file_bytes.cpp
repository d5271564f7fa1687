#include "check/file_bytes.h"

#include <sys/types.h>

#include <cstdint>

bool FileBytes::ReadAt(std::uint64_t offset, void* buf, std::size_t count) {
  if (offset > INT64_MAX)
    return false;
#ifdef _WIN32
  if (_fseeki64(file_, static_cast<long long>(offset), SEEK_SET) != 0)
#else
  if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0)
#endif
    return false;
  return std::fread(buf, 1, count, file_) == count;
}

bool FileBytes::Size(std::uint64_t* size) {
#ifdef _WIN32
  const long long end = _fseeki64(file_, 0, SEEK_END) == 0 ? _ftelli64(file_) : -1;
#else
  const off_t end = fseeko(file_, 0, SEEK_END) == 0 ? ftello(file_) : -1;
#endif
  *size = static_cast<std::uint64_t>(end);
  return end >= 0;
}
