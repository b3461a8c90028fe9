// zamgik.dll: the suite's printer status manager. Its three entry points
// (stdcall, exported undecorated) accept the calls the suite makes and log
// each one with its arguments to zamgik.log; a manager handle is valid from
// OpenManagerExA to CloseManager.
//
//   OpenManagerExA(printer, reserved, mode, &handle)  0, or 87 without a
//                                                     printer or handle slot
//   UpdatePrinterStatusA(handle, variable, value, size) 0, or 6 for a handle
//                                                     that is not open
//   CloseManager(handle)                               0, or 6 likewise
#include <windows.h>

#include <set>
#include <string>

#include "../common/event_log.h"

namespace {

const char kLog[] = "zamgik.log";

// The open handles, guarded by a lock: the suite may call from any thread.
class OpenHandles {
 public:
  OpenHandles() { InitializeCriticalSection(&lock_); }
  ~OpenHandles() { DeleteCriticalSection(&lock_); }
  DWORD Open() {
    EnterCriticalSection(&lock_);
    const DWORD handle = ++last_;
    open_.insert(handle);
    LeaveCriticalSection(&lock_);
    return handle;
  }
  bool IsOpen(DWORD handle) {
    EnterCriticalSection(&lock_);
    const bool open = open_.count(handle) != 0;
    LeaveCriticalSection(&lock_);
    return open;
  }
  bool Close(DWORD handle) {
    EnterCriticalSection(&lock_);
    const bool closed = open_.erase(handle) != 0;
    LeaveCriticalSection(&lock_);
    return closed;
  }

 private:
  CRITICAL_SECTION lock_;
  std::set<DWORD> open_;
  DWORD last_ = 0;
};
OpenHandles g_handles;

// The value's bytes in hexadecimal, the first 16 at most.
std::string Hex(const void* value, DWORD size) {
  if (!value) return "(null)";
  std::string text;
  const BYTE* bytes = static_cast<const BYTE*>(value);
  for (DWORD i = 0; i < size && i < 16; ++i) {
    char pair[3];
    wsprintfA(pair, "%02X", bytes[i]);
    text += pair;
  }
  return text.empty() ? "-" : text;
}

}  // namespace

extern "C" DWORD WINAPI OpenManagerExA(LPCSTR printer, DWORD reserved, DWORD mode, DWORD* manager) {
  DWORD result = ERROR_INVALID_PARAMETER, handle = 0;
  if (printer && manager) {
    handle = g_handles.Open();
    *manager = handle;
    result = 0;
  }
  testbed::LogEvent(kLog, "OpenManagerExA printer=\"%s\" %lu %lu -> %lu handle=%lu", printer ? printer : "(null)",
                    reserved, mode, result, handle);
  return result;
}

extern "C" DWORD WINAPI UpdatePrinterStatusA(DWORD manager, LPCSTR variable, const void* value, DWORD size) {
  const DWORD result = g_handles.IsOpen(manager) ? 0 : ERROR_INVALID_HANDLE;
  testbed::LogEvent(kLog, "UpdatePrinterStatusA handle=%lu variable=\"%s\" size=%lu value=%s -> %lu", manager,
                    variable ? variable : "(null)", size, Hex(value, size).c_str(), result);
  return result;
}

extern "C" DWORD WINAPI CloseManager(DWORD manager) {
  const DWORD result = g_handles.Close(manager) ? 0 : ERROR_INVALID_HANDLE;
  testbed::LogEvent(kLog, "CloseManager handle=%lu -> %lu", manager, result);
  return result;
}
