#include "common/file_version.h"

#include "common/bounded_text.h"

bool ComposeDisplayVersion(const FileVersion& version, wchar_t (&text)[kVersionTextCapacity]) {
  text[0] = '\0';
  if (!version.found)
    return false;
  if (version.productVersion[0])
    return CopyText(text, kVersionTextCapacity, version.productVersion);
  if (!version.hasFixed)
    return false;
  const unsigned parts[] = {version.fileVersionMs >> 16, version.fileVersionMs & 0xFFFF,
                            version.fileVersionLs >> 16, version.fileVersionLs & 0xFFFF};
  // Four numbers of at most five digits and their dots always fit.
  char shown[24] = {};
  char digits[11];
  for (int k = 0; k < 4; ++k) {
    if (k)
      AppendText(shown, ".");
    AppendText(shown, DecimalDigits(parts[k], digits));
  }
  std::size_t k = 0;
  do
    text[k] = static_cast<unsigned char>(shown[k]);
  while (shown[k++]);
  return true;
}
