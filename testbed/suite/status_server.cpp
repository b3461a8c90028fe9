// ZAMWTQNT.EXE: the suite's network printer status server, a Win32 service
// of its own process named "ZAMWTQNT". It reports running at once, accepts
// stop and shutdown, and takes ServerStopDelayMs (see settings.h) to stop,
// staying stop-pending meanwhile. Its log (ZAMWTQNT.log) has a line for each
// start, with the version of the image that runs, each stop request and
// each completed stop; a service that Wine killed has no "stopped" line.
#include <windows.h>

#include "../common/event_log.h"
#include "../common/settings.h"
#include "version.h"

namespace {

const char kServiceName[] = "ZAMWTQNT";
const char kLog[] = "ZAMWTQNT.log";
const DWORD kDefaultStopDelayMs = 500;
const DWORD kCheckPointMs = 1000;

const char kVersion[] = VER_STRING;

SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stopRequested = nullptr;
SERVICE_STATUS g_status = {SERVICE_WIN32_OWN_PROCESS, SERVICE_START_PENDING, 0, NO_ERROR, 0, 0, 0};

void Report(DWORD state, DWORD waitHint) {
  const bool settled = state == SERVICE_RUNNING || state == SERVICE_STOPPED;
  g_status.dwCurrentState = state;
  g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  g_status.dwWaitHint = waitHint;
  g_status.dwCheckPoint = settled ? 0 : g_status.dwCheckPoint + 1;
  SetServiceStatus(g_statusHandle, &g_status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN: {
      const DWORD delay = testbed::ReadDwordSetting("ServerStopDelayMs", kDefaultStopDelayMs);
      testbed::LogEvent(kLog, "stop requested (%s), stopping in %lu ms",
                        control == SERVICE_CONTROL_STOP ? "stop" : "shutdown", delay);
      Report(SERVICE_STOP_PENDING, delay + kCheckPointMs);
      SetEvent(g_stopRequested);
      return NO_ERROR;
    }
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
  g_statusHandle = RegisterServiceCtrlHandlerExA(kServiceName, Control, nullptr);
  if (!g_statusHandle) {
    testbed::LogEvent(kLog, "no control handler (error %lu)", GetLastError());
    return;
  }
  g_stopRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  Report(SERVICE_START_PENDING, kCheckPointMs);
  testbed::LogEvent(kLog, "started, version %s", kVersion);
  Report(SERVICE_RUNNING, 0);

  WaitForSingleObject(g_stopRequested, INFINITE);
  const DWORD delay = testbed::ReadDwordSetting("ServerStopDelayMs", kDefaultStopDelayMs);
  for (DWORD waited = 0; waited < delay; waited += kCheckPointMs) {
    Sleep(delay - waited < kCheckPointMs ? delay - waited : kCheckPointMs);
    Report(SERVICE_STOP_PENDING, kCheckPointMs * 2);
  }
  testbed::LogEvent(kLog, "stopped, version %s", kVersion);
  CloseHandle(g_stopRequested);
  Report(SERVICE_STOPPED, 0);
}

}  // namespace

int main() {
  char name[sizeof kServiceName];
  lstrcpyA(name, kServiceName);
  const SERVICE_TABLE_ENTRYA services[] = {{name, ServiceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherA(services)) {
    testbed::LogEvent(kLog, "not started as a service (error %lu)", GetLastError());
    return 1;
  }
  return 0;
}
