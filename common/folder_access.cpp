#include "common/folder_access.h"

#include <cstdint>
#include <cstring>

#include "common/byte_source.h"

namespace {

// SIDs: revision 1, the count of sub-authorities, a 48-bit authority (big-endian), then the
// sub-authorities (little-endian).
constexpr unsigned char kSystem[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
constexpr unsigned char kAdministrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};
constexpr unsigned char kUsers[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 2, 0, 0};
// NT SERVICE\TrustedInstaller, which owns the system's own folders.
constexpr unsigned char kTrustedInstaller[] = {
    1,    6,    0,    0,    0,    0,    0,    5,    80,   0,    0,    0,    0xb5, 0x89, 0xfb, 0x38,
    0x19, 0x84, 0xc2, 0xcb, 0x5c, 0x6c, 0x23, 0x6d, 0x57, 0x00, 0x77, 0x6e, 0xc0, 0x02, 0x64, 0x87};
// CREATOR OWNER and CREATOR GROUP stand for whoever makes a file later: here, setup itself.
constexpr unsigned char kCreatorOwner[] = {1, 1, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0};
constexpr unsigned char kCreatorGroup[] = {1, 1, 0, 0, 0, 0, 0, 3, 1, 0, 0, 0};

// Entry types that allow: plain, compound, object, callback, callback object. Only the plain
// and callback ones keep the SID right after the mask.
constexpr unsigned char kAllowed = 0;
constexpr unsigned char kAllowedCallback = 9;

bool Allows(unsigned char type) {
  return type == kAllowed || type == 4 || type == 5 || type == kAllowedCallback || type == 11;
}

// Adding, writing, deleting, changing attributes and permissions, and the generic forms.
constexpr std::uint32_t kChangeRights = 0x2 | 0x4 | 0x10 | 0x40 | 0x100 | 0x10000 | 0x40000 |
                                        0x80000 | 0x02000000 | 0x10000000 | 0x40000000;
constexpr std::uint32_t kFullControl = 0x1f01ff;
constexpr std::uint32_t kReadAndRun = 0x1200a9;
constexpr unsigned char kInheritedByAll = 0x1 | 0x2;  // objects and containers

std::size_t SidLength(const unsigned char* sid, std::size_t bytes) {
  if (bytes < 8 || sid[0] != 1)
    return 0;
  std::size_t length = 8 + 4u * sid[1];
  return length <= bytes ? length : 0;
}

template <std::size_t N>
bool Is(const unsigned char* sid, std::size_t length, const unsigned char (&known)[N]) {
  return length == N && std::memcmp(sid, known, N) == 0;
}

bool Trusted(const unsigned char* sid, std::size_t length, const unsigned char* self,
             std::size_t selfLength) {
  return Is(sid, length, kSystem) || Is(sid, length, kAdministrators) ||
         Is(sid, length, kTrustedInstaller) ||
         (selfLength && length == selfLength && std::memcmp(sid, self, length) == 0);
}

std::size_t PutAce(unsigned char* at, const unsigned char* sid, std::size_t sidLength,
                   std::uint32_t mask) {
  std::size_t size = 8 + sidLength;
  at[0] = kAllowed;
  at[1] = kInheritedByAll;
  at[2] = static_cast<unsigned char>(size);
  at[3] = 0;
  PutLe32(at + 4, mask);
  std::memcpy(at + 8, sid, sidLength);
  return size;
}

}  // namespace

FolderAccess FolderAccessFrom(const void* owner, std::size_t ownerBytes, const void* dacl,
                              std::size_t daclBytes, const void* self, std::size_t selfBytes) {
  auto* selfSid = static_cast<const unsigned char*>(self);
  std::size_t selfLength = self ? SidLength(selfSid, selfBytes) : 0;
  auto* ownerSid = static_cast<const unsigned char*>(owner);
  std::size_t ownerLength = owner ? SidLength(ownerSid, ownerBytes) : 0;
  if (ownerLength == 0)
    return FolderAccess::kUnreadable;
  if (!Trusted(ownerSid, ownerLength, selfSid, selfLength))
    return FolderAccess::kOtherOwner;
  if (!dacl)
    return FolderAccess::kOthersMayChange;
  auto* acl = static_cast<const unsigned char*>(dacl);
  if (daclBytes < 8 || Le16(acl + 2) < 8 || Le16(acl + 2) > daclBytes)
    return FolderAccess::kUnreadable;
  std::size_t end = Le16(acl + 2);
  std::size_t at = 8;
  for (unsigned count = Le16(acl + 4); count > 0; --count) {
    if (end - at < 8 || Le16(acl + at + 2) < 8 || Le16(acl + at + 2) > end - at)
      return FolderAccess::kUnreadable;
    const unsigned char* ace = acl + at;
    std::size_t size = Le16(ace + 2);
    at += size;
    unsigned char type = ace[0];
    if (!Allows(type) || !(Le32(ace + 4) & kChangeRights))
      continue;
    if (type != kAllowed && type != kAllowedCallback)
      return FolderAccess::kOthersMayChange;
    const unsigned char* sid = ace + 8;
    std::size_t length = SidLength(sid, size - 8);
    if (length == 0)
      return FolderAccess::kUnreadable;
    if (!Trusted(sid, length, selfSid, selfLength) && !Is(sid, length, kCreatorOwner) &&
        !Is(sid, length, kCreatorGroup))
      return FolderAccess::kOthersMayChange;
  }
  return FolderAccess::kAdministrators;
}

std::size_t WriteOwnFolderAcl(unsigned char* buf, std::size_t cap) {
  constexpr std::size_t kSize = 8 + 3 * 8 + sizeof kSystem + sizeof kAdministrators + sizeof kUsers;
  if (cap < kSize)
    return 0;
  buf[0] = 2;  // ACL_REVISION
  buf[1] = 0;
  buf[2] = static_cast<unsigned char>(kSize);
  buf[3] = 0;
  buf[4] = 3;  // entries
  buf[5] = buf[6] = buf[7] = 0;
  std::size_t at = 8;
  at += PutAce(buf + at, kSystem, sizeof kSystem, kFullControl);
  at += PutAce(buf + at, kAdministrators, sizeof kAdministrators, kFullControl);
  at += PutAce(buf + at, kUsers, sizeof kUsers, kReadAndRun);
  return at;
}
