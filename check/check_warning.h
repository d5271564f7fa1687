// A warning of the checker: the line of setup.inf it is about and what the installer will make of
// it. Line 0 stands for the distribution folder as a whole.
#pragma once

#include <string>
#include <vector>

struct CheckWarning {
  int line;
  std::string text;
};

using CheckWarnings = std::vector<CheckWarning>;

// Sorts by line, keeping the order of warnings about the same line.
void SortWarnings(CheckWarnings* warnings);
