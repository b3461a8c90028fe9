// The entry of KV_UPDAT.EXE on Windows: common controls, the arguments after
// the program's name (ANSI, as the C runtime split them), one run of the
// application with the dialogs of the program's own templates, and the run's
// result as the process exit code.
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/tool_app.h"
#include "ui/win32/win32_dialog_runner.h"
#include "win32api.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // With the manifest's dependency, the dialogs get version 6 of the
  // common controls.
  InitCommonControls();

  std::vector<std::string> arguments;
  for (int index = 1; index < __argc; ++index) arguments.emplace_back(__argv[index]);

  Win32DialogRunner dialogs;
  ToolApp app(dialogs, std::move(arguments));
  app.InitInstance();
  return app.ExitInstance();
}
