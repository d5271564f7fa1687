// A distribution folder of its own for each test of setup-check and setup-pack, removed
// afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check/setup_check.h"
#include "tests/unit/example_description.h"
#include "tests/unit/pe_image.h"

class Distribution {
 public:
  Distribution() {
    char name[] = "/tmp/setup-dist-test-XXXXXX";
    path_ = mkdtemp(name);
  }
  ~Distribution() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << bytes;
  }
  // setup.inf and the files that a complete distribution of kExampleDescription holds; the
  // program has a version resource.
  void Standard(const std::string& setupInfo = kExampleDescription) const {
    Write("setup.inf", setupInfo);
    for (const char* name : {"setup.exe", "UNINSTAL.EXE", "readme.txt"})
      Write(name, "x");
    Write("Viewer.exe", pe::Image(pe::SampleVersion()));
  }

 private:
  std::string path_;
};

// One run of setup-check: its exit status and what it printed.
struct Outcome {
  int status;
  std::string out;
  std::string err;
};

inline Outcome Check(std::vector<std::string> args) {
  Outcome run;
  run.status = RunSetupCheck(args, &run.out, &run.err);
  return run;
}
