// The built Windows program that the checks of this directory read back.
#ifndef KV_TESTS_EXE_BUILT_PROGRAM_H
#define KV_TESTS_EXE_BUILT_PROGRAM_H

#include "pe_image.h"

namespace kvtest {

// The image named on the command line, read once before the tests run.
const PeImage& BuiltProgram();

}  // namespace kvtest

#endif  // KV_TESTS_EXE_BUILT_PROGRAM_H
