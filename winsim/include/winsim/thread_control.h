// winsim: the control API of threads, the virtual clock across threads,
// named events and posted messages, for tests.
//
// Threads are real: CreateThread starts a std::thread. The clock stays
// virtual and deterministic: every simulated thread (the test's own thread,
// which called Reset, and every thread made by CreateThread) is at any moment
//   running   executing code, or ready to,
//   parked    in a timed wait (Sleep, WaitForSingleObject with a time-out, or
//             SendMessageTimeoutA on a hung window) until the clock reaches
//             its wake-up time or, for a wait on an object, the object is
//             signalled,
//   blocked   in an untimed wait (WaitForSingleObject(INFINITE) on a thread
//             still running, WaitForPostedMessage, Sleep(INFINITE)) until
//             another thread acts,
//   finished.
// Only one simulated thread executes at a time. A thread that becomes ready
// (a new thread, or one whose wait ended) executes once the thread executing
// now waits or ends; ready threads take their turns in the order they became
// ready (threads woken at the same instant: the test's thread first, then in
// the order they were made). So a new worker does not start until its
// creator waits, and a worker that posts a message goes on until its next
// wait before the receiver sees the message. The clock moves only when no
// simulated thread is running: it jumps to the earliest wake-up of a parked
// thread and wakes every thread due then. With a single thread this is
// exactly the old behaviour: Sleep(ms) returns at once, the clock ms later.
// With a worker, a worker's Sleep parks until the test's thread blocks (in a
// wait) or lets the clock move (AdvanceToNextWake, AdvanceClock), so the
// order of the test's actions and the worker's waits is decided by the test,
// not by the scheduler, and every run makes the same calls in the same order
// at the same clock times. A deadlock (nothing running, nothing parked,
// something blocked for ever) is recorded in ForeverBlockedCalls and the
// blocked calls return as failed (WAIT_FAILED with ERROR_POSSIBLE_DEADLOCK,
// no message, Sleep simply returns) rather than hang. A thread that waits on
// a real lock or a real thread of its own instead (std::thread::join, say)
// stops every simulated thread: wait through winsim only.
//
// CreateThread refuses creation flags (CREATE_SUSPENDED ...) with
// ERROR_NOT_SUPPORTED and a null start routine with ERROR_INVALID_PARAMETER;
// InjectFault("CreateThread", error) makes it fail. Thread ids are multiples
// of four from 0x7B4, in order of creation. A thread handle is a kernel
// object (OpenResources lists it until CloseHandle); closing it does not
// stop the thread. A thread that has not ended is listed by OpenResources
// ("thread 0x7B4 has not ended") whether its handle is open or not.
// WaitForSingleObject waits on threads and events; on a handle of another
// kind (a process, a file) it fails with ERROR_NOT_SUPPORTED, on a handle
// that names nothing with ERROR_INVALID_HANDLE.
//
// Reset first lets every thread still running finish on the old machine, the
// clock moving as it waits and waits that can never end failing; a thread
// that still has not ended after 10000 turns of the clock (one that polls for
// ever, say) is abandoned: it waits for ever, and Reset says so on stderr.
// A thread that runs for ever without a simulated wait makes Reset hang.
//
// Named events live in namespaces as on Windows with Terminal Services: on
// NT 5.0 and later "Global\NAME" is shared by all sessions, "Local\NAME" and a
// plain "NAME" belong to the session of the caller (SetSessionId), except
// that session 0's local namespace is the global one (as on Windows XP,
// where the console's first user is session 0); on earlier systems there is
// one namespace and a name is taken as it is. Names compare with case, as on
// Windows. An existing event created by another user (in another session)
// without a NULL DACL cannot be opened: CreateEventA fails with
// ERROR_ACCESS_DENIED (the other user is taken for a plain user, whose
// default DACL grants nobody else access). The creator's own session opens it
// whatever its DACL: a handle and ERROR_ALREADY_EXISTS, the event's state
// unchanged. A new event gives ERROR_SUCCESS. An event is gone when its last
// handle is closed (and no other process holds it). The call log shows what
// security CreateEventA received as its last argument: "NULL", or
// "SA(inheritable, NULL DACL)" ("not inheritable"; "default DACL" when the
// descriptor has none present or there is no descriptor; "DACL" for a list).
// InitializeSecurityDescriptor and SetSecurityDescriptorDacl work on the
// caller's absolute descriptor as Windows does (ERROR_UNKNOWN_REVISION for
// any revision but 1) and fail with ERROR_CALL_NOT_IMPLEMENTED on the 95
// family. Nothing sets an event once it is made: a wait on one ends at once
// if it was made signalled (an auto-reset event is then reset), otherwise
// when its time-out ends, and an untimed wait is a deadlock.
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
// parked, blocked or finished: lets the workers that are ready run up to
// their next wait. The clock does not move.
void WaitUntilOthersIdle();
// Lets the clock move to the earliest wake-up of a parked thread, or to
// `limitMs` (an absolute clock time) if that comes first or nothing is parked
// and the limit is finite. Wakes the threads due and waits until they are
// idle again. False when the clock did not move and no thread woke.
// (AdvanceClock(ms) does this step by step up to NowMs() + ms.)
bool AdvanceToNextWake(uint64_t limitMs = UINT64_MAX);
// Threads made by CreateThread that have not finished.
int LiveThreadCount();
// Gives up every thread made by CreateThread that has not finished: none of
// them executes again (each stays blocked for ever), and neither Reset nor
// OpenResources sees them any more. For a test whose code returned while its
// worker still runs, when what the worker works on is gone.
void AbandonThreads();

// ---- Posted messages ---------------------------------------------------------
// A window of the tool's own process with a message queue (a dialog of a
// scripted user). PostMessageA to it queues the message; PostMessageA to a
// destroyed or unknown window fails with ERROR_INVALID_WINDOW_HANDLE.
// PostMessageA to a window added with AddWindow (desktop_control.h) succeeds
// and is processed as a sent message is (a close message closes it), unless
// the window hangs. Of the other window calls only IsWindow knows message
// windows.
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
// clock move meanwhile; the message, or none when the window is destroyed
// or no other thread could ever post one (a deadlock, which is then
// recorded).
std::optional<PostedMessage> WaitForPostedMessage(HWND window);

// ---- Sessions and named events -------------------------------------------------
// The Terminal Services session the tool runs in (default 0).
void SetSessionId(DWORD session);
// Another process holds an event of that name (as passed to CreateEventA,
// "Global\" included or not), created in `session`; `nullDacl`: created with
// a NULL DACL, so that any user may open it.
void HoldNamedEvent(const std::string& name, DWORD session, bool nullDacl);
// Named events that exist now, sorted by their full names
// ("Global\Patch::KV_UPDAT", "Session\1\Patch::KV_UPDAT" for a session-local
// one, the name as given before NT 5.0).
std::vector<std::string> NamedEvents();

}  // namespace winsim

#endif  // WINSIM_THREAD_CONTROL_H
