// The run's log on the real file system: opened once at its full path, held against writers,
// appended to; a link, a second hard link, a folder or a device is refused and left as it was.
#include <windows.h>

#include <cstdio>
#include <string>

#include "integration/win32/win32_platform.h"
#include "tests/win32/check.h"
#include "tests/win32/scratch.h"

namespace {

char root[MAX_PATH];

std::string At(const char* name) {
  return std::string(root) + "\\" + name;
}

// Each log stays open until the program ends, as in setup; the scratch folder goes with Wine's.
bool Opens(const std::string& path) {
  static Win32Log logs[16];
  static int used = 0;
  return used < 16 && logs[used++].OpenLog(path.c_str());
}

void OpenedOnceAndHeld() {
  Win32Log log;
  scratch::WriteText(At("run.log").c_str(), "earlier\r\n");
  SetCurrentDirectoryA(root);
  CHECK(log.OpenLog("run.log"));
  // Taken at its full path once: entering another folder leaves the log where it was.
  CreateDirectoryA(At("elsewhere").c_str(), nullptr);
  SetCurrentDirectoryA(At("elsewhere").c_str());
  CHECK(log.AppendToLog("one\r\n"));
  CHECK(!scratch::Exists(At("elsewhere\\run.log").c_str()));
  // Others may read it, not write it.
  char text[32] = {};
  DWORD got = 0;
  HANDLE reader =
      CreateFileA(At("run.log").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  CHECK(ReadFile(reader, text, sizeof text - 1, &got, nullptr));
  CloseHandle(reader);
  CHECK_STREQ(text, "earlier\r\none\r\n");
  HANDLE writer = CreateFileA(At("run.log").c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  CHECK(writer == INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE)
    CloseHandle(writer);
  // The listed name that is the log, and one that is not.
  SetCurrentDirectoryA(root);
  scratch::WriteText(At("other.log").c_str(), "x");
  FolderEntry entry = {"run.log", L"run.log", false, false, 0};
  CHECK(log.IsLog(entry));
  entry = {"other.log", L"other.log", false, false, 0};
  CHECK(!log.IsLog(entry));
}

// Looked up: the build targets systems older than symbolic links. Wine 8 answers success and
// makes nothing (and refuses FSCTL_SET_REPARSE_POINT); the link rows then do not run.
bool SymbolicLink(const std::string& link, const std::string& target) {
  using Create = BOOLEAN(WINAPI*)(const char*, const char*, DWORD);
  auto create = reinterpret_cast<Create>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "CreateSymbolicLinkA")));
  DWORD attributes = create && create(link.c_str(), target.c_str(), 0)
                         ? GetFileAttributesA(link.c_str())
                         : INVALID_FILE_ATTRIBUTES;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return true;
  DeleteFileA(link.c_str());
  return false;
}

void Refused() {
  scratch::WriteText(At("system.txt").c_str(), "system\r\n");
  CreateDirectoryA(At("folder").c_str(), nullptr);
  CreateHardLinkA(At("second.log").c_str(), At("system.txt").c_str(), nullptr);
  bool symbolic = SymbolicLink(At("link.log"), At("system.txt")) &&
                  SymbolicLink(At("dangling.log"), At("made.txt"));
  std::printf("symbolic links %s\n", symbolic ? "made" : "not made on this system");
  struct Case {
    std::string path;
    bool opens;
    bool link = false;
  } cases[] = {
      {At("new.log"), true},
      {At("folder"), false},
      {At("second.log"), false},  // the file has another name too
      {At("system.txt"), false},  // ... and so has this one
      {"NUL", false},
      {"CON", false},
      {At("link.log"), false, true},
      {At("dangling.log"), false, true},
  };
  for (const Case& c : cases)
    if ((symbolic || !c.link) && !CHECK_EQ(Opens(c.path), c.opens))
      std::printf("    for \"%s\"\n", c.path.c_str());
  char text[256];
  CHECK_STREQ(scratch::ReadText(At("system.txt").c_str(), text), "system\r\n");
  CHECK(!scratch::Exists(At("made.txt").c_str()));
}

}  // namespace

int main() {
  if (!CHECK(scratch::MakeFolder("log_ops_test", root)))
    return check::Finish();
  OpenedOnceAndHeld();
  Refused();
  scratch::RemoveTree(root);  // what the open logs leave goes with the prefix
  return check::Finish();
}
