// setup-pack's entry point: the arguments in, the report out.
#include <cstdio>
#include <string>
#include <vector>

#include "pack/setup_pack.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out;
  std::string err;
  int status = RunSetupPack(args, &out, &err);
  std::fwrite(err.data(), 1, err.size(), stderr);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return status;
}
