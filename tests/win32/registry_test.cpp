// The registry key wrapper, RegSetString and the registry operations of the Win32 platform, and
// the uninstall registration carried out by them. With --write-readback it writes the values
// that tests/e2e/win32_readback_test.sh reads back with `reg query` and `reg export`.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "description/setup_settings.h"
#include "integration/uninstall_registration.h"
#include "integration/win32/registry.h"
#include "integration/win32/win32_platform.h"
#include "tests/win32/check.h"

namespace {

Win32Registry registry;
Win32Files files;
char testKey[64];  // below HKEY_LOCAL_MACHINE, removed at the end

std::string Sub(const char* name) {
  return std::string(testKey) + "\\" + name;
}

// The value's type and byte count as stored, and its text.
struct Stored {
  DWORD type = 0;
  DWORD bytes = 0;
  char text[512] = "";
  LONG error = 0;
};

Stored Query(const std::string& key, const char* valueName) {
  Stored stored;
  HKEY handle;
  stored.error = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle);
  if (stored.error != ERROR_SUCCESS)
    return stored;
  stored.bytes = sizeof stored.text;
  stored.error = RegQueryValueExA(handle, valueName, nullptr, &stored.type,
                                  reinterpret_cast<BYTE*>(stored.text), &stored.bytes);
  RegCloseKey(handle);
  return stored;
}

void KeyOwnership() {
  RegKey a, b;
  CHECK_EQ(a.Create(HKEY_LOCAL_MACHINE, Sub("a").c_str(), KEY_ALL_ACCESS), ERROR_SUCCESS);
  CHECK_EQ(b.Create(HKEY_LOCAL_MACHINE, Sub("b").c_str(), KEY_ALL_ACCESS), ERROR_SUCCESS);
  HKEY rawA = a.Get();
  HKEY rawB = b.Get();
  CHECK(rawA != rawB);

  // Assignment closes the target's old key and leaves the source empty: one owner each.
  a = static_cast<RegKey&&>(b);
  CHECK(a.Get() == rawB);
  CHECK(!b.Valid());
  CHECK_EQ(RegCloseKey(rawA), ERROR_INVALID_HANDLE);  // already closed by the assignment

  RegKey c(static_cast<RegKey&&>(a));
  CHECK(c.Get() == rawB);
  CHECK(!a.Valid());
  c = static_cast<RegKey&&>(c);
  CHECK(c.Get() == rawB);

  CHECK_EQ(c.Close(), ERROR_SUCCESS);
  CHECK(!c.Valid());
  CHECK_EQ(c.Close(), ERROR_SUCCESS);
  CHECK_EQ(RegCloseKey(rawB), ERROR_INVALID_HANDLE);

  // A failed open leaves the key empty, and closes the one held before.
  RegKey d;
  d.Open(HKEY_LOCAL_MACHINE, Sub("a").c_str(), KEY_READ);
  HKEY rawD = d.Get();
  CHECK(d.Valid());
  CHECK(d.Open(HKEY_LOCAL_MACHINE, Sub("missing").c_str(), KEY_READ) != ERROR_SUCCESS);
  CHECK(!d.Valid());
  CHECK_EQ(RegCloseKey(rawD), ERROR_INVALID_HANDLE);
  CHECK_EQ(d.SetString("v", "x"), ERROR_INVALID_HANDLE);
}

// The system adds a terminator that a count left out whenever a zero byte follows the counted
// text, which hides the fault for every text but the empty one: left out there, it stores 0 bytes.
void StringsCountTheirTerminator() {
  struct Case {
    const char* name;
    const char* data;
  } cases[] = {
      {"DisplayName", "Viewer"},
      {"Empty", ""},
      {"UninstallString", "\"C:\\windows\\notepad Uninstall.exe\""},
      {"Trailing", "C:\\Apps\\"},
  };
  RegKey key;
  CHECK_EQ(key.Create(HKEY_LOCAL_MACHINE, Sub("strings").c_str(), KEY_ALL_ACCESS), ERROR_SUCCESS);
  for (const Case& c : cases) {
    CHECK_EQ(key.SetString(c.name, c.data), ERROR_SUCCESS);
    Stored stored = Query(Sub("strings"), c.name);
    CHECK_EQ(stored.error, ERROR_SUCCESS);
    CHECK_EQ(stored.type, REG_SZ);
    if (!CHECK_EQ(stored.bytes, std::strlen(c.data) + 1))
      std::printf("    for %s\n", c.name);
    CHECK_STREQ(stored.text, c.data);
  }
}

