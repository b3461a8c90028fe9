// suitedriver.exe CHECK...: drives the suite's stand-ins the way the tool
// does, with the tool's own calls, and prints what it sees, for the test
// bed's check of the suite. Checks, run in the order given:
//
//   service   starts "ZAMWTQNT", queries it, stops it taking 1500 ms (the
//             stop's time includes the tool's pause of a second after it)
//   panel     starts ZAMBAZ.EXE and closes it with message 1030
//   ignoring  sends 1030 to a panel told by PanelOnClose to ignore it: the
//             window is still there a second later
//   handoff   the printer status hand-off with the panel running
#include <cstdio>
#include <string>

#include "suite/program_control.h"
#include "suite/service_control.h"
#include "suite/suite_environment.h"

namespace {

const char kSettingsKey[] = "SOFTWARE\\KvTestbed";

std::string SystemFile(const char* name) {
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  return std::string(system) + "\\" + name;
}

// The panel's window, waited for up to 10 s after its start.
HWND StartPanel() {
  LaunchProgram(SystemFile("ZAMBAZ.EXE"));
  for (int i = 0; i < 100; ++i) {
    if (const HWND window = FindWindowA(kStatusPanelWindowClass, kStatusPanelWindowTitle)) return window;
    Sleep(100);
  }
  return nullptr;
}

// Sets a stand-in's setting (see testbed/common/settings.h), or removes it
// when `data` is null.
void SetSetting(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  if (data)
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  else
    RegDeleteValueA(key, name);
  RegCloseKey(key);
}

void SetPanelOnClose(const char* behaviour) {
  SetSetting("PanelOnClose", REG_SZ, behaviour, behaviour ? static_cast<DWORD>(lstrlenA(behaviour) + 1) : 0);
}

void CheckService() {
  ServiceControl services;
  std::printf("service open-manager %d\n", services.OpenServiceManager());
  std::printf("service start %d\n", services.StartNamedService("ZAMWTQNT"));
  std::printf("service query-running %d\n", services.QueryNamedService("ZAMWTQNT"));
  const DWORD stopDelayMs = 1500;
  SetSetting("ServerStopDelayMs", REG_DWORD, &stopDelayMs, sizeof stopDelayMs);
  const DWORD start = GetTickCount();
  std::printf("service stop %d\n", services.StopNamedService("ZAMWTQNT"));
  std::printf("service stop-ms %lu\n", GetTickCount() - start);
  std::printf("service query-stopped %d\n", services.QueryNamedService("ZAMWTQNT"));
  SetSetting("ServerStopDelayMs", REG_DWORD, nullptr, 0);
}

void CheckPanel() {
  const HWND window = StartPanel();
  std::printf("panel found %d\n", window ? 1 : 0);
  if (!window) return;
  const DWORD start = GetTickCount();
  CloseWindowAndWait(window, kStatusPanelCloseMessage, 0, 0);
  std::printf("panel closed %d\n", IsWindow(window) ? 0 : 1);
  std::printf("panel close-ms %lu\n", GetTickCount() - start);
}

// Without the tool's 10-second wait: a second tells an ignored message.
void CheckIgnoringPanel() {
  SetPanelOnClose("ignore");
  const HWND window = StartPanel();
  SetPanelOnClose(nullptr);
  std::printf("ignoring found %d\n", window ? 1 : 0);
  if (!window) return;
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(window, kStatusPanelCloseMessage, 0, 0, SMTO_NORMAL, 5000, &answer);
  Sleep(1000);
  std::printf("ignoring closed %d\n", IsWindow(window) ? 0 : 1);
  PostMessageA(window, WM_CLOSE, 0, 0);
  for (int i = 0; i < 50 && IsWindow(window); ++i) Sleep(100);
}

void CheckHandOff() {
  const HWND window = StartPanel();
  std::printf("handoff panel %d\n", window ? 1 : 0);
  SuiteEnvironment suite;
  suite.HandOffPrinterStatus();
  if (window) CloseWindowAndWait(window, kStatusPanelCloseMessage, 0, 0);
  std::printf("handoff done\n");
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string check = argv[i];
    if (check == "service") {
      CheckService();
    } else if (check == "panel") {
      CheckPanel();
    } else if (check == "ignoring") {
      CheckIgnoringPanel();
    } else if (check == "handoff") {
      CheckHandOff();
    } else {
      std::fprintf(stderr, "usage: suitedriver service|panel|ignoring|handoff...\n");
      return 2;
    }
    std::fflush(stdout);
  }
  return 0;
}
