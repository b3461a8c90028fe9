#include "app/tool_app.h"

#include <utility>

#include "app/command_line.h"
#include "app/instance_guard.h"
#include "app/library_search.h"
#include "app/run_report.h"
#include "app/system_restart.h"
#include "common/job_protocol.h"
#include "ui/dialog_ids.h"
#include "ui/string_table.h"

ToolApp::ToolApp(DialogRunner& dialogs, std::vector<std::string> arguments)
    : instanceEvent(nullptr), exitCode(0), restartRequested(0), dialogs_(dialogs), arguments_(std::move(arguments)) {}

ToolApp::~ToolApp() {
  if (instanceEvent) CloseHandle(instanceEvent);
}

BOOL ToolApp::InitInstance() {
  RemoveCurrentDirectoryFromLibrarySearch();

  // A second instance ends at once and shows nothing.
  if (AcquireInstanceGuard(instanceEvent)) {
    exitCode = 1;
    return FALSE;
  }

  ToolCommandLineInfo commandLine;
  std::vector<const char*> argv = {"KV_UPDAT.EXE"};
  for (const std::string& argument : arguments_) argv.push_back(argument.c_str());
  ParseCommandLine(commandLine, static_cast<int>(argv.size()), argv.data());
  BOOL scopeAny = FALSE;
  report.mode = commandLine.GetRunMode(scopeAny);
  report.scopeAny = scopeAny;
  report.noRestart = commandLine.NoRestart();
  switch (report.mode) {
    case RunModeRemoval:
      exitCode = RunRemoval(dialogs_, report);
      break;
    case RunModeSilentSetup:
      exitCode = RunSilentSetup(restartRequested, scopeAny, report);
      // With N the restart is the administrator's: "done, restart pending".
      if (report.noRestart && exitCode == JobOk && restartRequested) {
        restartRequested = 0;
        exitCode = kExitRestartPending;
      }
      break;
    case RunModeSetup:
    default:
      exitCode = RunSetupWizard(dialogs_, restartRequested, report);
      break;
  }
  reportRun_ = true;
  return FALSE;
}

int ToolApp::ExitInstance() {
  if (instanceEvent) {
    CloseHandle(instanceEvent);
    instanceEvent = nullptr;
  }
  if (restartRequested)
    report.restart = RestartWindows(LoadTableText(kTextRestartMessage), kRestartReason) ? RestartRequested
                                                                                       : RestartLeftPending;
  if (reportRun_) {
    report.exitCode = static_cast<uint32_t>(exitCode);
    ReportRun(report);
  }
  return exitCode;
}