void SetStringResults() {
  CHECK_EQ(RegSetString(HKEY_LOCAL_MACHINE, Sub("set").c_str(), "Name", "Value"), 1);
  CHECK_STREQ(Query(Sub("set"), "Name").text, "Value");
  CHECK_EQ(Query(Sub("set"), "Name").bytes, 6);
  // Again: the key is opened and the value replaced.
  CHECK_EQ(RegSetString(HKEY_LOCAL_MACHINE, Sub("set").c_str(), "Name", "Other"), 1);
  CHECK_STREQ(Query(Sub("set"), "Name").text, "Other");

  // No value name: only the key is created.
  CHECK_EQ(RegSetString(HKEY_LOCAL_MACHINE, Sub("bare").c_str(), nullptr, "ignored"), 1);
  CHECK_EQ(Query(Sub("bare"), nullptr).error, ERROR_FILE_NOT_FOUND);

  // A key that cannot be created.
  CHECK_EQ(RegSetString(reinterpret_cast<HKEY>(0x1234), "x", "Name", "Value"), 0);

  CHECK(registry.RegistryKeyOpens(RegistryRoot::kLocalMachine, Sub("set").c_str()));
  CHECK(!registry.RegistryKeyOpens(RegistryRoot::kLocalMachine, Sub("missing").c_str()));
  CHECK(registry.RegistrySetString(RegistryRoot::kLocalMachine, Sub("platform").c_str(), "V", "d"));
  CHECK_STREQ(Query(Sub("platform"), "V").text, "d");
  // The value's own write counts: a name longer than the registry takes fails in an open key.
  const std::string tooLong(16384, 'v');
  CHECK(!registry.RegistrySetString(RegistryRoot::kLocalMachine, Sub("platform").c_str(),
                                    tooLong.c_str(), "d"));
  CHECK(registry.RegistrySetNumber(RegistryRoot::kLocalMachine, Sub("platform").c_str(), "N", 49));
  Stored number = Query(Sub("platform"), "N");
  CHECK_EQ(number.type, static_cast<DWORD>(REG_DWORD));
  CHECK_EQ(number.bytes, 4u);
  CHECK_EQ(*reinterpret_cast<const DWORD*>(number.text), 49u);
  CHECK(registry.RegistryKeyOpens(RegistryRoot::kLocalMachine, kUninstallRoot));
}

void DeleteTree(const std::string& key) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS)
    return;
  char child[256];
  DWORD length = sizeof child;
  while (RegEnumKeyExA(handle, 0, child, &length, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS) {
    DeleteTree(key + "\\" + child);
    length = sizeof child;
  }
  RegCloseKey(handle);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

// The uninstall registration with the real registry and Windows folder.
void RegistrationWritesTheEntry(const char* folderName, const char* installDir) {
  static SetupSettingsRecord settings;
  std::strcpy(settings.FolderName, folderName);
  std::strcpy(settings.InstallDir, installDir);
  wchar_t names[32];
  InstalledFilesRecord installed(names, 32);
  installed.Add(L"Viewer.exe");
  installed.Add(L"read me.txt");
  RegisterUninstall(registry, files, settings, installed);
}

void Registration() {
  char folderName[64];
  std::snprintf(folderName, sizeof folderName, "registry test %lu", GetCurrentProcessId());
  RegistrationWritesTheEntry(folderName, "C:\\Program Files\\Registry Test");
  std::string key = std::string(kUninstallKeyPrefix) + folderName;
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string uninstaller = std::string(windows) + "\\" + folderName + " Uninstall.exe";
  CHECK_STREQ(Query(key, "DisplayName").text, folderName);
  CHECK_STREQ(Query(key, "UninstallString").text, ("\"" + uninstaller + "\"").c_str());
  CHECK_STREQ(Query(key, "InstallTo").text, "C:\\Program Files\\Registry Test");
  Stored installed = Query(key, kInstalledFilesValue);
  CHECK_EQ(installed.type, static_cast<DWORD>(REG_MULTI_SZ));
  CHECK_EQ(installed.bytes, 24u);
  CHECK(std::memcmp(installed.text, "Viewer.exe\0read me.txt\0", 24) == 0);
  DeleteTree(key);
  DeleteFileA(uninstaller.c_str());
}

int WriteReadback() {
  RegistrationWritesTheEntry("readback notepad", "C:\\Program Files\\Read Back");
  const char* key = "Software\\LeanSetupReadback";
  int written = RegSetString(HKEY_LOCAL_MACHINE, key, "Plain", "Viewer") +
                RegSetString(HKEY_LOCAL_MACHINE, key, "Empty", "") +
                RegSetString(HKEY_LOCAL_MACHINE, key, "Trailing", "C:\\Apps\\");
  return written == 3 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--write-readback") == 0)
    return WriteReadback();
  std::snprintf(testKey, sizeof testKey, "Software\\LeanSetupRegistryTest%lu",
                GetCurrentProcessId());
  KeyOwnership();
  StringsCountTheirTerminator();
  SetStringResults();
  Registration();
  DeleteTree(testKey);
  return check::Finish();
}
