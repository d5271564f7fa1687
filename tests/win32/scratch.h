// Scratch files and folders for the Win32 test programs, under the temporary folder.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace scratch {

// "<temp>\<name>-<process id>", created empty (an old one is removed first).
inline void RemoveTree(const char* path);
inline bool MakeFolder(const char* name, char (&path)[MAX_PATH]) {
  char temp[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH)
    return false;
  std::snprintf(path, MAX_PATH, "%s%s-%lu", temp, name, GetCurrentProcessId());
  RemoveTree(path);
  return CreateDirectoryA(path, nullptr) != 0;
}

inline bool WriteText(const char* path, const char* text) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
  CloseHandle(file);
  return ok && written == std::strlen(text);
}

// The file's text, or "(missing)" when it cannot be read.
inline const char* ReadText(const char* path, char (&buf)[256]) {
  std::strcpy(buf, "(missing)");
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return buf;
  DWORD got = 0;
  if (ReadFile(file, buf, sizeof buf - 1, &got, nullptr))
    buf[got] = '\0';
  CloseHandle(file);
  return buf;
}

inline bool Exists(const char* path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

inline void RemoveTree(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return;
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path);
    return;
  }
  char pattern[MAX_PATH];
  std::snprintf(pattern, sizeof pattern, "%s\\*", path);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
        continue;
      char child[MAX_PATH];
      std::snprintf(child, sizeof child, "%s\\%s", path, found.cFileName);
      RemoveTree(child);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path);
}

}  // namespace scratch
