// winsim: the machine, its lock, the call log, faults and the virtual clock.
#include "machine.h"

#include <algorithm>
#include <cstdio>

#include "scheduler.h"
#include "winsim/thread_control.h"

namespace winsim {
namespace detail {

// Each area of the machine resets its own state.
void ResetAreas();

// The machine outlives every thread: a worker that a test abandoned may still
// wait on its lock while the process ends.
Machine& M() {
  static Machine* machine = new Machine;
  return *machine;
}

void MachineMutex::lock() {
  std::unique_lock<std::mutex> inner(mutex_);
  const std::thread::id self = std::this_thread::get_id();
  if (depth_ > 0 && owner_ == self) {
    ++depth_;
    return;
  }
  ++waiting_;
  changed_.wait(inner, [&] { return depth_ == 0; });
  --waiting_;
  owner_ = self;
  depth_ = 1;
}

void MachineMutex::unlock() {
  std::lock_guard<std::mutex> inner(mutex_);
  if (--depth_ > 0) return;
  owner_ = std::thread::id();
  if (waiting_ > 0) changed_.notify_all();
}

std::unique_lock<MachineMutex> Lock() { return std::unique_lock<MachineMutex>(M().mutex); }

ApiCall::ApiCall(const char* name, std::vector<std::string> args) : lock_(M().mutex) {
  Machine& m = M();
  std::string first = args.empty() ? std::string() : args.front();
  m.calls.push_back(Call{name, std::move(args)});
  for (FaultRule& rule : m.faults) {
    if (rule.call != name || rule.times == 0) continue;
    if (!rule.match.empty() && !ContainsNoCase(first, rule.match)) continue;
    if (rule.skip > 0) {
      --rule.skip;
      continue;
    }
    if (rule.times > 0) --rule.times;
    fault_ = rule.error;
    break;
  }
}

std::string Arg(LPCSTR text) { return text ? "\"" + std::string(text) + "\"" : "NULL"; }

std::string Hex(uint64_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llX", static_cast<unsigned long long>(value));
  return buffer;
}

std::string Dec(int64_t value) { return std::to_string(value); }

FILETIME Now() { return FileTimeAt(M().nowMs); }

}  // namespace detail

using namespace detail;

void Reset() {
  auto lock = Lock();
  FinishThreads();
  Machine& m = M();
  m.version = OSVERSIONINFOA{};
  m.version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  m.acp = 932;
  m.nowMs = 0;
  m.faults.clear();
  m.calls.clear();
  m.finds.clear();
  m.lzFiles.clear();
  m.openKeys.clear();
  m.moduleHandles.clear();
  m.foreignLoads = 0;
  m.diskLimited = false;
  m.diskFree = 0;
  m.kernelObjects.clear();
  m.administrator = true;
  m.blockedForever.clear();
  m.sessionId = 0;
  ResetScheduler();
  ResetAreas();
  SetOs(Os::WinXp);
  SetWindowsDirectory("C:\\WINDOWS");
  AddDirectory("C:\\KVTOOL");
  SetModuleFileName("C:\\KVTOOL\\KV_UPDAT.EXE");
  SetCurrentDirectory("C:\\KVTOOL");
  m.calls.clear();
}

void SetAdministrator(bool administrator) {
  auto lock = Lock();
  M().administrator = administrator;
}

uint64_t NowMs() {
  auto lock = Lock();
  return M().nowMs;
}

void AdvanceClock(uint64_t milliseconds) {
  auto lock = Lock();
  const uint64_t target = M().nowMs + milliseconds;
  while (M().nowMs < target && AdvanceToNextWake(target)) {
  }
}

FILETIME NowFileTime() {
  auto lock = Lock();
  return detail::Now();
}

FILETIME FileTimeAt(uint64_t milliseconds) {
  // The clock starts at 2005-01-01 00:00:00 UTC.
  const uint64_t base = 127490112000000000ULL;
  const uint64_t value = base + milliseconds * 10000ULL;
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

void InjectFault(const std::string& call, int64_t error, const std::string& match, int skip, int times) {
  auto lock = Lock();
  M().faults.push_back(FaultRule{call, match, error, skip, times});
}

void ClearFaults() {
  auto lock = Lock();
  M().faults.clear();
}

std::vector<Call> CallLog() {
  auto lock = Lock();
  return M().calls;
}

std::vector<Call> CallsTo(const std::string& name) {
  auto lock = Lock();
  std::vector<Call> result;
  for (const Call& call : M().calls)
    if (call.name == name) result.push_back(call);
  return result;
}

void ClearCallLog() {
  auto lock = Lock();
  M().calls.clear();
}

std::string FormatCall(const Call& call) {
  std::string text = call.name + "(";
  for (size_t i = 0; i < call.args.size(); ++i) text += (i ? ", " : "") + call.args[i];
  return text + ")";
}

}  // namespace winsim
