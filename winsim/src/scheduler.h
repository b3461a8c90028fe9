// winsim internals: the scheduler of simulated threads on the virtual clock.
//
// One simulated thread executes at a time. The others are parked (a timed
// wait), blocked (an untimed wait), finished, or running but waiting for
// their turn: a thread that becomes ready (made by CreateThread, woken by a
// signal or by the clock) executes once the thread that executes now waits or
// ends, in the order the threads became ready. When no thread is running the
// clock jumps to the earliest wake-up and wakes every thread due then; when
// nothing is parked either, every blocked thread waits for ever: its call is
// recorded in ForeverBlockedCalls and its wait ends as failed. So every run
// of a test makes the same calls in the same order at the same clock times.
//
// Every function here expects the machine lock held, at any depth; the waits
// release it while the thread waits.
#ifndef WINSIM_SCHEDULER_H
#define WINSIM_SCHEDULER_H

#include <memory>
#include <string>

#include "machine.h"

namespace winsim {
namespace detail {

const uint64_t kNoWake = UINT64_MAX;  // an untimed wait

// A kernel object that WaitForSingleObject can wait on.
struct WaitableObject : KernelObject {
  // True when a wait on the object is satisfied now; satisfying it may change
  // the object (an auto-reset event becomes non-signalled).
  virtual bool Acquire() = 0;
  // What Signal names when the object may have become signalled.
  virtual const void* WaitKey() const = 0;
};

// Stops the calling thread until `object` is signalled, the clock reaches
// `wakeAtMs`, or (an untimed wait only) no thread could ever end the wait;
// `call` names the waiting call for that record. A null `object` waits for
// the clock alone.
WakeReason WaitFor(const void* object, uint64_t wakeAtMs, const std::string& call);
// Ends the waits on `object`; the woken threads run once the caller waits.
void Signal(const void* object);

// A new worker, running (it executes once the caller waits). Start its real
// thread with RunWorker.
std::shared_ptr<SimThread> NewWorker();
// The body of a worker's real thread: waits for its turn, runs the start
// routine, and ends the simulated thread with the routine's exit code.
void RunWorker(std::shared_ptr<SimThread> self, LPTHREAD_START_ROUTINE start, LPVOID parameter);
// Forgets a worker whose real thread could not be started.
void DropWorker(const std::shared_ptr<SimThread>& worker);

// Reset: lets every worker run to its end (the clock moving as they wait),
// then registers the calling thread as the test's thread.
void FinishThreads();
void ResetScheduler();

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_SCHEDULER_H
