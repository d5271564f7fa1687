// The file, folder and process operations of the Win32 platform, against the real file system.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"
#include "tests/win32/check.h"
#include "tests/win32/scratch.h"

namespace {

Win32Files files;
Win32Processes processes;
char root[MAX_PATH];

std::string At(const char* name) {
  return std::string(root) + "\\" + name;
}

void MakeFolderResults() {
  struct Case {
    std::string path;
    FolderCreation expected;
  } cases[] = {
      {At("new"), FolderCreation::kCreated},
      {At("new"), FolderCreation::kAlreadyExists},
      {At("new") + "\\", FolderCreation::kAlreadyExists},  // trailing separator, same folder
      {At("file.txt"), FolderCreation::kAlreadyExists},    // a file of that name
      {At("missing\\child"), FolderCreation::kFailed},     // only the last component is made
      {"", FolderCreation::kFailed},
      {At("bad|name"), FolderCreation::kFailed},
  };
  scratch::WriteText(At("file.txt").c_str(), "x");
  for (const Case& c : cases) {
    if (!CHECK(files.MakeFolder(c.path.c_str()) == c.expected))
      std::printf("    for \"%s\"\n", c.path.c_str());
  }
  CHECK(!scratch::Exists(At("missing").c_str()));
}

struct Recorder final : FolderVisitor {
  void Visit(const FolderEntry& entry) override {
    names.insert(entry.name);
    if (entry.isFolder)
      folders.insert(entry.name);
  }
  std::set<std::string> names;
  std::set<std::string> folders;
};

void ListFolderEntries() {
  CreateDirectoryA(At("list").c_str(), nullptr);
  CreateDirectoryA(At("list\\sub").c_str(), nullptr);
  scratch::WriteText(At("list\\a.txt").c_str(), "a");
  scratch::WriteText(At("list\\SETUP.EXE").c_str(), "s");
  scratch::WriteText(At("list\\sub\\deep.txt").c_str(), "d");

  Recorder all;
  files.ListFolder((At("list") + "\\*.*").c_str(), all);
  std::set<std::string> names = {".", "..", "a.txt", "SETUP.EXE", "sub"};
  CHECK(all.names == names);
  std::set<std::string> folders = {".", "..", "sub"};
  CHECK(all.folders == folders);

  // Relative to the current folder, as the install run lists it.
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  CHECK(processes.SetCurrentFolder(At("list").c_str()));
  Recorder relative;
  files.ListFolder("*.*", relative);
  CHECK(relative.names == names);
  SetCurrentDirectoryA(previous);

  Recorder none;
  files.ListFolder((At("no such folder") + "\\*.*").c_str(), none);
  CHECK(none.names.empty());
}

// A name outside the ANSI code page is listed as it is, shown approximated, and copied.
void WideNames() {
  const wchar_t name[] = L"\u03a9 \u65e5 \U0001F600.txt";
  const std::string at = At("wide");
  CreateDirectoryA(at.c_str(), nullptr);
  std::wstring folder(at.begin(), at.end());
  CloseHandle(CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                          nullptr));
  struct Wide final : FolderVisitor {
    void Visit(const FolderEntry& entry) override {
      if (!entry.isFolder) {
        wide = entry.wideName;
        shown = entry.name;
      }
    }
    std::wstring wide;
    std::string shown;
  } found;
  files.ListFolder((at + "\\*.*").c_str(), found);
  CHECK(found.wide == name);
  CHECK(!found.shown.empty());
  std::wstring copy = folder + L"\\copy " + name;
  CHECK(files.CopyListedFile((folder + L"\\" + name).c_str(), copy.c_str()));
  CHECK(GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES);
}

