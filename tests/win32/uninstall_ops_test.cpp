// The uninstaller's operations of the Win32 platform under Wine: what a registry read accepts,
// the system's view of it, deleting a key, folder identity however a folder is spelled, why a
// deletion failed, and a held folder emptied through handles.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "integration/win32/win32_platform.h"
#include "tests/win32/check.h"
#include "tests/win32/scratch.h"

namespace {

Win32Registry registry;
Win32Removal removal;
Win32Files files;
char testKey[64];  // below HKEY_LOCAL_MACHINE, removed at the end

void SetValue(const char* name, DWORD type, const void* data, DWORD bytes) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, testKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
  RegCloseKey(key);
}

void RegistryReads() {
  const std::string fits(259, 'f');
  SetValue("plain", REG_SZ, "C:\\Apps\\Viewer", 15);
  SetValue("unterminated", REG_SZ, "abc", 3);  // stored without its zero
  SetValue("longest", REG_SZ, fits.c_str(), 260);
  SetValue("too long", REG_SZ, (fits + "g").c_str(), 261);
  SetValue("expand", REG_EXPAND_SZ, "%WINDIR%", 9);
  DWORD number = 5;
  SetValue("number", REG_DWORD, &number, sizeof number);

  struct Case {
    const char* value;
    bool read;
    std::string text;
  } cases[] = {
      {"plain", true, "C:\\Apps\\Viewer"},
      {"unterminated", true, "abc"},
      {"longest", true, fits},
      {"too long", false, ""},
      {"expand", false, ""},  // setup.exe writes REG_SZ only
      {"number", false, ""},
      {"missing", false, ""},
  };
  for (const Case& c : cases) {
    char buf[260] = "stale";
    bool read =
        registry.RegistryGetString(RegistryRoot::kLocalMachine, testKey, c.value, buf, sizeof buf);
    if (!CHECK(read == c.read))
      std::printf("    value \"%s\"\n", c.value);
    CHECK_STREQ(buf, c.text.c_str());
  }
  char buf[16] = "stale";
  CHECK(!registry.RegistryGetString(RegistryRoot::kLocalMachine, "Software\\NoSuchKeyAtAll",
                                    "plain", buf, sizeof buf));
  CHECK_STREQ(buf, "");
}

void KeyDeletion() {
  std::string child = std::string(testKey) + "\\child";
  std::string grandchild = child + "\\grandchild";
  registry.RegistrySetString(RegistryRoot::kLocalMachine, grandchild.c_str(), "v", "x");
  // A key that holds another is not deleted: the uninstaller deletes only its own, which holds
  // values only.
  CHECK(!removal.RegistryDeleteKey(RegistryRoot::kLocalMachine, child.c_str()));
  CHECK(registry.RegistryKeyOpens(RegistryRoot::kLocalMachine, grandchild.c_str()));
  CHECK(removal.RegistryDeleteKey(RegistryRoot::kLocalMachine, grandchild.c_str()));
  CHECK(removal.RegistryDeleteKey(RegistryRoot::kLocalMachine, child.c_str()));
  CHECK(!registry.RegistryKeyOpens(RegistryRoot::kLocalMachine, child.c_str()));
  CHECK(!removal.RegistryDeleteKey(RegistryRoot::kLocalMachine, child.c_str()));
}

// Lists of names: written whole, and read back ending in two zeros whatever was stored.
void MultiStrings() {
  const wchar_t list[] = L"a.exe\0read me.txt\0";  // the array's own zero ends the list
  const std::size_t length = sizeof list / sizeof *list;
  CHECK(
      registry.RegistrySetMultiString(RegistryRoot::kLocalMachine, testKey, "list", list, length));
  SetValue("unended", REG_MULTI_SZ, "abc", 3);
  SetValue("plain", REG_SZ, "C:\\Apps\\Viewer", 15);
  struct Case {
    const char* value;
    std::size_t cap;
    bool read;
    std::wstring text;  // what the buffer starts with
  } cases[] = {
      {"list", 64, true, std::wstring(list, length) + std::wstring(2, L'\0')},
      {"list", length + 2, true, std::wstring(list, length) + std::wstring(2, L'\0')},
      {"list", length + 1, false, L""},
      {"unended", 64, true, std::wstring(L"abc\0\0", 5)},
      {"plain", 64, false, L""},
      {"missing", 64, false, L""},
  };
  for (const Case& c : cases) {
    wchar_t buf[64];
    std::size_t size = 99;
    bool read = registry.RegistryGetMultiString(RegistryRoot::kLocalMachine, testKey, c.value, buf,
                                                c.cap, &size);
    // Windows may add a zero to data stored without one: the list read is at least as long.
    bool sized = c.read ? size >= c.text.size() : size == 0;
    if (!CHECK(read == c.read) || !CHECK(sized) ||
        !CHECK(std::wmemcmp(buf, c.text.data(), c.text.size()) == 0))
      std::printf("    value \"%s\", room %u, size %u\n", c.value, static_cast<unsigned>(c.cap),
                  static_cast<unsigned>(size));
  }
}

