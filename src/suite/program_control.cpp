#include "suite/program_control.h"

#include <vector>

namespace {

const DWORD kPollIntervalMs = 100;
const int kPolls = 100;
const DWORD kCloseWaitMs = kPollIntervalMs * kPolls;  // 10 s, then the last pause

}  // namespace

void CloseWindowAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window) return;

  // A plain send would wait for ever on a window whose thread hangs. The
  // time the send takes comes out of the polling that follows.
  const DWORD start = GetTickCount();
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kCloseWaitMs, &answer);
  const DWORD spent = GetTickCount() - start;
  const int polls = spent >= kCloseWaitMs ? 0 : static_cast<int>((kCloseWaitMs - spent) / kPollIntervalMs);

  for (int poll = 0; poll < polls && IsWindow(window); ++poll) Sleep(kPollIntervalMs);
  Sleep(kPollIntervalMs);
}

int LaunchProgram(const std::string& programPath) {
  int32_t started = 0;
  return LaunchProgram(programPath, started);
}

int LaunchProgram(const std::string& programPath, int32_t& started) {
  started = 0;
  // CreateProcessA may write into its command line; it gets a buffer of its
  // own, as long as the path needs.
  const std::string quoted = "\"" + programPath + "\"";
  std::vector<char> commandLine(quoted.begin(), quoted.end());
  commandLine.push_back('\0');

  STARTUPINFOA startup = {};
  startup.cb = sizeof(STARTUPINFOA);
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    started = 1;
  }
  return 1;
}