void CopyOneFileResults() {
  char text[256];
  std::string source = At("source.txt");
  std::string target = At("target.txt");
  scratch::WriteText(source.c_str(), "new");

  CHECK(files.CopyOneFile(source.c_str(), target.c_str()));
  CHECK_STREQ(scratch::ReadText(target.c_str(), text), "new");

  scratch::WriteText(target.c_str(), "old and longer");
  CHECK(files.CopyOneFile(source.c_str(), target.c_str()));
  CHECK_STREQ(scratch::ReadText(target.c_str(), text), "new");

  // A read-only target is refused and left as it was, where the platform enforces the mark: as
  // root, Wine opens such a file for writing like any other and the copy replaces it.
  std::string locked = At("locked.txt");
  scratch::WriteText(locked.c_str(), "kept");
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  HANDLE probe = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) {
    CHECK(!files.CopyOneFile(source.c_str(), locked.c_str()));
    CHECK_STREQ(scratch::ReadText(locked.c_str(), text), "kept");
  } else {
    CloseHandle(probe);
    std::printf("note: read-only files are writable here; the refusal is not checked\n");
  }
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);

  // A read-only source is copied, and its copy keeps the mark.
  std::string marked = At("marked.txt");
  scratch::WriteText(marked.c_str(), "m");
  SetFileAttributesA(marked.c_str(), FILE_ATTRIBUTE_READONLY);
  CHECK(files.CopyOneFile(marked.c_str(), At("marked copy.txt").c_str()));
  CHECK(GetFileAttributesA(At("marked copy.txt").c_str()) & FILE_ATTRIBUTE_READONLY);

  CHECK(!files.CopyOneFile(At("list").c_str(), At("folder copy").c_str()));
  CHECK(!files.CopyOneFile(At("absent.txt").c_str(), At("absent copy.txt").c_str()));
  CHECK(!scratch::Exists(At("absent copy.txt").c_str()));
  // Why, in the system's words, on one line of its own.
  char reason[256];
  files.DescribeCopyFailure(reason, sizeof reason);
  std::size_t length = std::strlen(reason);
  CHECK(length > 0 && !std::strpbrk(reason, "\r\n") && reason[length - 1] != ' ');
  CHECK(!files.CopyOneFile(source.c_str(), At("missing\\target.txt").c_str()));
}

void WindowsFolder() {
  char buf[MAX_PATH];
  CHECK(files.GetWindowsFolder(buf, sizeof buf));
  CHECK_PATHEQ(buf, "C:\\windows");
  std::size_t length = std::strlen(buf);

  char exact[MAX_PATH];
  CHECK(files.GetWindowsFolder(exact, length + 1));
  CHECK_PATHEQ(exact, buf);
  char small[MAX_PATH];
  std::strcpy(small, "junk");
  CHECK(!files.GetWindowsFolder(small, length));
  CHECK_STREQ(small, "");
}

void CurrentFolder() {
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  CHECK(!processes.SetCurrentFolder(At("no such folder").c_str()));
  CHECK(processes.SetCurrentFolder(root));
  char now[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, now);
  CHECK_PATHEQ(now, root);
  SetCurrentDirectoryA(previous);
}

bool WaitFor(const std::string& path) {
  for (int i = 0; i < 200; ++i) {
    if (scratch::Exists(path.c_str()))
      return true;
    Sleep(50);
  }
  return false;
}

// A quoted command in a folder with a space starts that program, not "<root>\Program.exe".
void StartProgramQuoted() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string folder = At("Program Files");
  CreateDirectoryA(folder.c_str(), nullptr);
  CHECK(CopyFileA(self, (folder + "\\app.exe").c_str(), FALSE));
  CHECK(CopyFileA(self, At("Program.exe").c_str(), FALSE));

  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  processes.SetCurrentFolder(folder.c_str());
  processes.StartProgram(("\"" + folder + "\\app.exe\" --mark").c_str());
  SetCurrentDirectoryA(previous);

  CHECK(WaitFor(folder + "\\app.mark"));
  Sleep(300);
  CHECK(!scratch::Exists((folder + "\\Program.mark").c_str()));
}

// Started by StartProgramQuoted: leaves "<own name>.mark" in the current folder.
int Mark() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const char* name = std::strrchr(self, '\\');
  std::string mark = name ? name + 1 : self;
  mark = mark.substr(0, mark.rfind('.')) + ".mark";
  return scratch::WriteText(mark.c_str(), "started") ? 0 : 1;
}

void FindHandleOwnership() {
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA((std::string(root) + "\\*").c_str(), &found));
  CHECK(search.IsValid());
  HANDLE raw = search.Get();
  FindHandle moved(static_cast<FindHandle&&>(search));
  CHECK(!search.IsValid());
  CHECK(moved.Get() == raw);
  CHECK(FindNextFileA(moved.Get(), &found));
  CHECK_EQ(moved.Close(), ERROR_SUCCESS);
  CHECK(!moved.IsValid());
  CHECK_EQ(moved.Close(), ERROR_SUCCESS);  // closing an empty handle does nothing

  FindHandle failed(FindFirstFileA((std::string(root) + "\\nothing*").c_str(), &found));
  CHECK(!failed.IsValid());  // INVALID_HANDLE_VALUE counts as empty
  CHECK_EQ(failed.Close(), ERROR_SUCCESS);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--mark") == 0)
    return Mark();
  if (!CHECK(scratch::MakeFolder("file_ops_test", root)))
    return check::Finish();
  MakeFolderResults();
  ListFolderEntries();
  WideNames();
  CopyOneFileResults();
  WindowsFolder();
  CurrentFolder();
  StartProgramQuoted();
  FindHandleOwnership();
  Sleep(200);  // let the started programs exit before their folder goes
  scratch::RemoveTree(root);
  return check::Finish();
}
