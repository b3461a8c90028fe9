#include "app/tool_app.h"

#include <utility>

#include "app/command_line.h"
#include "app/instance_guard.h"
#include "app/library_search.h"
#include "app/system_restart.h"
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
  switch (commandLine.GetRunMode(scopeAny)) {
    case RunModeRemoval:
      exitCode = RunRemoval(dialogs_);
      break;
    case RunModeSilentSetup:
      exitCode = RunSilentSetup(restartRequested, scopeAny);
      break;
    case RunModeSetup:
    default:
      exitCode = RunSetupWizard(dialogs_, restartRequested);
      break;
  }
  return FALSE;
}

int ToolApp::ExitInstance() {
  if (instanceEvent) {
    CloseHandle(instanceEvent);
    instanceEvent = nullptr;
  }
  if (restartRequested) RestartWindows(LoadTableText(kTextRestartMessage), kRestartReason);
  return exitCode;
}
