// The base fixture of every host test: a fresh simulated machine per test.
#ifndef KV_TESTS_SIM_FIXTURE_H
#define KV_TESTS_SIM_FIXTURE_H

#include <gtest/gtest.h>

#include "winsim/control.h"

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { winsim::Reset(); }
};

#endif  // KV_TESTS_SIM_FIXTURE_H
