// FrameStartup: the process entry of a frame program linked without the C runtime's start-up
// code (setup.exe: that code, with the stdio it drags in, was a third of the file). It runs the
// static constructors, then WinMain, and ends the process with WinMain's result.
#include <windows.h>

#include "common/command_line.h"
#include "frame/system_dlls.h"

// Laid out by the linker script: a -1 marker, the constructors, a null.
extern "C" void (*__CTOR_LIST__[])();

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

// msvcrt prepares itself when it is loaded, so malloc, memcpy and strlen need nothing from here.
// What the skipped start-up would have done is not needed by such a program: no argv (WinMain
// gets the line after the program's name, as Windows gives it), no stdio, no imported data to
// relocate (the link refuses it), no exceptions, and no static object with a destructor (none
// would run: the process ends with ExitProcess).
// The stack is realigned, since the loader calls an entry point with no alignment promised.
extern "C" __attribute__((noreturn, force_align_arg_pointer)) void FrameStartup() {
  // Before any code of ours can load a DLL, directly or through a system DLL.
  RestrictDllSearchToSystemFolder();
  int count = 0;
  while (__CTOR_LIST__[count + 1] != nullptr)
    ++count;
  // Last to first, as the runtime runs them.
  for (int k = count; k > 0; --k)
    __CTOR_LIST__[k]();
  ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr,
                                        const_cast<char*>(ArgumentsOf(GetCommandLineA())),
                                        SW_SHOWDEFAULT)));
}
