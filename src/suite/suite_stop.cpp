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
  HandOffPrinterStatus();
  const HWND panel = FindWindowA(kStatusPanelWindowClass, kStatusPanelWindowTitle);
  if (panel) CloseWindowAndWait(panel, kStatusPanelCloseMessage, 0, 0);
  return services.StopNamedService(kStatusServerService) == kServiceStopped ? 1 : 0;
}

int32_t SuiteEnvironment::RestartStatusServer() {
  if (!isInstalled) return 0;
  if (statusServer.detected) services.StartNamedService(kStatusServerService);
  if (statusPanel.detected) LaunchProgram(statusPanel.path);
  return 1;
}
