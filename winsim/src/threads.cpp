// winsim: the tool's own process and threads (GetCurrentProcess,
// CreateThread, GetExitCodeThread), and WaitForSingleObject on every waitable
// kernel object.
#include <system_error>

#include "scheduler.h"

namespace winsim {
namespace detail {

namespace {

struct ThreadObject : WaitableObject {
  explicit ThreadObject(std::shared_ptr<SimThread> thread) : thread(std::move(thread)) {}
  std::string Describe() const override { return "thread " + Hex(thread->id); }
  bool Acquire() override { return thread->state == SimThread::State::Finished; }
  const void* WaitKey() const override { return thread.get(); }
  std::shared_ptr<SimThread> thread;
};

std::string HandleName(HANDLE handle) {
  auto it = M().kernelObjects.find(reinterpret_cast<uintptr_t>(handle));
  return it == M().kernelObjects.end() ? Hex(reinterpret_cast<uintptr_t>(handle)) : it->second->Describe();
}

std::string Milliseconds(DWORD milliseconds) { return milliseconds == INFINITE ? "INFINITE" : Dec(milliseconds); }

}  // namespace

}  // namespace detail
}  // namespace winsim

using namespace winsim::detail;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId) {
  ApiCall call("CreateThread", {attributes ? "SECURITY_ATTRIBUTES" : "NULL", Dec(stackSize), Hex(creationFlags)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return nullptr;
  }
  // Windows would start a thread that faults at once.
  if (!start) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // A suspended start and the other flags are not modelled.
  if (creationFlags != 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  std::shared_ptr<SimThread> worker = NewWorker();
  try {
    // Detached: the simulated thread's end is what the machine waits for.
    std::thread(RunWorker, worker, start, parameter).detach();
  } catch (const std::system_error&) {
    DropWorker(worker);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (threadId) *threadId = worker->id;
  return AddKernelObject(std::make_shared<ThreadObject>(worker));
}

// The calls below describe the handle for the log before ApiCall takes the
// lock, so they take it first.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
  auto lock = winsim::detail::Lock();
  ApiCall call("GetExitCodeThread", {HandleName(thread)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  auto object = KernelObjectAs<ThreadObject>(thread);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *exitCode = object->thread->exitCode;  // STILL_ACTIVE until the thread ends
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  auto lock = winsim::detail::Lock();
  const winsim::Call logged{"WaitForSingleObject", {HandleName(handle), Milliseconds(milliseconds)}};
  ApiCall call(logged.name.c_str(), logged.args);
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return WAIT_FAILED;
  }
  // The wait holds the object, so closing the handle meanwhile does not end it.
  auto object = KernelObjectAs<WaitableObject>(handle);
  if (!object) {
    // Processes and files are kernel objects that winsim cannot wait on.
    SetLastError(KernelObjectAs<KernelObject>(handle) ? ERROR_NOT_SUPPORTED : ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const uint64_t deadline = milliseconds == INFINITE ? kNoWake : M().nowMs + milliseconds;
  for (;;) {
    if (object->Acquire()) return WAIT_OBJECT_0;
    if (milliseconds == 0) return WAIT_TIMEOUT;
    switch (WaitFor(object->WaitKey(), deadline, winsim::FormatCall(logged))) {
      case WakeReason::Signalled:
        continue;  // taken by another waiter first: wait on
      case WakeReason::TimedOut:
        return WAIT_TIMEOUT;
      case WakeReason::Deadlock:
        SetLastError(ERROR_POSSIBLE_DEADLOCK);
        return WAIT_FAILED;
    }
  }
}

HANDLE GetCurrentProcess() {
  ApiCall call("GetCurrentProcess", {});
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));  // the pseudo-handle, never closed
}
