// The payload's cabinet: written by the system's own cabinet library (libgcab on Linux, FCI in
// cabinet.dll on Windows) in the one layout setup reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack/output_file.h"

// The cabinet's one fixed date, 1980-01-01 00:00, the earliest a cabinet can hold: the same
// files give the same bytes whenever they are packed.
constexpr unsigned kCabinetDate = 1 << 5 | 1;  // MS-DOS date: (year - 1980) << 9 | month << 5 | day
constexpr unsigned kCabinetTime = 0;

// Writes an MSZIP cabinet of one folder holding the files `names` of `folder`, in that order,
// into `out` from offset `at`. Names are stored in UTF-8, flagged as such (_A_NAME_IS_UTF) where
// they are not plain ASCII; every file gets the fixed date and no other attribute. Sets `*size`
// to the cabinet's length; false, with `error` set, when a file cannot be read or `out` written.
bool WriteCabinet(const std::string& folder, const std::vector<std::string>& names, OutputFile& out,
                  std::uint64_t at, std::uint32_t* size, std::string* error);
