#include "pack/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

OutputFile::~OutputFile() {
  Discard();
}

void OutputFile::Discard() {
  if (handle_ >= 0)
    close(static_cast<int>(handle_));
  if (!temp_.empty())
    unlink(temp_.c_str());
  handle_ = -1;
  temp_.clear();
}

bool OutputFile::Create(const std::string& path, std::string* error) {
  Discard();
  path_ = path;
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) {
    *error = "cannot create a file beside " + path + ": " + std::strerror(errno);
    return false;
  }
  handle_ = fd;
  temp_ = temp;
  // mkstemp keeps the file to its owner; the program gets the mode any new file would.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  return true;
}

bool OutputFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size) {
    const ssize_t done = pwrite(static_cast<int>(handle_), p, size, static_cast<off_t>(offset));
    if (done <= 0) {
      error_ = done < 0 ? errno : ENOSPC;
      return false;
    }
    p += done;
    size -= static_cast<std::size_t>(done);
    offset += static_cast<std::uint64_t>(done);
  }
  return true;
}

bool OutputFile::ReadAt(std::uint64_t offset, void* buf, std::size_t count) {
  char* p = static_cast<char*>(buf);
  while (count) {
    const ssize_t done = pread(static_cast<int>(handle_), p, count, static_cast<off_t>(offset));
    if (done <= 0) {
      error_ = done < 0 ? errno : EIO;
      return false;
    }
    p += done;
    count -= static_cast<std::size_t>(done);
    offset += static_cast<std::uint64_t>(done);
  }
  return true;
}

bool OutputFile::Commit(std::string* error) {
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  bool written = fsync(fd) == 0;
  int why = errno;
  if (close(fd) != 0 && written) {
    written = false;
    why = errno;
  }
  if (written && std::rename(temp_.c_str(), path_.c_str()) != 0) {
    written = false;
    why = errno;
  }
  if (!written) {
    *error = "cannot write " + path_ + ": " + std::strerror(why);
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

std::string OutputFile::Failure() const {
  return "cannot write " + path_ + ": " + std::strerror(error_);
}
