// The tool's command line: the switches D (removal), S (silent setup), A
// (silent setup open to any address) and N (silent setup that leaves the
// restart of Windows to the administrator), each optionally after one "-"
// or "/", letter case ignored, and the run mode they choose.
#ifndef KV_APP_COMMAND_LINE_H
#define KV_APP_COMMAND_LINE_H

#include <cstdint>

#include "win32api.h"

enum RunMode : int32_t {
  RunModeSetup = 1,        // the interactive wizard
  RunModeRemoval = 2,      // the removal dialog
  RunModeSilentSetup = 3,  // Setup without a window, with a scope choice
};

class ToolCommandLineInfo {
 public:
  ToolCommandLineInfo() = default;
  virtual ~ToolCommandLineInfo() = default;

  // One argument, its prefix already removed. Sets the flag of the switch
  // the whole text names (letter case ignored, a double-byte character of
  // the system code page taken as one character), or `unknownSeen` when it
  // names none. Whether a prefix was removed and whether this is the last
  // argument do not matter.
  void ParseParam(const char* param, BOOL flag, BOOL last);

  // The run mode, the first rule that applies winning: an unknown argument
  // gives Setup; D gives Removal; without S, Setup; otherwise SilentSetup,
  // with `scopeAny` 1 when A was given too. `scopeAny` is 0 for every other
  // mode.
  RunMode GetRunMode(BOOL& scopeAny) const;

  // 1 when the run is a silent Setup given N: it then requests no restart.
  // N has no effect on the other modes.
  BOOL NoRestart() const;

  int32_t unknownSeen = 0;
  int32_t removeSwitch = 0;
  int32_t silentSwitch = 0;
  int32_t scopeAnySwitch = 0;
  int32_t noRestartSwitch = 0;
};

// Hands each argument after the program's name (argv[1] to argv[argc - 1])
// to ParseParam, one leading "-" or "/" removed.
void ParseCommandLine(ToolCommandLineInfo& info, int argc, const char* const* argv);

#endif  // KV_APP_COMMAND_LINE_H
