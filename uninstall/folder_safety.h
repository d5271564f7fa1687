// Whether the folder recorded as InstallTo may be emptied. The installer took whatever folder
// the user typed, years ago perhaps; the uninstaller removes files directly in it, so a folder
// that holds anything of Windows or of a user is refused before a single file is touched.
#pragma once

#include "description/setup_settings.h"

class FileOps;
struct UninstallerSystem;

enum class FolderVerdict {
  kSafe,       // an existing folder, reached without links, that holds no system or user folder
  kGone,       // it, or a folder on the way to it, no longer exists
  kEmpty,      // nothing was recorded
  kRelative,   // not a full path
  kInvalid,    // not a name any folder can have
  kOddPart,    // a part made only of dots or spaces
  kDriveRoot,  // the root of a drive or share
  kWindows,    // the Windows folder or one inside it
  kProtected,  // a special folder of Windows or of a user, or a folder that holds one
  kProfile,    // a user's profile folder
  kInUsers,    // inside the folder of all users' profiles, but not a per-user programs folder
  kLink,       // reached through a link or junction, which may lead anywhere
  kNotFolder,  // a file
};

struct FolderCheck {
  FolderVerdict verdict;
  char folder[kPathCapacity];  // InstallTo as NormalizeFolderPath spells it; empty if it cannot
  char detail[kPathCapacity];  // the folder it is or holds, or the link on the way to it
};

// Checks `installTo` and fills `check`. Asks the platform for the path's parts, the Windows
// folder and the special folders; changes nothing.
FolderVerdict CheckInstallFolder(const UninstallerSystem& system, const char* installTo,
                                 FolderCheck& check);

// Walks check.folder's parts from the first below the root: each must be a real folder, not a
// link or junction. kSafe, or the verdict and detail of the first part that is not.
FolderVerdict CheckFolderParts(FileOps& files, FolderCheck& check);

// What a path names, as a listing of it reports it.
enum class PathKind { kMissing, kFile, kFolder, kLink };
PathKind ExaminePath(FileOps& files, const char* path);
