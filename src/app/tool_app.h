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

#include "ui/dialog_view.h"
#include "win32api.h"

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
  // Closes the guard, restarts Windows when `restartRequested`, and returns
  // `exitCode`.
  int ExitInstance();

  HANDLE instanceEvent;
  int32_t exitCode;          // 1: another instance runs; otherwise the runner's result
  int32_t restartRequested;  // restart Windows as the application ends

 private:
  DialogRunner& dialogs_;
  std::vector<std::string> arguments_;
};

// The runners, each with a ConfigJob of its own for the whole run; each
// returns the run's exit code.
// The wizard: introduction, pre-check, consent (which runs the work), then
// the outcome; `restart` is set when the user agreed to restart Windows.
int32_t RunSetupWizard(DialogRunner& dialogs, int32_t& restart);
// The removal dialog after the pre-check, then the outcome.
int32_t RunRemoval(DialogRunner& dialogs);
// The Setup work without any window or message; `restart` is set when files
// wait for the next start. `scopeAny`: open the exceptions to any address.
int32_t RunSilentSetup(int32_t& restart, BOOL scopeAny);

#endif  // KV_APP_TOOL_APP_H
