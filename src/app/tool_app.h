// The application: one run of the tool from start to end. It refuses to run
// beside another instance, reads the command line, runs exactly one of the
// three runners (the Setup wizard, the Removal dialog, the silent Setup), and
// at its end closes the guard, restarts Windows when the run asked for it,
// and gives the run's code as the process exit code.
#ifndef KV_APP_TOOL_APP_H
#define KV_APP_TOOL_APP_H

#include <cstdint>
#include <string>
#include <vector>

#include "app/run_report.h"
#include "ui/dialog_view.h"
#include "win32api.h"

// The exit code of a silent Setup given N whose files wait for the next
// start of Windows: done, restart pending (ERROR_SUCCESS_REBOOT_REQUIRED).
const int32_t kExitRestartPending = 3010;

class ToolApp {
 public:
  // `dialogs` shows the dialogs; `arguments` are the command line's
  // arguments after the program's name.
  ToolApp(DialogRunner& dialogs, std::vector<std::string> arguments);
  virtual ~ToolApp();
  ToolApp(const ToolApp&) = delete;
  ToolApp& operator=(const ToolApp&) = delete;

  // The whole run but its end: the current directory out of the library
  // search, the guard, the command line, one runner.
  // FALSE in every case (there is no main window and no message loop).
  BOOL InitInstance();
  // Closes the guard, restarts Windows when `restartRequested`, writes the
  // run's event (not for a second instance), and returns `exitCode`.
  int ExitInstance();

  HANDLE instanceEvent;
  // 1: another instance runs; 3010: a silent Setup given N left files for
  // the next start; otherwise the runner's result.
  int32_t exitCode;
  int32_t restartRequested;  // restart Windows as the application ends
  RunReport report;          // what the run did, for its event

 private:
  bool reportRun_ = false;  // false for a second instance, which writes no event
  DialogRunner& dialogs_;
  std::vector<std::string> arguments_;
};

// The runners, each with a ConfigJob of its own for the whole run; each
// returns the run's exit code and notes what the work did in `report`.
// The wizard: introduction, pre-check, consent (which runs the work), then
// the outcome; `restart` is set when the user agreed to restart Windows.
int32_t RunSetupWizard(DialogRunner& dialogs, int32_t& restart, RunReport& report);
// The removal dialog after the pre-check, then the outcome.
int32_t RunRemoval(DialogRunner& dialogs, RunReport& report);
// The Setup work without any window or message; `restart` is set when files
// wait for the next start. `scopeAny`: open the exceptions to any address.
int32_t RunSilentSetup(int32_t& restart, BOOL scopeAny, RunReport& report);

#endif  // KV_APP_TOOL_APP_H
