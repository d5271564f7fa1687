// Who may change a folder, from the owner and DACL bytes the system keeps.
#include "common/folder_access.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void Put32(Bytes& b, std::uint32_t v) {
  for (int k = 0; k < 4; ++k)
    b.push_back(static_cast<unsigned char>(v >> (8 * k)));
}

// "S-1-5-32-544" in the binary form.
Bytes Sid(const std::string& text) {
  std::vector<std::uint32_t> parts;
  for (std::size_t at = 2; at < text.size();) {
    std::size_t end = text.find('-', at);
    parts.push_back(static_cast<std::uint32_t>(std::stoul(text.substr(at, end - at))));
    at = end == std::string::npos ? text.size() : end + 1;
  }
  Bytes b = {1, static_cast<unsigned char>(parts.size() - 2), 0, 0, 0, 0,
             0, static_cast<unsigned char>(parts[1])};
  for (std::size_t k = 2; k < parts.size(); ++k)
    Put32(b, parts[k]);
  return b;
}

struct Ace {
  unsigned char type;
  unsigned char flags;
  std::uint32_t mask;
  std::string sid;
};

Bytes Acl(const std::vector<Ace>& aces) {
  Bytes b = {2, 0, 0, 0, static_cast<unsigned char>(aces.size()), 0, 0, 0};
  for (const Ace& a : aces) {
    Bytes sid = Sid(a.sid);
    b.push_back(a.type);
    b.push_back(a.flags);
    b.push_back(static_cast<unsigned char>(8 + sid.size()));
    b.push_back(0);
    Put32(b, a.mask);
    b.insert(b.end(), sid.begin(), sid.end());
  }
  b[2] = static_cast<unsigned char>(b.size());
  return b;
}

constexpr char kAdmins[] = "S-1-5-32-544";
constexpr char kSystem[] = "S-1-5-18";
constexpr char kUsers[] = "S-1-5-32-545";
constexpr char kAuthenticated[] = "S-1-5-11";
constexpr char kSelf[] = "S-1-5-21-1-2-3-1000";
constexpr std::uint32_t kFull = 0x1f01ff, kReadRun = 0x1200a9, kModify = 0x1301bf;
constexpr unsigned char kOiCi = 3, kInheritOnly = 8, kInherited = 0x10;

TEST(FolderAccess, FromOwnerAndDacl) {
  const std::vector<Ace> admin = {{0, kOiCi, kFull, kSystem}, {0, kOiCi, kFull, kAdmins}};
  struct Case {
    const char* what;
    std::string owner;
    std::vector<Ace> aces;
    FolderAccess access;
  } cases[] = {
      {"own folder", kAdmins, {{0, kOiCi, kReadRun, kUsers}}, FolderAccess::kAdministrators},
      {"owned by the user running setup",
       kSelf,
       {{0, kOiCi, kFull, kSelf}},
       FolderAccess::kAdministrators},
      {"owned by TrustedInstaller",
       "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
       {},
       FolderAccess::kAdministrators},
      {"owned by another user", "S-1-5-21-1-2-3-1001", {}, FolderAccess::kOtherOwner},
      {"below C:\\: authenticated users modify",
       kAdmins,
       {{0, kOiCi | kInherited, kModify, kAuthenticated}},
       FolderAccess::kOthersMayChange},
      {"users may add folders only",
       kAdmins,
       {{0, 0, 0x4, kUsers}},
       FolderAccess::kOthersMayChange},
      {"users may change what is made in it",
       kAdmins,
       {{0, kOiCi | kInheritOnly, 0x40000000, kUsers}},
       FolderAccess::kOthersMayChange},
      {"creator owner: setup itself",
       kAdmins,
       {{0, kOiCi | kInheritOnly, 0x10000000, "S-1-3-0"}},
       FolderAccess::kAdministrators},
      {"a denial takes nothing away",
       kAdmins,
       {{1, kOiCi, kFull, "S-1-1-0"}},
       FolderAccess::kAdministrators},
      {"an object entry is not taken apart",
       kAdmins,
       {{5, 0, 0x2, kAdmins}},
       FolderAccess::kOthersMayChange},
      {"everyone reads", kAdmins, {{0, kOiCi, kReadRun, "S-1-1-0"}}, FolderAccess::kAdministrators},
  };
  Bytes self = Sid(kSelf);
  for (const Case& c : cases) {
    Bytes owner = Sid(c.owner);
    std::vector<Ace> aces = admin;
    aces.insert(aces.end(), c.aces.begin(), c.aces.end());
    Bytes dacl = Acl(aces);
    EXPECT_EQ(FolderAccessFrom(owner.data(), owner.size(), dacl.data(), dacl.size(), self.data(),
                               self.size()),
              c.access)
        << c.what;
  }
}

TEST(FolderAccess, MissingOrDamagedParts) {
  Bytes owner = Sid(kAdmins);
  Bytes dacl = Acl({{0, 0, kFull, kAdmins}});
  Bytes longAce = dacl;
  longAce[10] = 200;  // the entry's size runs past the list
  Bytes cutOwner(owner.begin(), owner.end() - 1);
  EXPECT_EQ(FolderAccessFrom(owner.data(), owner.size(), nullptr, 0, nullptr, 0),
            FolderAccess::kOthersMayChange);  // no DACL: everybody may do everything
  EXPECT_EQ(FolderAccessFrom(nullptr, 0, dacl.data(), dacl.size(), nullptr, 0),
            FolderAccess::kUnreadable);
  EXPECT_EQ(
      FolderAccessFrom(cutOwner.data(), cutOwner.size(), dacl.data(), dacl.size(), nullptr, 0),
      FolderAccess::kUnreadable);
  EXPECT_EQ(
      FolderAccessFrom(owner.data(), owner.size(), longAce.data(), longAce.size(), nullptr, 0),
      FolderAccess::kUnreadable);
  EXPECT_EQ(FolderAccessFrom(owner.data(), owner.size(), dacl.data(), dacl.size() - 1, nullptr, 0),
            FolderAccess::kUnreadable);
  Bytes shortHeader = dacl;
  shortHeader[2] = 4;  // a list shorter than its own header
  EXPECT_EQ(FolderAccessFrom(owner.data(), owner.size(), shortHeader.data(), shortHeader.size(),
                             nullptr, 0),
            FolderAccess::kUnreadable);
  Bytes empty = Acl({});
  EXPECT_EQ(FolderAccessFrom(owner.data(), owner.size(), empty.data(), empty.size(), nullptr, 0),
            FolderAccess::kAdministrators);
}

TEST(FolderAccess, OwnAclLetsUsersOnlyReadAndRun) {
  unsigned char acl[128];
  std::size_t size = WriteOwnFolderAcl(acl, sizeof acl);
  Bytes expected =
      Acl({{0, kOiCi, kFull, kSystem}, {0, kOiCi, kFull, kAdmins}, {0, kOiCi, kReadRun, kUsers}});
  EXPECT_EQ(Bytes(acl, acl + size), expected);
  EXPECT_EQ(WriteOwnFolderAcl(acl, size - 1), 0u);
}

}  // namespace
