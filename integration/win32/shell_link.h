// CreateLink: writes one .lnk file through the shell's link object.
#pragma once

#include <windows.h>

#include "integration/link_info.h"

// Applies the target, description and working folder of `info` (not its icon or hot key) and
// saves the link as `linkPath`, an ANSI path. Returns the result of the save, or the first
// failure before it; E_FAIL when `info` is null. COM must be initialised on the thread.
HRESULT CreateLink(const char* linkPath, const LinkInfo* info);