// A record too large to read is still there: the uninstaller then keeps every file. A key that
// is missing altogether is an uninstallation with nothing left to do.
void ValueExists() {
  const std::string large(70000, 'x');
  SetValue("large", REG_MULTI_SZ, large.c_str(), static_cast<DWORD>(large.size()));
  struct Case {
    const char* key;
    const char* value;
    bool exists;
    bool keyExists;
  } cases[] = {
      {testKey, "list", true, true},
      {testKey, "plain", true, true},
      {testKey, "large", true, true},
      {testKey, "missing", false, true},
      {"Software\\NoSuchKeyAtAll", "list", false, false},
      {"Software\\NoSuchKeyAtAll\\Below", "list", false, false},
  };
  for (const Case& c : cases) {
    if (!CHECK(removal.RegistryValueExists(RegistryRoot::kLocalMachine, c.key, c.value) ==
               c.exists) ||
        !CHECK(removal.RegistryKeyExists(RegistryRoot::kLocalMachine, c.key) == c.keyExists))
      std::printf("    key %s, value \"%s\"\n", c.key, c.value);
  }
  wchar_t* buf = new wchar_t[64 * 1024 + 2];
  std::size_t size = 0;
  CHECK(!registry.RegistryGetMultiString(RegistryRoot::kLocalMachine, testKey, "large", buf,
                                         64 * 1024 + 2, &size));
  delete[] buf;
}

// The system's view names the system's own Program Files: under WoW64 not the one a 32-bit
// program sees, which is its own "(x86)" folder. Nothing is written or deleted there.
void SystemView() {
  const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion";
  char own[MAX_PATH] = "";
  char system[MAX_PATH] = "";
  CHECK(registry.RegistryGetString(RegistryRoot::kLocalMachine, key, "ProgramFilesDir", own,
                                   sizeof own));
  CHECK(registry.RegistryGetString(RegistryRoot::kLocalMachineSystemView, key, "ProgramFilesDir",
                                   system, sizeof system));
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  CHECK_STREQ(own, wow64 ? (std::string(system) + " (x86)").c_str() : system);
  CHECK(!registry.RegistrySetString(RegistryRoot::kLocalMachineSystemView, testKey, "v", "x"));
  CHECK(!registry.RegistryKeyOpens(RegistryRoot::kLocalMachineSystemView, key));
  CHECK(!removal.RegistryDeleteKey(RegistryRoot::kLocalMachineSystemView, testKey));
}

void FolderIdentity(const char* root) {
  std::string apps = std::string(root) + "\\Apps";
  std::string other = std::string(root) + "\\Other";
  CreateDirectoryA(apps.c_str(), nullptr);
  CreateDirectoryA(other.c_str(), nullptr);
  char shortName[MAX_PATH] = "";
  GetShortPathNameA(apps.c_str(), shortName, sizeof shortName);
  std::string upper = apps;
  for (char& c : upper)
    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);

  struct Case {
    std::string a, b;
    bool same;
  } cases[] = {
      {apps, apps, true},
      {apps, upper, true},
      {apps, apps + "\\", true},
      {apps, apps + "\\..\\Apps", true},
      {apps, shortName, true},
      {apps, other, false},
      {apps, root, false},
      {apps, apps + "\\missing", false},
      {apps + "\\missing", apps + "\\MISSING", true},  // neither opens: the names compare
      {apps + "\\missing", apps + "\\other missing", false},
  };
  for (const Case& c : cases) {
    if (!CHECK(files.SameFolder(c.a.c_str(), c.b.c_str()) == c.same))
      std::printf("    \"%s\" and \"%s\"\n", c.a.c_str(), c.b.c_str());
  }
}

