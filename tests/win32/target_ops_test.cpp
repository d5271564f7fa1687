// The target folder's operations under Wine: the hold, who may change the folder, its own
// permissions, where a written file landed, and the program file kept from its copy to its
// start. (Wine keeps owners and permissions from the Unix mode: a folder others may write shows
// an entry for everyone that allows writing.)
#include <windows.h>

#include <string>

#include "integration/win32/win32_platform.h"
#include "tests/win32/check.h"
#include "tests/win32/scratch.h"

namespace {

Win32Target target;

HANDLE Open(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool Opens(const std::string& path, DWORD access, DWORD share) {
  HANDLE file = Open(path, access, share);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  CloseHandle(file);
  return true;
}

void Access(const std::string& root) {
  std::string folder = root + "\\access";
  CreateDirectoryA(folder.c_str(), nullptr);
  CHECK(target.HoldTarget(folder.c_str()));
  CHECK_EQ(static_cast<int>(target.TargetAccess()),
           static_cast<int>(FolderAccess::kAdministrators));
  // A DACL that lets everybody write, then the folder's own.
  SECURITY_DESCRIPTOR open;
  InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
  if (SetFileSecurityA(folder.c_str(), DACL_SECURITY_INFORMATION, &open))
    CHECK_EQ(static_cast<int>(target.TargetAccess()),
             static_cast<int>(FolderAccess::kOthersMayChange));
  CHECK(target.ProtectTarget());
  CHECK_EQ(static_cast<int>(target.TargetAccess()),
           static_cast<int>(FolderAccess::kAdministrators));
}

void Hold(const std::string& root) {
  std::string folder = root + "\\app";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
  for (const char* name : {"\\Viewer.exe", "\\a.txt"})
    scratch::WriteText((folder + name).c_str(), "copied");
  CHECK(!target.HoldTarget((folder + "\\a.txt").c_str()));  // no folder
  CHECK(!target.TargetInPlace());
  CHECK(target.HoldTarget(folder.c_str()));
  CHECK(target.TargetInPlace());
  CHECK(!MoveFileA(folder.c_str(), (folder + "-moved").c_str()));  // held

  struct Case {
    const wchar_t* name;
    bool landed;
  } cases[] = {{L"a.txt", true}, {L"A.TXT", true}, {L"missing.txt", false}, {L"sub", false}};
  for (const Case& c : cases)
    if (!CHECK(target.FileLanded(c.name, false) == c.landed))
      std::printf("    \"%ls\"\n", c.name);

  // Kept: it can be read and started, not written, renamed or deleted.
  std::string program = folder + "\\Viewer.exe";
  CHECK(!target.IsKeptFile(L"Viewer.exe"));
  CHECK(target.FileLanded(L"Viewer.exe", true));
  CHECK(target.IsKeptFile(L"viewer.EXE"));
  CHECK(!target.IsKeptFile(L"a.txt"));
  CHECK(Opens(program, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE));
  CHECK(!Opens(program, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
  CHECK(!MoveFileExA((folder + "\\a.txt").c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING));
  CHECK(!DeleteFileA(program.c_str()));
  char text[256];
  CHECK_STREQ(scratch::ReadText(program.c_str(), text), "copied");

  // Another file kept in its place lets the first go.
  CHECK(target.FileLanded(L"a.txt", true));
  CHECK(!target.IsKeptFile(L"Viewer.exe"));
  CHECK(DeleteFileA(program.c_str()));

  // Held elsewhere, the first folder is let go: moved away and replaced, its path no longer
  // leads to what was held.
  CHECK(target.HoldTarget(root.c_str()));
  CHECK(target.HoldTarget(folder.c_str()));
  std::string parent = root + "\\parent";
  CreateDirectoryA(parent.c_str(), nullptr);
  std::string inner = parent + "\\app";
  CreateDirectoryA(inner.c_str(), nullptr);
  scratch::WriteText((inner + "\\b.txt").c_str(), "b");
  CHECK(target.HoldTarget(inner.c_str()));
  // Renaming the folder above may be refused, as Windows does while something below is open;
  // where it is not (Wine), the folder check notices. (A file's own check goes by its name,
  // which a real folder put at the same place shares; Windows refuses that rename.)
  if (MoveFileA(parent.c_str(), (parent + "-old").c_str())) {
    CreateDirectoryA(parent.c_str(), nullptr);
    CreateDirectoryA(inner.c_str(), nullptr);
    CHECK(!target.TargetInPlace());
  } else {
    CHECK(target.TargetInPlace());
    CHECK(target.FileLanded(L"b.txt", false));
  }
  CHECK(target.HoldTarget(root.c_str()));
}

}  // namespace

int main() {
  char root[MAX_PATH];
  if (!CHECK(scratch::MakeFolder("target-ops", root)))
    return check::Finish();
  Access(root);
  Hold(root);
  scratch::RemoveTree(root);
  return check::Finish();
}
