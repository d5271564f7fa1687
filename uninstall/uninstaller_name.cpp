#include "uninstall/uninstaller_name.h"

#include <cstring>

#include "integration/uninstall_registration.h"
#include "uninstall/path_text.h"

bool FolderNameFromUninstaller(const char* ownPath, char (&folderName)[kTextCapacity]) {
  folderName[0] = '\0';
  const char* slash = std::strrchr(ownPath, '\\');
  const char* name = slash ? slash + 1 : ownPath;
  std::size_t length = std::strlen(name);
  std::size_t suffix = std::strlen(kUninstallerSuffix);
  // An empty FolderName would name the uninstall root itself as the key to delete.
  if (length <= suffix || length - suffix >= sizeof folderName ||
      !EndsWithIgnoringCase(name, kUninstallerSuffix))
    return false;
  std::memcpy(folderName, name, length - suffix);
  folderName[length - suffix] = '\0';
  return true;
}
