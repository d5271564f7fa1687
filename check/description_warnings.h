// Warnings about setup.inf itself: every line whose text the installer will read otherwise than
// its author probably meant.
#pragma once

#include <string>

#include "check/check_warning.h"
#include "check/description_lines.h"

struct SetupSettingsRecord;

// `bytes` are the file's bytes, `lines` the installer's lines of them, `settings` what the
// installer's reader made of them.
CheckWarnings DescriptionWarnings(const std::string& bytes, const std::vector<ReaderLine>& lines,
                                  const SetupSettingsRecord& settings);
