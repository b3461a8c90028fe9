// winsim: the scheduler of simulated threads on the virtual clock (see
// scheduler.h), and its control API.
#include "scheduler.h"

#include <algorithm>
#include <cstdio>

#include "winsim/thread_control.h"

namespace winsim {
namespace detail {

namespace {

using State = SimThread::State;

// Thread ids of the tool's own threads: multiples of four from here.
const DWORD kFirstThreadId = 0x7B0;
// Reset lets the workers that are left take at most this many turns of the
// clock before it gives up on them.
const int kMaxFinishingRounds = 10000;

Scheduler& S() { return M().scheduler; }

void Wake(SimThread& thread, WakeReason reason) {
  thread.state = State::Running;
  thread.wakeAtMs = kNoWake;
  thread.waitingFor = nullptr;
  thread.wakeReason = reason;
  thread.readySince = ++S().turns;
}

void WakeDue() {
  for (const auto& thread : S().threads)
    if (thread->state == State::Parked && thread->wakeAtMs <= M().nowMs) Wake(*thread, WakeReason::TimedOut);
}

uint64_t EarliestWake() {
  uint64_t earliest = kNoWake;
  for (const auto& thread : S().threads)
    if (thread->state == State::Parked) earliest = std::min(earliest, thread->wakeAtMs);
  return earliest;
}

// Gives the turn to the running thread that has waited for it longest (a
// yielding thread only when no other is running). With no thread running,
// moves the clock to the earliest wake-up, or ends the waits of blocked
// threads, which nothing can end any more.
void PassTurn() {
  Scheduler& s = S();
  for (;;) {
    SimThread* next = nullptr;
    for (const auto& thread : s.threads) {
      if (thread->state != State::Running) continue;
      if (!next || std::make_pair(thread->yielding, thread->readySince) <
                       std::make_pair(next->yielding, next->readySince))
        next = thread.get();
    }
    s.current = next;
    if (next) return;
    const uint64_t earliest = EarliestWake();
    if (earliest != kNoWake) {
      M().nowMs = std::max(M().nowMs, earliest);
      WakeDue();
      continue;
    }
    bool blocked = false;
    for (const auto& thread : s.threads) {
      if (thread->state != State::Blocked) continue;
      RecordBlockedForever(thread->waitingCall + ": no other thread can end this wait");
      Wake(*thread, WakeReason::Deadlock);
      blocked = true;
    }
    if (!blocked) return;
  }
}

// Passes the turn on if the caller holds it (or nobody does), and waits
// until the turn comes back to `self`.
void TakeTurns(SimThread& self) {
  if (S().current == &self || !S().current) PassTurn();
  M().mutex.WaitReleased([&] { return S().current == &self; });
}

// The calling thread's entry. A thread the scheduler does not know (neither
// the test's thread nor a worker) takes part as a guest for as long as the
// object lives, and leaves the turn to the others when it goes.
class Participant {
 public:
  Participant() {
    const std::thread::id native = std::this_thread::get_id();
    for (const auto& thread : S().threads)
      if (thread->native == native && thread->state != State::Finished) {
        self_ = thread.get();
        return;
      }
    guest_ = std::make_shared<SimThread>();
    guest_->native = native;
    guest_->readySince = ++S().turns;
    S().threads.push_back(guest_);
    self_ = guest_.get();
  }
  Participant(const Participant&) = delete;
  Participant& operator=(const Participant&) = delete;
  ~Participant() {
    if (!guest_) return;
    auto& threads = S().threads;
    threads.erase(std::find(threads.begin(), threads.end(), guest_));
    if (S().current == self_) PassTurn();
  }
  SimThread& self() const { return *self_; }

