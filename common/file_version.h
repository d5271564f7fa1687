// A program file's version resource, as far as the list of installed programs shows it: the
// product's version and its publisher. Filled by the system's version library on Windows
// (FileOps::ReadFileVersion) and by setup-check's own reader of the file elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kVersionTextCapacity = 128;  // characters, terminator included

struct FileVersion {
  bool found;                                    // the file has a version resource at all
  wchar_t productVersion[kVersionTextCapacity];  // its ProductVersion string, or empty
  wchar_t companyName[kVersionTextCapacity];     // its CompanyName string, or empty
  bool hasFixed;                                 // the fixed part (VS_FIXEDFILEINFO) was read
  std::uint32_t fileVersionMs;                   // dwFileVersionMS: major << 16 | minor
  std::uint32_t fileVersionLs;                   // dwFileVersionLS: build << 16 | revision
};

// The entry's DisplayVersion: the ProductVersion string, else the fixed file version as
// "a.b.c.d". False, with `text` empty, when the resource gives neither.
bool ComposeDisplayVersion(const FileVersion& version, wchar_t (&text)[kVersionTextCapacity]);
