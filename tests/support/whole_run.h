// Whole runs of the tool on winsim, for the sweep that makes each platform
// call of a run fail in turn: the situations a run starts from, one run from
// the command line to the exit code, and the rules the machine must keep
// after any run, whatever failed in it.
#ifndef KV_TESTS_WHOLE_RUN_H
#define KV_TESTS_WHOLE_RUN_H

#include <cstdint>
#include <string>
#include <vector>

#include "scripted_dialogs.h"
#include "suite_fixture.h"

// Where a run starts: in every situation the suite is installed with its
// communication program at 2.300.0.1, the status panel is open, the status
// server service runs and two printers use a suite driver; a Setup finds
// both shipped files newer (2.300.407.9).
struct Situation {
  const char* name;
  std::vector<std::string> arguments;  // "S": a silent Setup; "D": a Removal, by a scripted user
  bool windows98 = false;              // the 95 family: WININIT.INI instead of MoveFileExA
  bool libraryInUse = false;           // ZAMPUX.DLL held open by another program
  bool Removal() const { return !arguments.empty() && arguments[0] == "D"; }
};

// What a run may leave undone without breaking a rule, because the design
// accepts it when this call failed.
struct Allowance {
  bool serverMayStayStopped = false;  // Windows refused to start the service again
  bool panelMayStayClosed = false;    // the panel could not be relaunched
  bool restartMayBeMissing = false;   // the restart could not be requested
};

// The machine as the run found it.
struct Found {
  std::vector<std::string> systemFiles;  // names in the system directory
  std::string firewall;                  // the firewall's settings, described
  bool serverRunning = false;
  int panels = 0;
};

struct RunResult {
  int exitCode = 0;
  std::vector<std::string> testFailures;  // what the scripted user could not do (a dialog that never ends)
};

// The sweep's fixture: a situation arranged, the tool run in it, and the
// rules checked afterwards.
class WholeRunTest : public SuiteTest {
 protected:
  // A fresh machine in `situation`, with the scripted user's part; the call
  // log empty.
  Found Arrange(const Situation& situation, ScriptedDialogs& user);
  // The tool from its command line to its exit code.
  static RunResult RunTool(const Situation& situation, ScriptedDialogs& user);
  // The rules broken after the run (each a short description), then, after
  // a simulated restart of Windows, those broken after it. A worker left
  // running is reported and abandoned; the machine is left restarted.
  static std::vector<std::string> BrokenRules(const Situation& situation, const Found& found, const RunResult& run,
                                              const Allowance& allowance);
};

// The longest the tool may wait in one run, on the virtual clock.
extern const uint64_t kLongestRunMs;

#endif  // KV_TESTS_WHOLE_RUN_H
