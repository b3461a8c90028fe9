// winsim: the control API of threads, the virtual clock across threads,
// named events and posted messages, for tests.
//
// Threads are real: CreateThread starts a std::thread. The clock stays
// virtual and deterministic: every simulated thread (the test's own thread,
// which called Reset, and every thread made by CreateThread) is at any moment
//   running   executing code,
//   parked    in a timed wait (Sleep, or SendMessageTimeoutA on a hung
//             window) until the clock reaches its wake-up time,
//   blocked   in an untimed wait (WaitForSingleObject(INFINITE) on a thread
//             still running, WaitForPostedMessage) until another thread acts,
//   finished.
// The clock moves only when no simulated thread is running: it jumps to the
// earliest wake-up of a parked thread and wakes every thread due then. With a
// single thread this is exactly the old behaviour: Sleep(ms) returns at once,
// the clock ms later. With a worker, a worker's Sleep parks until the test's
// thread blocks (in a wait) or lets the clock move (AdvanceToNextWake), so
// the order of the test's actions and the worker's waits is decided by the
// test, not by the scheduler. A deadlock (nothing running, nothing parked,
// something blocked for ever) is recorded in ForeverBlockedCalls and the
// blocked calls return as failed (WAIT_FAILED, no message) rather than hang.
//
// Named events live in namespaces as on Windows with Terminal Services: on
// NT 5.0 and later "Global\NAME" is shared by all sessions, "Local\NAME" and a
// plain "NAME" belong to the session of the caller (SetSessionId); on earlier
// systems there is one namespace. An existing event created by another user
// without a NULL DACL cannot be opened from another session: CreateEventA
// fails with ERROR_ACCESS_DENIED.
#ifndef WINSIM_THREAD_CONTROL_H
#define WINSIM_THREAD_CONTROL_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

// ---- Threads and the clock -------------------------------------------------
// Waits (really) until every simulated thread other than the caller is
// parked, blocked or finished.
void WaitUntilOthersIdle();
// Lets the clock move to the earliest wake-up of a parked thread, or to
// `limitMs` (an absolute clock time) if that comes first or nothing is parked
// and the limit is finite. Wakes the threads due and waits until they are
// idle again. False when the clock did not move.
bool AdvanceToNextWake(uint64_t limitMs = UINT64_MAX);
// Threads made by CreateThread that have not finished.
int LiveThreadCount();

// ---- Posted messages ---------------------------------------------------------
// A window of the tool's own process with a message queue (a dialog of a
// scripted user). PostMessageA to it queues the message; PostMessageA to a
// destroyed or unknown window fails with ERROR_INVALID_WINDOW_HANDLE.
HWND CreateMessageWindow(const std::string& name);
void DestroyMessageWindow(HWND window);
struct PostedMessage {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
// The next queued message, in the order posted; none when the queue is empty.
std::optional<PostedMessage> TakePostedMessage(HWND window);
// Blocks the caller until a message is queued for the window, letting the
// clock move meanwhile; the message, or none when no other thread could ever
// post one (a deadlock, which is then recorded).
std::optional<PostedMessage> WaitForPostedMessage(HWND window);

// ---- Sessions and named events -------------------------------------------------
// The Terminal Services session the tool runs in (default 0).
void SetSessionId(DWORD session);
// Another process holds an event of that name (as passed to CreateEventA,
// "Global\" included or not), created in `session`; `nullDacl`: created with
// a NULL DACL, so that any user may open it.
void HoldNamedEvent(const std::string& name, DWORD session, bool nullDacl);
// Named events that exist now, by their full names ("Global\Patch::KV_UPDAT",
// "Session\1\Patch::KV_UPDAT" for a session-local one).
std::vector<std::string> NamedEvents();

}  // namespace winsim

#endif  // WINSIM_THREAD_CONTROL_H
