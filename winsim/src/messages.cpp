// winsim: posted messages. PostMessageA queues a message for a window of the
// tool's own process (a message window of the control API) and wakes a
// thread waiting for it; a message for a window added with AddWindow goes to
// the desktop.
#include <deque>

#include "desktop_state.h"
#include "scheduler.h"
#include "winsim/thread_control.h"

namespace winsim {
namespace detail {

namespace {

struct MessageWindow {
  std::string name;
  std::deque<PostedMessage> queue;
};

struct MessageWindows {
  std::map<uintptr_t, MessageWindow> windows;  // key: the HWND's value
  uintptr_t nextWindow = 0x30010;              // apart from the desktop's windows
};

MessageWindows& W() {
  static MessageWindows windows;
  return windows;
}

MessageWindow* Find(HWND window) {
  auto it = W().windows.find(reinterpret_cast<uintptr_t>(window));
  return it == W().windows.end() ? nullptr : &it->second;
}

std::string Describe(HWND window) {
  const MessageWindow* target = Find(window);
  if (!target) return DescribeWindow(window);
  return Hex(reinterpret_cast<uintptr_t>(window)) + " (message window \"" + target->name + "\")";
}

}  // namespace

bool IsMessageWindow(HWND window) { return Find(window) != nullptr; }

void ResetMessageWindows() { W() = MessageWindows{}; }

}  // namespace detail

using namespace detail;

HWND CreateMessageWindow(const std::string& name) {
  auto lock = Lock();
  const uintptr_t id = W().nextWindow += 2;
  W().windows[id] = MessageWindow{name, {}};
  return reinterpret_cast<HWND>(id);
}

void DestroyMessageWindow(HWND window) {
  auto lock = Lock();
  MessageWindow* target = Find(window);
  if (!target) return;
  Signal(target);  // a thread waiting for a message finds the window gone
  W().windows.erase(reinterpret_cast<uintptr_t>(window));
}

std::optional<PostedMessage> TakePostedMessage(HWND window) {
  auto lock = Lock();
  MessageWindow* target = Find(window);
  if (!target || target->queue.empty()) return std::nullopt;
  const PostedMessage message = target->queue.front();
  target->queue.pop_front();
  return message;
}

std::optional<PostedMessage> WaitForPostedMessage(HWND window) {
  auto lock = Lock();
  const std::string call = "WaitForPostedMessage(" + Describe(window) + ")";
  for (;;) {
    MessageWindow* target = Find(window);
    if (!target) return std::nullopt;
    if (!target->queue.empty()) return TakePostedMessage(window);
    if (WaitFor(target, kNoWake, call) == WakeReason::Deadlock) return std::nullopt;
  }
}

}  // namespace winsim

using namespace winsim;
using namespace winsim::detail;

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto lock = Lock();
  ApiCall call("PostMessageA", {detail::Describe(window), Hex(message), Dec(static_cast<int64_t>(wParam)), Dec(lParam)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  // No window: a message to the calling thread's own queue, which nothing
  // here reads.
  if (!window) return TRUE;
  if (MessageWindow* target = detail::Find(window)) {
    target->queue.push_back(PostedMessage{message, wParam, lParam});
    Signal(target);
    return TRUE;
  }
  if (PostToWindow(window, message)) return TRUE;
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}
