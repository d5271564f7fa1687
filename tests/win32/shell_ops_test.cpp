// The shell and COM operations of the Win32 platform: the Windows family, special folders, COM
// pointers and scopes, CreateLink and whole shortcuts. With --write-readback it writes the
// shortcuts that tests/e2e/win32_readback_test.sh reads back with lnkinfo, and prints their paths.
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "integration/shortcut.h"
#include "integration/win32/com_ptr.h"
#include "integration/win32/shell_link.h"
#include "integration/win32/win32_platform.h"
#include "tests/win32/check.h"
#include "tests/win32/scratch.h"

namespace {

Win32Dialog noDialog;
Win32Shell shell(noDialog);
Win32Files files;
char root[MAX_PATH];

std::string At(const char* name) {
  return std::string(root) + "\\" + name;
}

void FamilyAndSpecialFolders() {
  CHECK_EQ(shell.WindowsFamily(), kFamilyWindowsNt);

  char path[MAX_PATH];
  CHECK(shell.GetSpecialFolder(kCsidlCommonDesktopDirectory, path, sizeof path));
  CHECK_PATHEQ(path, "C:\\users\\Public\\Desktop");
  CHECK(shell.GetSpecialFolder(kCsidlCommonPrograms, path, sizeof path));
  CHECK_PATHEQ(path, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
  CHECK(shell.GetSpecialFolder(kCsidlDesktopDirectory, path, sizeof path));
  CHECK(shell.GetSpecialFolder(kCsidlPrograms, path, sizeof path));

  std::size_t length = std::strlen(path);
  char small[MAX_PATH] = "junk";
  CHECK(!shell.GetSpecialFolder(kCsidlPrograms, small, length));
  CHECK_STREQ(small, "");
  CHECK(shell.GetSpecialFolder(kCsidlPrograms, small, length + 1));

  std::strcpy(small, "junk");
  CHECK(!shell.GetSpecialFolder(0x7F, small, sizeof small));  // no such folder
  CHECK_STREQ(small, "");
}

// An object that counts its references, to watch ComPtr release them.
struct Counted final : IUnknown {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  ULONG refs = 1;
};

void ComPointersReleaseOnce() {
  Counted a, b;
  {
    ComPtr<IUnknown> first(&a);
    ComPtr<IUnknown> second(&b);
    first = static_cast<ComPtr<IUnknown>&&>(second);  // a released, b moved
    CHECK_EQ(a.refs, 0);
    CHECK_EQ(b.refs, 1);
    CHECK(!second);
    CHECK(first.Get() == &b);
    ComPtr<IUnknown> third(static_cast<ComPtr<IUnknown>&&>(first));
    CHECK(!first);
    first = static_cast<ComPtr<IUnknown>&&>(first);  // assignment to itself keeps it empty
    CHECK(!first);
  }
  CHECK_EQ(b.refs, 0);

  Counted c;
  ComPtr<IUnknown> put(&c);
  put.Put();  // handing it out as an out-parameter drops the old reference
  CHECK_EQ(c.refs, 0);
}

// True when COM is not initialised on this thread: a fresh initialisation returns S_OK.
bool ComIsUninitialised() {
  HRESULT result = CoInitialize(nullptr);
  if (SUCCEEDED(result))
    CoUninitialize();
  return result == S_OK;
}

struct ReadLink {
  char target[MAX_PATH] = "";
  char workingDir[MAX_PATH] = "";
  char description[MAX_PATH] = "";
};

bool LoadLink(const std::string& path, ReadLink& out) {
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.PutVoid())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) ||
      FAILED(file->Load(wide, STGM_READ)))
    return false;
  link->GetPath(out.target, MAX_PATH, nullptr, SLGP_RAWPATH);
  link->GetWorkingDirectory(out.workingDir, MAX_PATH);
  link->GetDescription(out.description, MAX_PATH);
  return true;
}

void CreateLinkWritesAndOverwrites() {
  CoInitialize(nullptr);
  CHECK_EQ(CreateLink(At("none.lnk").c_str(), nullptr), E_FAIL);
  CHECK(!scratch::Exists(At("none.lnk").c_str()));

  std::string folder = At("Program Files");
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string target = folder + "\\Viewer.exe";
  scratch::WriteText(target.c_str(), "MZ");
  LinkInfo info = {};
  info.Target = target.c_str();
  info.WorkingDir = folder.c_str();
  info.Description = "Viewer 1.0";
  info.IconFile = "Desktop.ico";
  std::string link = At("Viewer.lnk");
  CHECK_EQ(CreateLink(link.c_str(), &info), S_OK);
  ReadLink read;
  CHECK(LoadLink(link, read));
  CHECK_PATHEQ(read.target, target.c_str());
  CHECK_PATHEQ(read.workingDir, folder.c_str());
  CHECK_STREQ(read.description, "Viewer 1.0");

  // A link of the same name is overwritten.
  info.Description = "Viewer 2.0";
  CHECK_EQ(CreateLink(link.c_str(), &info), S_OK);
  CHECK(LoadLink(link, read));
  CHECK_STREQ(read.description, "Viewer 2.0");

  // A link path longer than a path may be is not saved under a shortened name.
  std::string tooLong = std::string(root) + "\\" + std::string(300, 'l') + ".lnk";
  CHECK(FAILED(CreateLink(tooLong.c_str(), &info)));
  CoUninitialize();

  ComScope com(shell);
  CHECK(shell.WriteShellLink(link.c_str(), info));
  CHECK(!shell.WriteShellLink(At("missing\\x.lnk").c_str(), info));
}

