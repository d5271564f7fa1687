// The version resource of a Windows program file (a PE image), read from its bytes without any
// Windows call: the fields the installer takes from the system's version library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/byte_source.h"
#include "common/file_version.h"

// Fills `version` from the image's version resource (RT_VERSION, VS_VERSION_INFO): the fixed
// file version, and ProductVersion and CompanyName from the string table of the first language
// that \VarFileInfo\Translation lists. False, with `version` zero-filled, when the image has no
// version resource or its root block does not parse; a part that is missing, does not parse or
// does not fit is left empty.
bool ReadVersionResource(ByteSource& image, FileVersion& version);
bool ReadVersionResource(const unsigned char* data, std::size_t size, FileVersion& version);

// The same for the file at `path`, of which only the headers and the resource are read.
bool ReadFileVersionResource(const std::string& path, FileVersion& version);
