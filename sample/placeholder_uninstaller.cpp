// UNINSTAL.EXE of the sample distribution: a stand-in until the project has an uninstaller.
// The installer only copies it and records its path; running it removes nothing.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr,
              "This uninstaller is a placeholder. It removes nothing: delete the program's "
              "folder, shortcuts and uninstall entry by hand.",
              "Uninstall", MB_OK);
  return 0;
}