void ComScopesBalance() {
  CHECK(ComIsUninitialised());
  {
    ComScope outer(shell);
    CHECK(!ComIsUninitialised());
  }
  CHECK(ComIsUninitialised());

  // A multithreaded apartment makes CoInitialize fail: the scope must not undo it.
  CHECK(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  { ComScope inner(shell); }
  CHECK(!ComIsUninitialised());
  CoUninitialize();
  CHECK(ComIsUninitialised());
}

// Whole shortcuts through the platform: desktop, and a Start-menu group.
struct Shortcuts {
  std::string desktopLink;
  std::string menuGroup;
  std::string menuLink;
  std::string folder;
};

Shortcuts WriteShortcuts(const char* linkName, const char* group, const char* folder) {
  Shortcuts made;
  made.folder = folder;
  char desktop[MAX_PATH], programs[MAX_PATH];
  shell.GetSpecialFolder(kCsidlCommonDesktopDirectory, desktop, sizeof desktop);
  shell.GetSpecialFolder(kCsidlCommonPrograms, programs, sizeof programs);
  made.desktopLink = std::string(desktop) + "\\" + linkName + ".lnk";
  made.menuGroup = std::string(programs) + "\\" + group;
  made.menuLink = made.menuGroup + "\\Read me.lnk";

  CreateShortcut(shell, files, kCsidlDesktopDirectory, kCsidlCommonDesktopDirectory, nullptr,
                 linkName, folder, "Viewer.exe", linkName, "Desktop.ico");
  CreateShortcut(shell, files, kCsidlPrograms, kCsidlCommonPrograms, group, "Read me", folder,
                 "readme.txt", "Read me", "Desktop.ico");
  return made;
}

void ShortcutsThroughThePlatform() {
  std::string folder = At("Viewer");
  CreateDirectoryA(folder.c_str(), nullptr);
  scratch::WriteText((folder + "\\Viewer.exe").c_str(), "MZ");
  scratch::WriteText((folder + "\\readme.txt").c_str(), "read me");

  char linkName[64], group[64];
  std::snprintf(linkName, sizeof linkName, "Shortcut test %lu", GetCurrentProcessId());
  std::snprintf(group, sizeof group, "Shortcut group %lu", GetCurrentProcessId());
  Shortcuts made = WriteShortcuts(linkName, group, folder.c_str());
  CHECK(ComIsUninitialised());

  ReadLink read;
  CoInitialize(nullptr);
  CHECK(LoadLink(made.desktopLink, read));
  CHECK_PATHEQ(read.target, (folder + "\\Viewer.exe").c_str());
  CHECK_PATHEQ(read.workingDir, folder.c_str());
  CHECK_STREQ(read.description, linkName);
  CHECK(LoadLink(made.menuLink, read));
  CHECK_PATHEQ(read.target, (folder + "\\readme.txt").c_str());
  CHECK_STREQ(read.description, "Read me");
  CoUninitialize();

  // Again: the existing group is reused and both links are overwritten.
  WriteShortcuts(linkName, group, folder.c_str());
  CHECK(scratch::Exists(made.menuLink.c_str()));

  scratch::RemoveTree(made.desktopLink.c_str());
  scratch::RemoveTree(made.menuGroup.c_str());
}

// For the end-to-end readback: the same shortcuts under fixed names, left in place.
int WriteReadback() {
  const char* folder = "C:\\readback\\Program Files\\Viewer";
  CreateDirectoryA("C:\\readback", nullptr);
  CreateDirectoryA("C:\\readback\\Program Files", nullptr);
  CreateDirectoryA(folder, nullptr);
  scratch::WriteText("C:\\readback\\Program Files\\Viewer\\Viewer.exe", "MZ");
  scratch::WriteText("C:\\readback\\Program Files\\Viewer\\readme.txt", "read me");
  Shortcuts made = WriteShortcuts("Readback Viewer", "Readback Viewer 1.0", folder);
  std::printf("%s\n%s\n", made.desktopLink.c_str(), made.menuLink.c_str());
  return scratch::Exists(made.desktopLink.c_str()) && scratch::Exists(made.menuLink.c_str()) ? 0
                                                                                             : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--write-readback") == 0)
    return WriteReadback();
  if (!CHECK(scratch::MakeFolder("shell_ops_test", root)))
    return check::Finish();
  FamilyAndSpecialFolders();
  ComPointersReleaseOnce();
  ComScopesBalance();
  CreateLinkWritesAndOverwrites();
  ShortcutsThroughThePlatform();
  scratch::RemoveTree(root);
  return check::Finish();
}
