// Tiny Notes, the sample distribution's program. It records the folder it was started in,
// so that a test can tell from outside that the installer started it in the install folder.
#include <windows.h>

namespace {

const char kRecordPath[] = "C:\\sample-started.txt";

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char folder[MAX_PATH + 2];
  DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH)
    return 1;
  folder[length++] = '\r';
  folder[length++] = '\n';
  HANDLE file = CreateFileA(kRecordPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 1;
  DWORD written = 0;
  BOOL ok = WriteFile(file, folder, length, &written, nullptr) && written == length;
  CloseHandle(file);
  return ok ? 0 : 1;
}
