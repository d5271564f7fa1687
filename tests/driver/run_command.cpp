#include "tests/driver/run_command.h"

#include <stdio.h>
#include <string.h>

int RunCommandLine(const char* commandLine, const Deadline& deadline) {
  // CreateProcessA may write into the command line, so it gets a copy of its own.
  char line[32768];
  size_t length = strlen(commandLine);
  if (length >= sizeof line)
    return Fail("command line too long");
  memcpy(line, commandLine, length + 1);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return Fail("cannot start %s (error %lu)", commandLine, GetLastError());
  }
  CloseHandle(process.hThread);
  DWORD waited = WaitForSingleObject(process.hProcess, deadline.Remaining());
  DWORD code = 0;
  bool ended = waited == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  if (!ended)
    return Fail("timed out after %lu ms waiting for %s to end", deadline.Limit(), commandLine);
  printf("exit %lu\n", code);
  return 0;
}
