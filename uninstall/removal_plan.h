// What the uninstaller will remove, gathered before the question is asked: from its own file
// name, the uninstall key, the install folder's listing and the setup.inf copied into it.
#pragma once

#include "description/setup_settings.h"
#include "integration/platform.h"
#include "uninstall/folder_safety.h"
#include "uninstall/name_list.h"

struct UninstallerSystem;

enum class PlanStatus {
  kReady,          // files, shortcuts, key and the uninstaller itself
  kFolderGone,     // only the key and the uninstaller itself: nothing else can be named
  kNoOwnPath,      // its own file name cannot be read
  kBadName,        // not named "<FolderName> Uninstall.exe"
  kNoEntry,        // no uninstall key at all: removed already, or never installed
  kNotRegistered,  // no InstallTo in the uninstall key, or no key name for FolderName
  kNoRights,       // the key cannot be changed by this user
  kFolderRefused,  // InstallTo may not be emptied (FolderCheck says why)
  kNoDescription,  // setup.inf in InstallTo cannot be read
  kOtherProgram,   // setup.inf in InstallTo belongs to another FolderName
  kCannotList,     // the folder's listing did not fit in memory
};

// The uninstall key's record of the files setup copied (InstalledFiles).
enum class FileRecord {
  kMissing,     // an installation made before setup kept one: every file in the folder goes
  kRead,        // only the files it names go
  kUnreadable,  // there, but too large or of another type: no file goes
};

// The most the record may hold, in characters; the read adds two zeros.
constexpr std::size_t kRecordLimit = 64 * 1024;

struct RemovalPlan {
  char ownPath[kPathCapacity];
  char folderName[kTextCapacity];   // from the own file name
  char productName[kTextCapacity];  // setup.inf's ProductName; FolderName until it is read
  char otherName[kTextCapacity];    // for kOtherProgram: the FolderName setup.inf names
  char key[kPathCapacity];          // the uninstall key below HKEY_LOCAL_MACHINE
  char installTo[kPathCapacity];    // as recorded
  FolderCheck check;                // InstallTo: check.folder is its normalized spelling
  IdentityRead identityRead;        // the folder's identity, read with the listing
  FileIdentity identity;
  FileRecord record;
  NameList files;                   // the files directly in the folder that are removed
  NameList kept;                    // the files directly in it that stay: not in the record
  int keptFolders;                  // its sub-folders, which stay
  int keptLinks;                    // links and junctions in it, which are never touched
  char desktopLink[kPathCapacity];  // empty when it cannot be named
  char menuLinks[kMaxEntries][kPathCapacity];
  int menuLinkCount;
  int unnamedShortcuts;             // shortcuts whose names would lead out of their folder
  char groupName[kTextCapacity];    // ProductName, the Start-menu group
  bool groupLeadsOut;               // the group name is no single name: no Start-menu shortcut
  char group[kPathCapacity];        // the group folder, removed when empty; empty for none
  char linkedGroup[kPathCapacity];  // a group that is a link or junction, left with what it holds
  bool keepSelf;                    // the uninstaller's own file stays (/KEEPSELF)
  // The shortcuts setup recorded (InstalledShortcuts). With a record, setup.inf names none, the
  // fields above only describe it for the question, and `shortcuts` holds what is removed.
  FileRecord shortcutRecord;
  NameList shortcuts;
};

// Fills `plan` (zero-filled by the caller) and says whether, and what, can be removed. Reads
// only: nothing is changed.
PlanStatus PlanRemoval(const UninstallerSystem& system, RemovalPlan& plan);
