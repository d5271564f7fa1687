// Windows paths as text: putting a recorded folder in one spelling, its root and parent. Bytes
// in the ANSI code page, never read as multibyte characters; only ASCII letters compare without
// regard to case.
#pragma once

#include <cstddef>

#include "common/names.h"
#include "description/setup_settings.h"

enum class PathForm {
  kFull,  // "X:\..." or "\\server\share\..."
  kEmpty,
  kRelative,  // depends on the current folder or drive: "Apps", "\Apps", "C:Apps", "C:"
  kInvalid,   // characters no folder name holds, a device path, a UNC path without its share
  kOddPart,   // a part made only of dots or spaces, such as "..", which Windows reads as
              // another folder
};

// Puts a full folder path in the spelling every later step uses: "/" read as "\", each run of
// separators made one (the two that open a UNC path excepted), no separator at the end except
// a drive root's. "C:\\Tiny Notes\" becomes "C:\Tiny Notes". `out` holds the result only for
// kFull; it is never longer than `path`.
PathForm NormalizeFolderPath(const char* path, char (&out)[kPathCapacity]);

// The length of the root of a normalized full path: 3 for "C:\", the length of
// "\\server\share" for a UNC path.
std::size_t RootLength(const char* normalized);

// The folder that holds a normalized path: "C:\Apps" for "C:\Apps\Viewer", "C:\" for "C:\Apps".
// False for a root.
bool ParentFolder(const char* normalized, char (&parent)[kPathCapacity]);
