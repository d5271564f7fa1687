// The shortcuts setup recorded (InstalledShortcuts): where each lies now, and so whether the
// uninstaller may delete it. The record is setup's, but the folders it names may have changed.
#pragma once

struct UninstallerSystem;

enum class ShortcutPlace {
  kDesktopLink,  // a .lnk directly in the desktop folder
  kGroupLink,    // a .lnk in a group directly in the Start menu's programs folder
  kGroup,        // such a group (recorded with a trailing backslash)
  kMissing,      // nothing there any more
  kElsewhere,    // any other place, or a path setup would not have written
  kThroughLink,  // reached through a link or junction, or a link itself
  kNotPlain,     // not a plain file (a .lnk) or a real folder (a group)
};

// Where `recorded` lies now: the special folders as they resolve for the running family,
// compared as folders are, and each folder on the way walked for links.
ShortcutPlace PlaceOfRecorded(const UninstallerSystem& system, const char* recorded);

// Why a recorded path in `place` is left, for the log and the report.
const char* WhyLeft(ShortcutPlace place);
