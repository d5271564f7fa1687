// File names compared the way Windows file systems compare them.
#pragma once

#include <string>

// Equal but for the case of ASCII letters; other bytes compare exactly.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);
