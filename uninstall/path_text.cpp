#include "uninstall/path_text.h"

#include <cstring>

#include "common/names.h"

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Characters that no name of a file or folder holds. A colon is allowed only after a drive
// letter; anywhere else it names a stream or a device.
bool HoldsForbiddenChar(const char* path) {
  for (const char* p = path; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c < 32 || std::strchr("*?\"<>|", c) || (c == ':' && p != path + 1))
      return true;
  }
  return false;
}

PathForm Normalize(const char* path, char (&out)[kPathCapacity]) {
  out[0] = '\0';
  if (path[0] == '\0')
    return PathForm::kEmpty;
  if (std::strlen(path) >= sizeof out)
    return PathForm::kInvalid;
  if (HoldsForbiddenChar(path))
    return PathForm::kInvalid;

  const char* rest;
  std::size_t length;
  if (IsAsciiLetter(path[0]) && path[1] == ':') {
    if (!IsSeparator(path[2]))
      return PathForm::kRelative;
    out[0] = path[0];
    out[1] = ':';
    out[2] = '\\';
    length = 3;
    rest = path + 3;
  } else if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    // "\\server\share": both must be there. "\\?\" and "\\.\" open device paths, which the
    // installer never writes.
    const char* server = path + 2;
    const char* serverEnd = server;
    while (*serverEnd && !IsSeparator(*serverEnd))
      ++serverEnd;
    const char* share = serverEnd;
    while (IsSeparator(*share))
      ++share;
    const char* shareEnd = share;
    while (*shareEnd && !IsSeparator(*shareEnd))
      ++shareEnd;
    if (serverEnd == server || shareEnd == share || OnlyDotsAndSpaces(server, serverEnd) ||
        (serverEnd - server == 1 && *server == '?'))
      return PathForm::kInvalid;
    out[0] = out[1] = '\\';
    length = 2;
    std::memcpy(out + length, server, serverEnd - server);
    length += serverEnd - server;
    out[length++] = '\\';
    std::memcpy(out + length, share, shareEnd - share);
    length += shareEnd - share;
    rest = shareEnd;
  } else {
    return PathForm::kRelative;
  }

  // Each following part, separated from the previous one by exactly one backslash. The result
  // is never longer than the input, which fits.
  bool rootEndsInSeparator = out[length - 1] == '\\';
  while (*rest) {
    while (IsSeparator(*rest))
      ++rest;
    const char* end = rest;
    while (*end && !IsSeparator(*end))
      ++end;
    if (end == rest)
      break;
    if (OnlyDotsAndSpaces(rest, end))
      return PathForm::kOddPart;
    if (!rootEndsInSeparator)
      out[length++] = '\\';
    rootEndsInSeparator = false;
    std::memcpy(out + length, rest, end - rest);
    length += end - rest;
    rest = end;
  }
  out[length] = '\0';
  return PathForm::kFull;
}

}  // namespace

PathForm NormalizeFolderPath(const char* path, char (&out)[kPathCapacity]) {
  PathForm form = Normalize(path, out);
  if (form != PathForm::kFull)
    out[0] = '\0';
  return form;
}

std::size_t RootLength(const char* normalized) {
  if (normalized[0] != '\\')
    return 3;
  // "\\server\share": up to the separator after the share, or the end.
  const char* share = std::strchr(normalized + 2, '\\');
  if (!share)
    return std::strlen(normalized);
  const char* end = std::strchr(share + 1, '\\');
  return end ? static_cast<std::size_t>(end - normalized) : std::strlen(normalized);
}

bool ParentFolder(const char* normalized, char (&parent)[kPathCapacity]) {
  std::size_t root = RootLength(normalized);
  std::size_t length = std::strlen(normalized);
  if (length <= root || length >= sizeof parent)
    return false;
  const char* last = std::strrchr(normalized, '\\');
  std::size_t cut = static_cast<std::size_t>(last - normalized);
  // The parent of "C:\Apps" is the root "C:\", which keeps its separator.
  if (cut < root)
    cut = root;
  // `parent` may be `normalized` itself.
  std::memmove(parent, normalized, cut);
  parent[cut] = '\0';
  return true;
}
