// uidriver.exe: plays a user's part in the dialogs and message boxes of
// KV_UPDAT.EXE, run beside it (under Wine, in the test bed).
//
//   uidriver.exe [--limit SECONDS] [--desktop NAME] STEP... | @SCRIPT
//
// Each argument is one step (see steps.h); @SCRIPT reads the steps from a
// file, one per line, where blank lines and lines starting with # are
// skipped. The steps run in order; the first that fails or runs out of time
// ends the driver with exit code 1 and says why on standard error. The whole
// run is bounded too (--limit, default 120 s). Exit code 0: every step
// passed; 2: the command line is wrong.
//
// The driver looks for the tool's windows on its own desktop: with Wine's
// virtual desktop (explorer /desktop=NAME,...), name that desktop.
//
// The tool's windows are found by their caption, the program's text 5000,
// which the driver carries in its own string table (the tool's strings.rc).
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "output.h"
#include "steps.h"

namespace {

const UINT kCaptionText = 5000;
const int kDefaultLimitSeconds = 120;

volatile LONG g_currentStep = 0;
DWORD g_limitSeconds = kDefaultLimitSeconds;

DWORD WINAPI Watchdog(LPVOID) {
  Sleep(g_limitSeconds * 1000);
  uidriver::PrintLog("uidriver: the run took more than " + std::to_string(g_limitSeconds) + " s (in step " +
                     std::to_string(g_currentStep) + ")");
  ExitProcess(1);
}

int Usage(const std::string& problem) {
  uidriver::PrintLog("uidriver: " + problem);
  uidriver::PrintLog("usage: uidriver.exe [--limit SECONDS] [--desktop NAME] STEP... | @SCRIPT");
  return 2;
}

bool ReadScript(const std::string& path, std::vector<std::string>& steps) {
  std::ifstream file(path);
  if (!file) return false;
  std::string line;
  while (std::getline(file, line)) {
    const uidriver::Words words = uidriver::SplitStep(line);
    if (!words.empty() && words[0][0] != '#') steps.push_back(line);
  }
  return true;
}

const DWORD kDesktopLimitMs = 30000;

// Moves the driver's thread, which has no window yet, to the desktop
// `name`, waiting for it to be made (Wine's explorer makes a virtual
// desktop when it starts). The handle stays open for the run.
bool UseDesktop(const std::string& name) {
  const DWORD start = GetTickCount();
  HDESK desktop = nullptr;
  while (!(desktop = OpenDesktopA(name.c_str(), 0, FALSE, GENERIC_ALL))) {
    if (GetTickCount() - start >= kDesktopLimitMs) return false;
    Sleep(100);
  }
  return SetThreadDesktop(desktop) != FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> steps;
  std::string desktop;
  for (int index = 1; index < argc; ++index) {
    const std::string argument = argv[index];
    if (argument == "--limit" && index + 1 < argc) {
      const long seconds = std::strtol(argv[++index], nullptr, 10);
      if (seconds <= 0 || seconds > 3600) return Usage("a run's limit is 1 to 3600 seconds");
      g_limitSeconds = static_cast<DWORD>(seconds);
    } else if (argument == "--desktop" && index + 1 < argc) {
      desktop = argv[++index];
    } else if (argument.size() > 1 && argument[0] == '@') {
      if (!ReadScript(argument.substr(1), steps)) return Usage("cannot read " + argument.substr(1));
    } else {
      steps.push_back(argument);
    }
  }
  if (steps.empty()) return Usage("no steps");

  uidriver::Session session;
  wchar_t caption[256] = {};
  if (LoadStringW(GetModuleHandleW(nullptr), kCaptionText, caption, 256) <= 0)
    return Usage("the tool's caption (text 5000) is missing from the driver");
  session.caption = caption;

  HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
  if (!watchdog) return Usage("cannot bound the run in time");
  CloseHandle(watchdog);
  if (!desktop.empty() && !UseDesktop(desktop)) {
    uidriver::PrintLog("uidriver: no desktop \"" + desktop + "\" within " + std::to_string(kDesktopLimitMs / 1000) +
                       " s");
    return 1;
  }

  for (size_t index = 0; index < steps.size(); ++index) {
    InterlockedExchange(&g_currentStep, static_cast<LONG>(index + 1));
    const DWORD start = GetTickCount();
    std::string error;
    const bool passed = uidriver::RunStep(session, uidriver::SplitStep(steps[index]), error);
    if (!passed) {
      uidriver::PrintLog("uidriver: step " + std::to_string(index + 1) + " \"" + steps[index] + "\" failed: " + error);
      return 1;
    }
    uidriver::PrintLog("uidriver: step " + std::to_string(index + 1) + " \"" + steps[index] + "\" ok (" +
                       std::to_string(GetTickCount() - start) + " ms)");
  }
  return 0;
}
