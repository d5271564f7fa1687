#include "pack/output_file.h"

#include <windows.h>

namespace {

HANDLE AsHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// Synchronous handles take an offset in OVERLAPPED too: no separate seek to go wrong.
OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

std::string SystemMessage(DWORD error) {
  char text[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, text, sizeof text, nullptr);
  while (length &&
         (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == '.'))
    --length;
  return length ? std::string(text, length) : "error " + std::to_string(error);
}

}  // namespace

OutputFile::~OutputFile() {
  Discard();
}

void OutputFile::Discard() {
  if (handle_ != -1)
    CloseHandle(AsHandle(handle_));
  if (!temp_.empty())
    DeleteFileA(temp_.c_str());
  handle_ = -1;
  temp_.clear();
}

bool OutputFile::Create(const std::string& path, std::string* error) {
  Discard();
  path_ = path;
  // A name no one else uses: this process's number, and a count past any left by another.
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string temp =
        path + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<std::intptr_t>(file);
      temp_ = temp;
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS)
      break;
  }
  *error = "cannot create a file beside " + path + ": " + SystemMessage(GetLastError());
  return false;
}

bool OutputFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size) {
    const DWORD piece = size < 0x40000000 ? static_cast<DWORD>(size) : 0x40000000;
    OVERLAPPED at = At(offset);
    DWORD done = 0;
    if (!WriteFile(AsHandle(handle_), p, piece, &done, &at)) {
      error_ = static_cast<int>(GetLastError());
      return false;
    }
    if (done == 0) {
      error_ = ERROR_WRITE_FAULT;
      return false;
    }
    p += done;
    size -= done;
    offset += done;
  }
  return true;
}

bool OutputFile::ReadAt(std::uint64_t offset, void* buf, std::size_t count) {
  char* p = static_cast<char*>(buf);
  while (count) {
    const DWORD piece = count < 0x40000000 ? static_cast<DWORD>(count) : 0x40000000;
    OVERLAPPED at = At(offset);
    DWORD done = 0;
    if (!ReadFile(AsHandle(handle_), p, piece, &done, &at)) {
      error_ = static_cast<int>(GetLastError());
      return false;
    }
    if (done == 0) {
      error_ = ERROR_HANDLE_EOF;
      return false;
    }
    p += done;
    count -= done;
    offset += done;
  }
  return true;
}

bool OutputFile::Commit(std::string* error) {
  HANDLE file = AsHandle(handle_);
  handle_ = -1;
  bool written = FlushFileBuffers(file) != FALSE;
  DWORD why = GetLastError();
  if (!CloseHandle(file) && written) {
    written = false;
    why = GetLastError();
  }
  if (written && !MoveFileExA(temp_.c_str(), path_.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    written = false;
    why = GetLastError();
  }
  if (!written) {
    *error = "cannot write " + path_ + ": " + SystemMessage(why);
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

std::string OutputFile::Failure() const {
  return "cannot write " + path_ + ": " + SystemMessage(static_cast<DWORD>(error_));
}
