// Imports comctl32 as programs usually do, statically: the loader then looks for comctl32.dll
// beside it. Exit code 0 when the import was resolved and called.
#include <windows.h>

#include <commctrl.h>

int main() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  return InitCommonControlsEx(&controls) ? 0 : 1;
}
