// Stopping the suite's status server and status panel before the program
// update, and bringing them back after it.
#include "suite/program_control.h"
#include "suite/suite_environment.h"

namespace {

const char kSpoolerService[] = "SPOOLER";
const char kStatusServerService[] = "ZAMWTQNT";
const int kServiceRunning = 2;  // QueryNamedService: any state but stopped
const int kServiceStopped = 1;  // StopNamedService: the service is stopped

}  // namespace

int32_t SuiteEnvironment::IsSpoolerRunning() {
  return services.QueryNamedService(kSpoolerService) == kServiceRunning ? 1 : 0;
}

int32_t SuiteEnvironment::StopStatusServer() {
  if (!isInstalled) return 0;
  serverStopped = 0;
  panelClosed = 0;
  HandOffPrinterStatus();
  const HWND panel = FindWindowA(kStatusPanelWindowClass, kStatusPanelWindowTitle);
  if (panel) {
    panelClosed = 1;
    CloseWindowAndWait(panel, kStatusPanelCloseMessage, 0, 0);
  }
  return services.StopNamedService(kStatusServerService, serverStopped) == kServiceStopped ? 1 : 0;
}

int32_t SuiteEnvironment::RestartStatusServer() {
  if (!isInstalled) return 0;
  // Detection may have failed to see what ran; what the stop took down
  // comes back in any case.
  if (statusServer.detected || serverStopped)
    serverRestarted = services.StartNamedService(kStatusServerService) == 1 ? 1 : 0;
  if ((statusPanel.detected || panelClosed) && !FindWindowA(kStatusPanelWindowClass, kStatusPanelWindowTitle)) {
    std::string path = statusPanel.path;
    if (path.empty()) {
      // Never a bare file name, which would be looked for elsewhere.
      const std::string directory = SystemDirectoryPath();
      if (!directory.empty()) path = directory + kStatusPanelFile;
    }
    if (!path.empty()) LaunchProgram(path, panelRelaunched);
  }
  return 1;
}