 private:
  SimThread* self_ = nullptr;
  std::shared_ptr<SimThread> guest_;
};

// Lets every other running thread execute until it waits or ends.
void YieldToOthers(SimThread& self) {
  self.yielding = true;
  TakeTurns(self);
  self.yielding = false;
}

bool AdvanceFrom(SimThread& self, uint64_t limitMs) {
  YieldToOthers(self);
  const uint64_t earliest = EarliestWake();
  if (earliest != kNoWake && earliest <= limitMs) {
    M().nowMs = std::max(M().nowMs, earliest);
    WakeDue();
  } else if (limitMs != kNoWake && limitMs > M().nowMs) {
    M().nowMs = limitMs;
  } else {
    return false;
  }
  YieldToOthers(self);
  return true;
}

int LiveWorkers() {
  int live = 0;
  for (const auto& thread : S().threads) live += thread->worker && thread->state != State::Finished;
  return live;
}

}  // namespace

WakeReason WaitFor(const void* object, uint64_t wakeAtMs, const std::string& call) {
  Participant participant;
  SimThread& self = participant.self();
  self.state = wakeAtMs == kNoWake ? State::Blocked : State::Parked;
  self.wakeAtMs = wakeAtMs;
  self.waitingFor = object;
  self.waitingCall = call;
  TakeTurns(self);
  return self.wakeReason;
}

void Signal(const void* object) {
  if (!object) return;
  for (const auto& thread : S().threads)
    if ((thread->state == State::Parked || thread->state == State::Blocked) && thread->waitingFor == object)
      Wake(*thread, WakeReason::Signalled);
  if (!S().current) PassTurn();
}

std::shared_ptr<SimThread> NewWorker() {
  auto worker = std::make_shared<SimThread>();
  worker->id = S().nextThreadId += 4;
  worker->worker = true;
  worker->readySince = ++S().turns;
  S().threads.push_back(worker);
  if (!S().current) PassTurn();
  return worker;
}

void DropWorker(const std::shared_ptr<SimThread>& worker) {
  auto& threads = S().threads;
  threads.erase(std::find(threads.begin(), threads.end(), worker));
  if (S().current == worker.get()) PassTurn();
}

void RunWorker(std::shared_ptr<SimThread> self, LPTHREAD_START_ROUTINE start, LPVOID parameter) {
  {
    auto lock = Lock();
    self->native = std::this_thread::get_id();
    M().mutex.WaitReleased([&] { return S().current == self.get(); });
  }
  const DWORD exitCode = start(parameter);
  auto lock = Lock();
  self->state = State::Finished;
  self->exitCode = exitCode;
  Signal(self.get());
  if (S().current == self.get()) PassTurn();
}

void FinishThreads() {
  {
    // Whichever thread resets takes the part of the test's thread.
    auto& threads = S().threads;
    if (!threads.empty() && !threads[0]->worker && threads[0]->native != std::this_thread::get_id()) {
      threads[0]->state = State::Finished;
      if (S().current == threads[0].get()) PassTurn();
    }

    Participant participant;
    SimThread& self = participant.self();
    for (int round = 0; LiveWorkers() > 0 && round < kMaxFinishingRounds; ++round) {
      if (AdvanceFrom(self, kNoWake)) continue;
      // Nothing is parked: what is still blocked waits for ever.
      for (const auto& thread : S().threads)
        if (thread->state == State::Blocked) Wake(*thread, WakeReason::Deadlock);
    }
  }
  if (LiveWorkers() > 0)
    std::fprintf(stderr, "winsim: Reset abandons %d thread(s) that did not end; they wait for ever\n", LiveWorkers());
}

void ResetScheduler() {
  Scheduler& s = S();
  s.threads.clear();
  auto self = std::make_shared<SimThread>();
  self->native = std::this_thread::get_id();
  s.threads.push_back(self);
  s.current = self.get();
  s.turns = 0;
  s.nextThreadId = kFirstThreadId;
}

void ReportLiveThreads(std::vector<std::string>& out) {
  for (const auto& thread : S().threads)
    if (thread->worker && thread->state != State::Finished) out.push_back("thread " + Hex(thread->id) + " has not ended");
}

}  // namespace detail

using namespace detail;

void WaitUntilOthersIdle() {
  auto lock = Lock();
  Participant participant;
  YieldToOthers(participant.self());
}

bool AdvanceToNextWake(uint64_t limitMs) {
  auto lock = Lock();
  Participant participant;
  return AdvanceFrom(participant.self(), limitMs);
}

int LiveThreadCount() {
  auto lock = Lock();
  return LiveWorkers();
}

void AbandonThreads() {
  auto lock = Lock();
  // A worker's own thread keeps its record alive, waiting for a turn that
  // the scheduler, no longer knowing it, never gives.
  auto& threads = S().threads;
  threads.erase(std::remove_if(threads.begin(), threads.end(),
                               [](const std::shared_ptr<SimThread>& thread) {
                                 return thread->worker && thread->state != State::Finished;
                               }),
                threads.end());
}

}  // namespace winsim
