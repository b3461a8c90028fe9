// The switches on the command line and the run mode they choose.
#include <vector>

#include "app/command_line.h"
#include "sim_fixture.h"

namespace {

class CommandLineTest : public SimTest {};

TEST_F(CommandLineTest, ArgumentsChooseTheRunMode) {
  const struct {
    std::vector<const char*> args;
    RunMode mode;
    BOOL scopeAny;
    BOOL noRestart = 0;
  } cases[] = {
      {{}, RunModeSetup, 0},
      {{"D"}, RunModeRemoval, 0},
      {{"d"}, RunModeRemoval, 0},
      {{"/D"}, RunModeRemoval, 0},
      {{"-d"}, RunModeRemoval, 0},
      {{"S"}, RunModeSilentSetup, 0},
      {{"/s", "-a"}, RunModeSilentSetup, 1},
      {{"a", "S"}, RunModeSilentSetup, 1},
      {{"S", "s"}, RunModeSilentSetup, 0},
      {{"A"}, RunModeSetup, 0},
      {{"D", "S"}, RunModeRemoval, 0},
      {{"-S", "/D"}, RunModeRemoval, 0},
      {{"D", "A"}, RunModeRemoval, 0},
      {{"D", "X"}, RunModeSetup, 0},
      {{"X", "S", "A"}, RunModeSetup, 0},
      {{"SA"}, RunModeSetup, 0},          // one word is no pair of switches
      {{"//S"}, RunModeSetup, 0},         // only one prefix is removed
      {{"S", ""}, RunModeSetup, 0},       // an empty argument
      {{"S", "-"}, RunModeSetup, 0},      // nothing after the prefix
      {{"S "}, RunModeSetup, 0},          // the whole text counts
      {{"\x82\x72"}, RunModeSetup, 0},    // full-width S
      {{"/\x83\x44"}, RunModeSetup, 0},   // a katakana whose trail byte is "D"
      {{"S", "\x82\x60"}, RunModeSetup, 0},  // full-width A
      {{"S", "N"}, RunModeSilentSetup, 0, 1},
      {{"/n", "-s", "a"}, RunModeSilentSetup, 1, 1},
      {{"N"}, RunModeSetup, 0},             // N without S: the wizard, which asks
      {{"D", "n"}, RunModeRemoval, 0},      // no effect on the removal
      {{"S", "N", "X"}, RunModeSetup, 0},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv = {"KV_UPDAT.EXE"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    ToolCommandLineInfo info;
    ParseCommandLine(info, static_cast<int>(argv.size()), argv.data());
    BOOL scopeAny = -1;
    std::string line;
    for (const char* arg : c.args) line += std::string("[") + arg + "]";
    EXPECT_EQ(info.GetRunMode(scopeAny), c.mode) << line;
    EXPECT_EQ(scopeAny, c.scopeAny) << line;
    EXPECT_EQ(info.NoRestart(), c.noRestart) << line;
  }
}

}  // namespace
