// Reading the start of a file (setup.inf) in one bounded pass.
#include "description/setup_reader.h"
#include "integration/win32/unique_handle.h"
#include "integration/win32/win32_platform.h"

bool Win32Files::ReadFileHead(const char* name, char* buf, std::size_t cap, std::size_t* got) {
  *got = 0;
  UniqueHandle file(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid())
    return false;
  // A read error after a successful open ends the text there, as the end of the file would.
  while (*got < cap) {
    DWORD want = static_cast<DWORD>(cap - *got);
    DWORD read = 0;
    if (!ReadFile(file.Get(), buf + *got, want, &read, nullptr) || read == 0)
      break;
    *got += read;
  }
  return true;
}

bool Win32InstallerFiles::ReadFileHead(const char* name, char* buf, std::size_t cap,
                                       std::size_t* got) {
  if (!setupInfo_)
    return Win32Files::ReadFileHead(name, buf, cap, got);
  // Only setup.inf is ever read so: nothing beside the program is.
  *got = 0;
  if (lstrcmpiA(name, kSetupInfoName) != 0)
    return false;
  *got = setupInfoSize_ < cap ? setupInfoSize_ : cap;
  CopyMemory(buf, setupInfo_, *got);
  return true;
}
