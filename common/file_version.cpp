#include "common/file_version.h"

#include "common/bounded_text.h"

namespace {

// Appends `value` in decimal; the room is always there for four 16-bit numbers.
wchar_t* PutNumber(wchar_t* out, unsigned value) {
  wchar_t digits[6];
  int count = 0;
  do {
    digits[count++] = static_cast<wchar_t>('0' + value % 10);
    value /= 10;
  } while (value);
  while (count)
    *out++ = digits[--count];
  return out;
}

}  // namespace

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
  wchar_t* out = text;
  for (int k = 0; k < 4; ++k) {
    if (k)
      *out++ = '.';
    out = PutNumber(out, parts[k]);
  }
  *out = '\0';
  return true;
}
