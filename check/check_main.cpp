// setup-check's entry point: the arguments in, the report out.
#include <cstdio>
#include <string>
#include <vector>

#include "check/setup_check.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out;
  std::string err;
  int status = RunSetupCheck(args, &out, &err);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