void Removals(const char* root) {
  std::string file = std::string(root) + "\\file.txt";
  std::string readOnly = std::string(root) + "\\read-only.txt";
  std::string open = std::string(root) + "\\open.txt";
  std::string folder = std::string(root) + "\\folder";
  scratch::WriteText(file.c_str(), "x");
  scratch::WriteText(readOnly.c_str(), "x");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  scratch::WriteText(open.c_str(), "x");
  CreateDirectoryA(folder.c_str(), nullptr);
  scratch::WriteText((folder + "\\inside.txt").c_str(), "x");

  CHECK_EQ(static_cast<int>(removal.DeleteOneFile(file.c_str())),
           static_cast<int>(Removal::kRemoved));
  CHECK(!scratch::Exists(file.c_str()));
  CHECK_EQ(static_cast<int>(removal.DeleteOneFile(file.c_str())),
           static_cast<int>(Removal::kMissing));
  CHECK_EQ(static_cast<int>(removal.DeleteOneFile(readOnly.c_str())),
           static_cast<int>(Removal::kReadOnly));
  CHECK(scratch::Exists(readOnly.c_str()));

  // Held open by a program that does not share deletion.
  HANDLE held =
      CreateFileA(open.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  CHECK_EQ(static_cast<int>(removal.DeleteOneFile(open.c_str())),
           static_cast<int>(Removal::kInUse));
  CloseHandle(held);
  CHECK_EQ(static_cast<int>(removal.DeleteOneFile(open.c_str())),
           static_cast<int>(Removal::kRemoved));

  CHECK_EQ(static_cast<int>(removal.RemoveEmptyFolder(folder.c_str())),
           static_cast<int>(Removal::kNotEmpty));
  CHECK(scratch::Exists((folder + "\\inside.txt").c_str()));
  DeleteFileA((folder + "\\inside.txt").c_str());
  CHECK_EQ(static_cast<int>(removal.RemoveEmptyFolder(folder.c_str())),
           static_cast<int>(Removal::kRemoved));
  CHECK_EQ(static_cast<int>(removal.RemoveEmptyFolder(folder.c_str())),
           static_cast<int>(Removal::kMissing));
}

std::wstring Wide(const char* text) {
  return std::wstring(text, text + std::strlen(text));
}

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return text;
}

