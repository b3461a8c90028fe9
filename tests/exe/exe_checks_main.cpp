// Checks that read the built Windows program back from its file:
//
//   exe_checks PROGRAM [GoogleTest options]
//
// A missing PROGRAM (the win32 preset not built) skips with exit code 77,
// unless the environment variable CI is set: then it fails, because CI must
// check the program it ships.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "built_program.h"

namespace {
kvtest::PeImage program;
}  // namespace

const kvtest::PeImage& kvtest::BuiltProgram() { return program; }

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PROGRAM [GoogleTest options]\n", argv[0]);
    return 2;
  }
  if (!std::ifstream(argv[1])) {
    const bool ci = std::getenv("CI") != nullptr;
    std::fprintf(stderr, "%s: %s is not built (build the win32 preset first)%s\n", argv[0], argv[1],
                 ci ? "; CI is set, so this fails" : "; skipped");
    return ci ? 1 : 77;
  }
  std::string error;
  if (!kvtest::ReadPeFile(argv[1], &program, &error)) {
    std::fprintf(stderr, "%s: %s cannot be read: %s\n", argv[0], argv[1], error.c_str());
    return 1;
  }
  return RUN_ALL_TESTS();
}
