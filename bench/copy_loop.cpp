// bench_copy.exe TARGET: the reference for the installer's copy pass. Creates the folder TARGET
// and copies every entry of the current folder into it with CopyFileA, in the order Windows
// lists them and passing over the installer's own two names as the installer does; nothing else.
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fputs("usage: bench_copy.exe TARGET\n", stderr);
    return 2;
  }
  const char* target = argv[1];
  if (!CreateDirectoryA(target, nullptr)) {
    fprintf(stderr, "bench_copy: cannot create %s (error %lu)\n", target, GetLastError());
    return 1;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("*.*", &found);
  if (search == INVALID_HANDLE_VALUE) {
    fputs("bench_copy: cannot list the current folder\n", stderr);
    return 1;
  }
  int copied = 0;
  do {
    if (strcmp(found.cFileName, "setup.exe") != 0 && strcmp(found.cFileName, "uninstal.exe") != 0) {
      char destination[MAX_PATH];
      int length = snprintf(destination, sizeof destination, "%s\\%s", target, found.cFileName);
      // As in the installer, "." and ".." fail here and are passed over.
      if (length > 0 && length < static_cast<int>(sizeof destination) &&
          CopyFileA(found.cFileName, destination, FALSE)) {
        ++copied;
      }
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  printf("copied=%d\n", copied);
  return 0;
}
