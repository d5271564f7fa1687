#include "check/check_warning.h"

#include <algorithm>

void SortWarnings(CheckWarnings* warnings) {
  std::stable_sort(warnings->begin(), warnings->end(),
                   [](const CheckWarning& a, const CheckWarning& b) { return a.line < b.line; });
}
