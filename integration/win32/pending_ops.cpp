// Operations whose Win32 implementation has not been written yet. Each one moves into its own
// file (file_ops.cpp, shell_ops.cpp, registry.cpp) as it is implemented; this file then goes.
#include "integration/win32/win32_platform.h"

FolderCreation Win32Platform::MakeFolder(const char*) { return FolderCreation::kFailed; }
void Win32Platform::ListFolder(const char*, FolderVisitor&) {}
bool Win32Platform::CopyOneFile(const char*, const char*) { return false; }
bool Win32Platform::GetWindowsFolder(char*, std::size_t) { return false; }
bool Win32Platform::SetCurrentFolder(const char*) { return false; }
void Win32Platform::StartProgram(const char*) {}
void Win32Platform::Pause(unsigned) {}
int Win32Platform::WindowsFamily() { return 0; }
bool Win32Platform::GetSpecialFolder(int, char*, std::size_t) { return false; }
void Win32Platform::InitializeCom() {}
void Win32Platform::UninitializeCom() {}
bool Win32Platform::WriteShellLink(const char*, const LinkInfo&) { return false; }
bool Win32Platform::RegistryKeyOpens(RegistryRoot, const char*) { return false; }
bool Win32Platform::RegistrySetString(RegistryRoot, const char*, const char*, const char*) {
  return false;
}
