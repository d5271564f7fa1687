// Starting a command line the way the system's list of installed programs starts an
// UninstallString: handed whole to CreateProcess, which splits off the program itself.
#pragma once

#include "tests/driver/window_search.h"

// Starts `commandLine`, waits for it to end before the deadline and prints "exit N". Returns
// the driver's exit code: 0, or 1 when it could not start or did not end in time.
int RunCommandLine(const char* commandLine, const Deadline& deadline);
