// Every platform call of a whole run failing in turn. For each situation the
// fault-free run is recorded; then the run is repeated once per call of its
// log, with exactly that call failing as Windows fails it, and the rules of
// whole_run.h are checked after each run and after a restart of Windows.
#include <chrono>
#include <cstdio>
#include <map>
#include <set>

#include "whole_run.h"
#include "winsim/control.h"
#include "winsim/ui_control.h"

namespace {

// How Windows fails each call the tool makes: a Win32 error, an HRESULT, or
// the status the suite's library returns.
struct Failure {
  const char* call;
  int64_t error;
  const char* errorName;
};
const Failure kFailures[] = {
    // Files: a file in use, a directory refused, a share gone.
    {"FindFirstFileA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"GetFileAttributesA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"DeleteFileA", ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
    {"MoveFileA", ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
    {"MoveFileExA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"CopyFileA", ERROR_DISK_FULL, "ERROR_DISK_FULL"},
    {"CreateDirectoryA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"CreateFileA", ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
    {"GetFileSize", 64, "ERROR_NETNAME_DELETED"},
    {"ReadFile", 64, "ERROR_NETNAME_DELETED"},
    {"GetShortPathNameA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"WritePrivateProfileStringA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"GetFileVersionInfoSizeA", ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
    {"GetFileVersionInfoA", ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
    {"VerQueryValueA", 1813, "ERROR_RESOURCE_TYPE_NOT_FOUND"},
    {"SetupDecompressOrCopyFileA", ERROR_DISK_FULL, "ERROR_DISK_FULL"},
    // The system: versions, directories, modules, strings.
    {"GetVersionExA", ERROR_INSUFFICIENT_BUFFER, "ERROR_INSUFFICIENT_BUFFER"},
    {"GetWindowsDirectoryA", ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {"GetSystemDirectoryA", ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {"GetModuleFileNameA", ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {"LoadLibraryA", 1114, "ERROR_DLL_INIT_FAILED"},
    {"SetDllDirectoryA", ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {"GetModuleHandleA", ERROR_MOD_NOT_FOUND, "ERROR_MOD_NOT_FOUND"},
    {"LoadStringA", ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    // Registry and services.
    {"RegOpenKeyExA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"RegEnumKeyExA", 1018, "ERROR_KEY_DELETED"},
    {"RegQueryValueExA", 1018, "ERROR_KEY_DELETED"},
    {"RegCreateKeyExA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"RegSetValueExA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"RegisterEventSourceA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"ReportEventA", 1502, "ERROR_LOG_FILE_FULL"},
    {"FormatMessageA", ERROR_MR_MID_NOT_FOUND, "ERROR_MR_MID_NOT_FOUND"},
    {"OpenSCManagerA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"OpenServiceA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"QueryServiceStatus", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"ControlService", 1053, "ERROR_SERVICE_REQUEST_TIMEOUT"},
    {"StartServiceA", 1053, "ERROR_SERVICE_REQUEST_TIMEOUT"},
    // Windows, processes, printers, sessions and the suite's status manager.
    {"FindWindowA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"SendMessageTimeoutA", ERROR_TIMEOUT, "ERROR_TIMEOUT"},
    {"PostMessageA", 1816, "ERROR_NOT_ENOUGH_QUOTA"},
    {"MessageBoxA", ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {"CreateProcessA", ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {"EnumPrintersA", 1722, "RPC_S_SERVER_UNAVAILABLE"},
    {"WTSOpenServerA", ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {"WTSEnumerateSessionsA", 1722, "RPC_S_SERVER_UNAVAILABLE"},
    {"WTSQuerySessionInformationA", 7022, "ERROR_CTX_WINSTATION_NOT_FOUND"},
    {"OpenManagerExA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"UpdatePrinterStatusA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    // Threads, events, the token and the restart.
    {"CreateThread", ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {"WaitForSingleObject", ERROR_INVALID_HANDLE, "ERROR_INVALID_HANDLE"},
    {"GetExitCodeThread", ERROR_INVALID_HANDLE, "ERROR_INVALID_HANDLE"},
    {"CreateEventA", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"OpenProcessToken", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"LookupPrivilegeValueA", ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
    {"AdjustTokenPrivileges", ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
    {"ExitWindowsEx", 1314, "ERROR_PRIVILEGE_NOT_HELD"},
    {"InitiateSystemShutdownExA", 1115, "ERROR_SHUTDOWN_IN_PROGRESS"},
    // COM and the firewall (every other INetFw method: E_ACCESSDENIED).
    {"CoInitialize", E_OUTOFMEMORY, "E_OUTOFMEMORY"},
    {"CoCreateInstance", E_ACCESSDENIED, "E_ACCESSDENIED"},
    {"SysAllocStringLen", E_OUTOFMEMORY, "E_OUTOFMEMORY"},
};

// Calls that cannot fail on Windows as the tool makes them; they are left
// to succeed.
struct Unfailing {
  const char* call;
  const char* reason;
};
const Unfailing kCannotFail[] = {
    {"Sleep", "returns nothing"},
    {"IsWindow", "answers yes or no"},
    {"GetPrivateProfileStringA", "answers with the default it is given when it cannot read"},
    {"CoUninitialize", "returns nothing"},
    {"SysFreeString", "returns nothing"},
    {"WTSFreeMemory", "returns nothing"},
    {"WTSCloseServer", "returns nothing"},
    {"CloseHandle", "closes a handle the tool holds"},
    {"FindClose", "closes a search the tool holds"},
    {"RegCloseKey", "closes a key the tool holds"},
    {"DeregisterEventSource", "closes an event source the tool holds"},
    {"CloseServiceHandle", "closes a handle the tool holds"},
    {"FreeLibrary", "releases a module the tool loaded"},
    {"CloseManager", "closes a status manager the tool opened"},
    {"::Release", "releases an object the tool holds"},
    {"GetCurrentProcess", "a constant pseudo-handle"},
    {"GetModuleHandleA", "of the program itself or a module loaded with it"},
    {"IsWindow", "an answer, not an operation"},
    {"GetProcAddress", "an entry point of a loaded module: a table look-up; a missing one is another machine"},
    {"MultiByteToWideChar", "valid text into a buffer of the length it asked for"},
    {"InitializeSecurityDescriptor", "fills the caller's memory"},
    {"SetSecurityDescriptorDacl", "fills the caller's memory"},
};

const Unfailing* CannotFail(const std::string& call) {
  for (const Unfailing& entry : kCannotFail) {
    const std::string name = entry.call;
    const bool method = name.rfind("::", 0) == 0;  // of every interface
    if (call == name || (method && call.size() > name.size() &&
                         call.compare(call.size() - name.size(), name.size(), name) == 0))
      return &entry;
  }
  return nullptr;
}

const Failure kFirewallMethod = {"INetFw", E_ACCESSDENIED, "E_ACCESSDENIED"};

const Failure* FailureOf(const std::string& call) {
  for (const Failure& failure : kFailures)
    if (call == failure.call) return &failure;
  return call.rfind(kFirewallMethod.call, 0) == 0 ? &kFirewallMethod : nullptr;
}

// What the design lets a run leave undone when the call at `position` of
// the fault-free log fails: a service that Windows refuses to start again,
// a panel that cannot be relaunched, a restart that cannot be requested.
Allowance AllowanceFor(const std::vector<winsim::Call>& calls, size_t position) {
  auto opensToStart = [](const winsim::Call& call) {
    return call.name == "OpenServiceA" && call.args.size() > 1 &&
           (std::stoul(call.args[1], nullptr, 16) & SERVICE_START) != 0;
  };
  const winsim::Call& call = calls[position];
  Allowance allowance;
  // The start: its open, its first reading and the request itself.
  allowance.serverMayStayStopped =
      call.name == "StartServiceA" || opensToStart(call) ||
      (call.name == "QueryServiceStatus" && position > 0 && opensToStart(calls[position - 1]));
  allowance.panelMayStayClosed =
      call.name == "CreateProcessA" && !call.args.empty() && call.args[0].find("ZAMBAZ.EXE") != std::string::npos;
  // Once the instance guard is closed the application only restarts Windows.
  size_t guardClosed = calls.size();
  for (size_t i = 0; i < calls.size(); ++i)
    if (calls[i].name == "CloseHandle" && !calls[i].args.empty() && calls[i].args[0].rfind("event ", 0) == 0)
      guardClosed = i;
  allowance.restartMayBeMissing = position > guardClosed;
  return allowance;
}

// The failing call as a report names it: its name and first argument, its
// number among the calls of that name and its place in the run.
std::string Describe(const winsim::Call& call, int index, size_t position, size_t total, const Failure& failure) {
  std::string first = call.args.empty() ? std::string() : winsim::FromAnsi(call.args[0]);
  if (first.size() > 60) first = first.substr(0, 57) + "...";
  return call.name + "(" + first + ") #" + std::to_string(index) + " [call " + std::to_string(position + 1) + " of " +
         std::to_string(total) + "] failing with " + failure.errorName;
}

class FaultSweep : public WholeRunTest {};

TEST_F(FaultSweep, EveryPlatformCallFailingInTurn) {
  const Situation situations[] = {
      {"silent Setup, both files newer", {"S"}},
      {"silent Setup, ZAMPUX.DLL in use", {"S"}, false, true},
      {"interactive Removal", {"D"}},
      {"silent Setup on Windows 98, ZAMPUX.DLL in use", {"S"}, true, true},
  };
  std::vector<std::string> violations;
  std::set<std::string> unknownCalls, leftAlone;
  for (const Situation& situation : situations) {
    const auto started = std::chrono::steady_clock::now();
    ScriptedDialogs user;
    const Found found = Arrange(situation, user);
    const RunResult clean = RunTool(situation, user);
    const std::vector<winsim::Call> calls = winsim::CallLog();
    for (const std::string& rule : BrokenRules(situation, found, clean, Allowance()))
      violations.push_back(std::string(situation.name) + " | no call failing: " + rule);

    std::map<std::string, int> seen;
    int swept = 0, skipped = 0;
    for (size_t position = 0; position < calls.size(); ++position) {
      const winsim::Call& call = calls[position];
      const int index = seen[call.name]++;
      if (const Unfailing* unfailing = CannotFail(call.name)) {
        leftAlone.insert(std::string(unfailing->call) + " (" + unfailing->reason + ")");
        ++skipped;
        continue;
      }
      const Failure* failure = FailureOf(call.name);
      if (!failure) {
        unknownCalls.insert(call.name);
        continue;
      }
      ++swept;
      ScriptedDialogs faultUser;
      const Found before = Arrange(situation, faultUser);
      winsim::InjectFault(call.name, failure->error, "", index, 1);
      const RunResult run = RunTool(situation, faultUser);
      const std::string line =
          std::string(situation.name) + " | " + Describe(call, index, position, calls.size(), *failure) + ": ";
      // The run repeats the fault-free one up to the failing call.
      const std::vector<winsim::Call> log = winsim::CallLog();
      bool repeated = log.size() > position;
      for (size_t i = 0; repeated && i <= position; ++i) repeated = log[i].name == calls[i].name;
      if (!repeated) violations.push_back(line + "the run does not repeat the fault-free run's calls up to it");
      for (const std::string& rule : BrokenRules(situation, before, run, AllowanceFor(calls, position)))
        violations.push_back(line + rule);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("[  SWEEP   ] %s: %d calls failed in turn, %d that cannot fail left alone, %.1f s\n", situation.name,
                swept, skipped, seconds);
  }
  winsim::Reset();
  std::printf("[  SWEEP   ] left alone, as they cannot fail on Windows:\n");
  for (const std::string& call : leftAlone) std::printf("[  SWEEP   ]   %s\n", call.c_str());

  for (const std::string& call : unknownCalls)
    ADD_FAILURE() << "no error is known for " << call
                  << ": add how Windows fails it to kFailures, or why it cannot fail to kCannotFail";
  std::string report;
  for (const std::string& violation : violations) report += violation + "\n";
  EXPECT_TRUE(violations.empty()) << violations.size() << " violations:\n" << report;
}

}  // namespace
