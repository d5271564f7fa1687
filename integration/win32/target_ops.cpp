// The folder setup installs into: held, its permissions read and set, and every file written
// into it checked where it landed.
#include <aclapi.h>

#include "common/bounded_text.h"
#include "integration/win32/win32_platform.h"

namespace {

// advapi32's security calls, which the 95/98 family lacks or has as stubs.
struct SecurityCalls {
  decltype(&GetSecurityInfo) get;
  decltype(&SetSecurityInfo) set;
  decltype(&OpenProcessToken) openToken;
  decltype(&GetTokenInformation) tokenInformation;
};

template <class Call>
bool Find(HMODULE module, const char* name, Call* call) {
  *call = reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *call != nullptr;
}

bool FindSecurityCalls(SecurityCalls* calls) {
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  return advapi && Find(advapi, "GetSecurityInfo", &calls->get) &&
         Find(advapi, "SetSecurityInfo", &calls->set) &&
         Find(advapi, "OpenProcessToken", &calls->openToken) &&
         Find(advapi, "GetTokenInformation", &calls->tokenInformation);
}

// The SID of the user this program runs as, in `buf`; its length, or 0.
std::size_t OwnSid(const SecurityCalls& calls, unsigned char (&buf)[128]) {
  HANDLE token = nullptr;
  if (!calls.openToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return 0;
  UniqueHandle owned(token);
  alignas(8) unsigned char user[sizeof buf + sizeof(TOKEN_USER)];
  DWORD size = 0;
  if (!calls.tokenInformation(token, TokenUser, user, sizeof user, &size))
    return 0;
  PSID sid = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
  DWORD length = GetLengthSid(sid);
  if (length > sizeof buf)
    return 0;
  CopyMemory(buf, sid, length);
  return length;
}

constexpr int kFileAttributeTagInformation = 35;

bool IsPlainFile(DWORD attributes) {
  return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

}  // namespace

bool Win32Target::HoldTarget(const char* path) {
  if (held_)
    CloseHandle(held_);
  held_ = nullptr;
  nt_ = IsNtFamily();
  if (!nt_)
    return true;
  // Shared for reading and writing but not for deleting: while it is open, nobody can rename or
  // remove it, nor a folder above it. Its permissions are read and set through it.
  UniqueHandle folder(
      OpenNoFollow(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL | WRITE_DAC,
                   FILE_SHARE_READ | FILE_SHARE_WRITE));
  DWORD attributes = 0;
  if (!folder.IsValid() || !FindNtFileCalls(&calls_) ||
      !MultiByteToWideChar(CP_ACP, 0, path, -1, heldPath_, MAX_PATH) ||
      !IdentityOf(folder.Get(), &heldIdentity_, &attributes) || !IsRealFolder(attributes) ||
      !NameOf(calls_, folder.Get(), &heldName_))
    return false;
  held_ = folder.Release();
  return true;
}

FolderAccess Win32Target::TargetAccess() {
  SecurityCalls calls;
  if (!nt_ || !FindSecurityCalls(&calls))
    return FolderAccess::kNotKept;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!held_ ||
      calls.get(held_, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return FolderAccess::kUnreadable;
  unsigned char self[128];
  std::size_t selfLength = OwnSid(calls, self);
  FolderAccess access =
      FolderAccessFrom(owner, owner ? GetLengthSid(owner) : 0, dacl, dacl ? dacl->AclSize : 0,
                       selfLength ? self : nullptr, selfLength);
  LocalFree(descriptor);
  return access;
}

bool Win32Target::ProtectTarget() {
  SecurityCalls calls;
  if (!nt_)
    return true;
  alignas(8) unsigned char acl[128];
  return held_ && FindSecurityCalls(&calls) && WriteOwnFolderAcl(acl, sizeof acl) &&
         calls.set(held_, SE_FILE_OBJECT,
                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                   nullptr, reinterpret_cast<PACL>(acl), nullptr) == ERROR_SUCCESS;
}

bool Win32Target::TargetInPlace() {
  if (!nt_)
    return true;
  UniqueHandle folder(OpenNoFollow(heldPath_, FILE_READ_ATTRIBUTES, kShareAll));
  FileIdentity identity;
  DWORD attributes = 0;
  return held_ && folder.IsValid() && IdentityOf(folder.Get(), &identity, &attributes) &&
         IsRealFolder(attributes) && SameIdentity(identity, heldIdentity_);
}

HANDLE Win32Target::OpenLanded(const wchar_t* name, DWORD access, DWORD share,
                               FileIdentity* identity) {
  wchar_t path[MAX_PATH];
  if (!held_ || !JoinPath(path, heldPath_, name))
    return INVALID_HANDLE_VALUE;
  UniqueHandle file(OpenNoFollow(path, access, share));
  // The attributes alone where the system gives them so (2000 on): the whole file information
  // reads the volume too, which under Wine costs as much as copying a small file. The name is
  // within a volume, and a folder of another volume would show in it (its own root).
  struct {
    ULONG attributes;
    ULONG reparseTag;
  } tag = {};
  ULONG_PTR io[2] = {};
  DWORD attributes = 0;
  FileIdentity unused;
  bool read = false;
  if (!file.IsValid())
    read = false;
  else if (identity)
    read = IdentityOf(file.Get(), identity, &attributes);
  else if (calls_.query(file.Get(), io, &tag, sizeof tag, kFileAttributeTagInformation) == 0)
    read = true, attributes = tag.attributes;
  else  // NT 4.0 has no such query
    read = IdentityOf(file.Get(), &unused, &attributes);
  FileSystemName fileName;
  if (!read || !IsPlainFile(attributes) || (identity && identity->volume != heldIdentity_.volume) ||
      !NameOf(calls_, file.Get(), &fileName) || !IsInFolder(heldName_, fileName, name))
    return INVALID_HANDLE_VALUE;
  return file.Release();
}

bool Win32Target::FileLanded(const wchar_t* name, bool keep) {
  if (!nt_)
    return true;
  FileIdentity identity;
  // Kept open for reading only, sharing nothing but reading: nobody can write it, rename it or
  // delete it, and the system can still start it.
  UniqueHandle file(OpenLanded(name, keep ? GENERIC_READ : FILE_READ_ATTRIBUTES,
                               keep ? FILE_SHARE_READ : kShareAll, keep ? &identity : nullptr));
  if (!file.IsValid())
    return false;
  if (keep) {
    if (kept_)
      CloseHandle(kept_);
    kept_ = file.Release();
    keptIdentity_ = identity;
  }
  return true;
}

bool Win32Target::IsKeptFile(const wchar_t* name) {
  if (!nt_)
    return true;
  FileIdentity identity;
  UniqueHandle file(OpenLanded(name, FILE_READ_ATTRIBUTES, kShareAll, &identity));
  return kept_ && file.IsValid() && SameIdentity(identity, keptIdentity_) && TargetInPlace();
}
