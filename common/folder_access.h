// Who may change a folder, read from its security descriptor as the system stores it: the
// owner's SID and the DACL, in their binary forms. Kept apart from the system's calls so that
// the decision is the same wherever the bytes come from.
#pragma once

#include <cstddef>

enum class FolderAccess {
  kNotKept,          // the system keeps no owners or permissions (the 95/98 family)
  kAdministrators,   // owned by administrators, the system or this user, and only they change it
  kOthersMayChange,  // someone else may add, change or delete in it, or change its permissions
  kOtherOwner,       // owned by someone else, who may give himself any right on it
  kUnreadable,       // its owner or permissions could not be read
};

// What the owner `owner` and the DACL `dacl` (null: none, which lets everybody do everything)
// allow, for a program running as the user `self`. Rights that files made in the folder will
// inherit count as well: a user who may change the program after it is copied is as bad as one
// who may change the folder. Deny entries are not subtracted; an allowing entry of a kind not
// taken apart here counts as letting others change it.
FolderAccess FolderAccessFrom(const void* owner, std::size_t ownerBytes, const void* dacl,
                              std::size_t daclBytes, const void* self, std::size_t selfBytes);

// Writes the DACL a folder of setup's own gets, protected from its parent's: full control for
// the system and administrators, read and run for users, passed on to what is made in it. The
// number of bytes written, or 0 when `cap` is too small.
std::size_t WriteOwnFolderAcl(unsigned char* buf, std::size_t cap);
