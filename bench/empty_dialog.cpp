// bench_dialog.exe: the reference for the installer's start-up and memory. The least a MinGW
// program can do to show a dialog: the C runtime's usual start-up, then an empty dialog from a
// resource, run modally until Cancel (or its close box).
// Built with SETUP_TEMPLATE as bench_setup_dialog.exe, it shows the installer's own dialog
// template instead, with nothing behind it: what is left of the installer's figures above that
// program's is the installer's own doing.
#include <windows.h>

#ifdef SETUP_TEMPLATE
#include <commctrl.h>

#include "res/resource.h"
#endif

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef SETUP_TEMPLATE
  // The template's progress bar needs its window class registered before the dialog exists.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  const int templateId = IDD_SETUP;
#else
  const int templateId = 1;
#endif
  return static_cast<int>(
      DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), nullptr, DialogProc, 0));
}