// A folder's identity read without following links, the folder held so that nobody renames it,
// emptied file by file through handles, and removed through a handle when it is still itself.
void HeldFolder(const char* root) {
  std::string held = std::string(root) + "\\held";
  std::string other = std::string(root) + "\\other";
  CreateDirectoryA(held.c_str(), nullptr);
  CreateDirectoryA(other.c_str(), nullptr);
  CreateDirectoryA((held + "\\sub").c_str(), nullptr);
  for (const char* name : {"a.txt", "Mixed Case.txt", "read-only.txt", "open.txt"})
    scratch::WriteText((held + "\\" + name).c_str(), "x");
  SetFileAttributesA((held + "\\read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  scratch::WriteText((other + "\\target.txt").c_str(), "kept");
  CreateHardLinkA((held + "\\linked.txt").c_str(), (other + "\\target.txt").c_str(), nullptr);

  FileIdentity heldId = {}, otherId = {}, id = {};
  CHECK(removal.ReadFolderIdentity(held.c_str(), &heldId) == IdentityRead::kRead);
  CHECK(removal.ReadFolderIdentity(other.c_str(), &otherId) == IdentityRead::kRead);
  CHECK(heldId.index != otherId.index);
  CHECK(removal.ReadFolderIdentity(Upper(held).c_str(), &id) == IdentityRead::kRead &&
        id.volume == heldId.volume && id.index == heldId.index);
  for (const char* name : {"a.txt", "missing"})
    CHECK(removal.ReadFolderIdentity((held + "\\" + name).c_str(), &id) == IdentityRead::kFailed);

  struct HoldCase {
    std::string path;
    FileIdentity identity;
    bool held;
  } holds[] = {
      {held, otherId, false},
      {held + "\\missing", heldId, false},
      {held + "\\a.txt", heldId, false},
      {Upper(held), heldId, true},
      {held, heldId, true},
  };
  for (const HoldCase& c : holds) {
    if (!CHECK(removal.HoldFolder(c.path.c_str(), c.identity) == c.held))
      std::printf("    \"%s\"\n", c.path.c_str());
  }
  // Held, it cannot be renamed.
  CHECK(!MoveFileA(held.c_str(), (held + "-moved").c_str()));

  HANDLE open = CreateFileA((held + "\\open.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  struct DeleteCase {
    const char* name;
    Removal removal;
    bool stays;
  } deletions[] = {
      {"a.txt", Removal::kRemoved, false},          {"a.txt", Removal::kMissing, false},
      {"mixed case.TXT", Removal::kRemoved, false}, {"read-only.txt", Removal::kReadOnly, true},
      {"open.txt", Removal::kInUse, true},          {"sub", Removal::kChanged, true},
      {"linked.txt", Removal::kRemoved, false},  // that name only: the file stays in `other`
  };
  for (const DeleteCase& c : deletions) {
    std::string path = held + "\\" + c.name;
    bool right = CHECK_EQ(static_cast<int>(removal.DeleteHeldFile(Wide(c.name).c_str())),
                          static_cast<int>(c.removal)) &&
                 CHECK(scratch::Exists(path.c_str()) == c.stays);
    if (!right)
      std::printf("    \"%s\"\n", c.name);
  }
  CloseHandle(open);
  char text[256];
  CHECK_STREQ(scratch::ReadText((other + "\\target.txt").c_str(), text), "kept");

  // Not empty: it stays, and it is no longer held.
  CHECK_EQ(static_cast<int>(removal.RemoveHeldFolder()), static_cast<int>(Removal::kNotEmpty));
  CHECK_EQ(static_cast<int>(removal.DeleteHeldFile(L"open.txt")),
           static_cast<int>(Removal::kFailed));
  CHECK_EQ(static_cast<int>(removal.RemoveHeldFolder()), static_cast<int>(Removal::kFailed));

  // Let go, it can be renamed; another folder put in its place is not it.
  CHECK(MoveFileA(held.c_str(), (held + "-old").c_str()));
  CreateDirectoryA(held.c_str(), nullptr);
  CHECK(!removal.HoldFolder(held.c_str(), heldId));
  CHECK(removal.DeleteHeldFile(L"read-only.txt") == Removal::kFailed);
  CHECK(removal.HoldFolder((held + "-old").c_str(), heldId));

  SetFileAttributesA((held + "-old\\read-only.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  for (const wchar_t* name : {L"read-only.txt", L"open.txt"})
    CHECK(removal.DeleteHeldFile(name) == Removal::kRemoved);
  RemoveDirectoryA((held + "-old\\sub").c_str());
  CHECK_EQ(static_cast<int>(removal.RemoveHeldFolder()), static_cast<int>(Removal::kRemoved));
  CHECK(!scratch::Exists((held + "-old").c_str()));
  CHECK(scratch::Exists(held.c_str()));
  CHECK(scratch::Exists(other.c_str()));
}

void OwnFile() {
  char own[MAX_PATH] = "";
  CHECK(removal.GetOwnPath(own, sizeof own));
  CHECK(std::strstr(own, "uninstall_ops_test") != nullptr);
  char tiny[8] = "stale";
  CHECK(!removal.GetOwnPath(tiny, sizeof tiny));
  CHECK_STREQ(tiny, "");
  // A running program's file stays; Windows deletes it at the next start.
  CHECK_EQ(static_cast<int>(removal.DeleteOneFile(own)), static_cast<int>(Removal::kDenied));
}

void RestartDeletion(const char* root) {
  std::string later = std::string(root) + "\\later.txt";
  scratch::WriteText(later.c_str(), "x");
  CHECK(removal.DeleteAtRestart(later.c_str()));
  CHECK(scratch::Exists(later.c_str()));  // not before the restart
  // The system's list of pending renames: the file, then an empty name, which means "delete".
  char pending[8192] = "";
  DWORD bytes = sizeof pending - 2;
  HKEY key;
  if (CHECK(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                          0, KEY_READ, &key) == ERROR_SUCCESS)) {
    RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(pending), &bytes);
    RegCloseKey(key);
  }
  std::string wanted = "\\??\\" + later;
  bool found = false;
  for (const char* name = pending; *name && !found; name += std::strlen(name) + 1) {
    const char* to = name + std::strlen(name) + 1;
    found = _stricmp(name, wanted.c_str()) == 0 && *to == '\0';
    name = to;
  }
  CHECK(found);
}

}  // namespace

int main() {
  std::snprintf(testKey, sizeof testKey, "Software\\LeanSetupUninstallOpsTest%lu",
                GetCurrentProcessId());
  char root[MAX_PATH];
  if (!CHECK(scratch::MakeFolder("uninstall-ops", root)))
    return check::Finish();
  RegistryReads();
  KeyDeletion();
  MultiStrings();
  ValueExists();
  SystemView();
  FolderIdentity(root);
  Removals(root);
  HeldFolder(root);
  OwnFile();
  RestartDeletion(root);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, testKey);
  scratch::RemoveTree(root);
  return check::Finish();
}
