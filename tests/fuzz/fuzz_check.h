// What every fuzz target shares: a property that each input must keep, and
// a fresh simulated machine per input.
#ifndef KV_TESTS_FUZZ_CHECK_H
#define KV_TESTS_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "winsim/control.h"

// A broken property ends the run as a crash, so that libFuzzer keeps the
// input that broke it.
#define FUZZ_REQUIRE(condition) \
  ((condition) ? static_cast<void>(0) : FuzzFailed(#condition, __FILE__, __LINE__))

[[noreturn]] inline void FuzzFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
  std::abort();
}

// A fresh Windows XP SP2 in code page 932 (about 0.1 ms): no input sees what
// another left behind.
inline void FreshMachine() { winsim::Reset(); }

// The code under test released every handle, key and module it obtained.
inline void RequireNothingLeftOpen() { FUZZ_REQUIRE(winsim::OpenResources().empty()); }

#endif  // KV_TESTS_FUZZ_CHECK_H
