// LinkInfo: what one shortcut holds. The texts belong to the caller.
#pragma once

#include <cstdint>

struct LinkInfo {
  const char* Target;       // full path of the file the shortcut starts
  const char* WorkingDir;   // folder the program starts in
  const char* Description;  // tool tip
  std::uint16_t Hotkey;     // always 0; not applied
  const char* IconFile;     // may be null; not applied
  std::uint16_t IconIndex;  // 0 when an icon file is given; not applied
};
