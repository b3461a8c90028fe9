// The base fixture of every host test: a fresh simulated machine per test,
// and at its end the check that the code under test released everything it
// obtained (handles, keys, modules, memory, COM objects and apartments), kept
// COM balanced (no CoUninitialize too many, no call outside an apartment, no
// BSTR freed twice) and never made a call that would have blocked for ever. The check runs in the destructor, after the derived
// fixture's members (a ServiceControl, say) have released what they own.
#ifndef KV_TESTS_SIM_FIXTURE_H
#define KV_TESTS_SIM_FIXTURE_H

#include <gtest/gtest.h>

#include "winsim/control.h"
#include "winsim/firewall_control.h"

class SimTest : public ::testing::Test {
 protected:
  ~SimTest() override { ExpectNothingLeft(); }
  void SetUp() override {
    InstallToolStrings();
    winsim::Reset();
  }

  // For a table whose rows each need a fresh machine: checks what the last
  // row left, then resets.
  void FreshMachine() {
    ExpectNothingLeft();
    winsim::Reset();
  }

 private:
  // The tool's own string table, for LoadStringA; the machine keeps it
  // across resets, so it is installed once.
  static void InstallToolStrings();
  static void ExpectNothingLeft() {
    EXPECT_EQ(winsim::OpenResources(), std::vector<std::string>{}) << "left open";
    EXPECT_EQ(winsim::ForeverBlockedCalls(), std::vector<std::string>{}) << "calls that never return on Windows";
    EXPECT_EQ(winsim::UnbalancedCoUninitializeCount(), 0);
    EXPECT_EQ(winsim::ComCallsOutsideApartment(), 0) << "a COM call after CoUninitialize";
    EXPECT_EQ(winsim::InvalidBstrFrees(), 0);
  }
};

#endif  // KV_TESTS_SIM_FIXTURE_H
