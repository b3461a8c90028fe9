// winsim: top-level windows and their messages (FindWindowA, IsWindow,
// SendMessageA, SendMessageTimeoutA). Processes are in processes.cpp.
#include <optional>

#include "desktop_state.h"
#include "scheduler.h"
#include "winsim/desktop_control.h"

namespace winsim {
namespace detail {

namespace {

// Windows takes a thread for hung once it has not asked for messages for
// five seconds (IsHungAppWindow); only then does SMTO_ABORTIFHUNG return at
// once.
const uint64_t kHungAfterMs = 5000;
const DWORD kErrorCannotFindWndClass = 1407;

struct Window {
  WindowSetup setup;
  uint64_t addedMs = 0;                // a hanging window's thread stopped then
  std::optional<uint64_t> closesAtMs;  // set when its close message arrived
  bool Exists() const { return !closesAtMs || M().nowMs < *closesAtMs; }
};

struct Desktop {
  std::map<uintptr_t, Window> windows;  // key: the HWND's value, in creation order
  uintptr_t nextWindow = 0x10020;
  std::map<std::string, WindowSetup> programWindows;  // key: upper-cased image path
};

Desktop& D() {
  static Desktop desktop;
  return desktop;
}

bool SameText(const std::string& a, const std::string& b) { return UpperAnsi(a) == UpperAnsi(b); }

HWND NewWindow(const WindowSetup& setup) {
  const uintptr_t id = D().nextWindow += 2;
  D().windows[id] = Window{setup, M().nowMs, std::nullopt};
  return reinterpret_cast<HWND>(id);
}

// The window behind a handle while it exists, else null.
Window* Find(HWND handle) {
  auto it = D().windows.find(reinterpret_cast<uintptr_t>(handle));
  return it != D().windows.end() && it->second.Exists() ? &it->second : nullptr;
}

std::string Describe(HWND handle) {
  auto it = D().windows.find(reinterpret_cast<uintptr_t>(handle));
  if (it == D().windows.end()) return Hex(reinterpret_cast<uintptr_t>(handle));
  return Hex(it->first) + " (" + it->second.setup.className + " \"" + it->second.setup.title + "\")";
}

std::vector<std::string> MessageArgs(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return {Describe(window), Hex(message), Dec(static_cast<int64_t>(wParam)), Dec(lParam)};
}

// The window that a sent message reaches, or null with the last error set
// (an injected fault, or a handle that names no window).
Window* Receiver(const ApiCall& call, HWND handle) {
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return nullptr;
  }
  Window* target = Find(handle);
  if (!target) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return target;
}

// A message that a window whose thread works has processed.
void Deliver(Window& window, UINT message) {
  if (message != window.setup.closeMessage || window.setup.reaction != WindowReaction::Closes) return;
  if (!window.closesAtMs) window.closesAtMs = M().nowMs + window.setup.closeDelayMs;
}

}  // namespace

void OpenProgramWindow(const std::string& image) {
  auto it = D().programWindows.find(UpperAnsi(image));
  if (it != D().programWindows.end()) NewWindow(it->second);
}

std::string DescribeWindow(HWND window) { return Describe(window); }

bool PostToWindow(HWND window, UINT message) {
  Window* target = Find(window);
  // A hung window's thread leaves the message in its queue.
  if (target) Deliver(*target, message);
  return target != nullptr;
}

void ResetDesktop() {
  D() = Desktop{};
  ResetProcesses();
}

}  // namespace detail

using namespace detail;

HWND AddWindow(const WindowSetup& setup) {
  auto lock = Lock();
  return NewWindow(setup);
}

bool WindowExists(HWND window) {
  auto lock = Lock();
  return Find(window) != nullptr;
}

int WindowCount(const std::string& className, const std::string& title) {
  auto lock = Lock();
  int count = 0;
  for (const auto& entry : D().windows)
    if (entry.second.Exists() && SameText(entry.second.setup.className, className) &&
        SameText(entry.second.setup.title, title))
      ++count;
  return count;
}

void SetProgramWindow(const std::string& imagePath, const WindowSetup& window) {
  auto lock = Lock();
  D().programWindows[UpperAnsi(NormalizePath(imagePath))] = window;
}

}  // namespace winsim

using namespace winsim;
using namespace winsim::detail;

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  ApiCall call("FindWindowA", {Arg(className), Arg(windowName)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return nullptr;
  }
  // The topmost match: the window opened last.
  for (auto it = D().windows.rbegin(); it != D().windows.rend(); ++it) {
    const Window& window = it->second;
    if (!window.Exists()) continue;
    if (className && !SameText(window.setup.className, className)) continue;
    if (windowName && !SameText(window.setup.title, windowName)) continue;
    return reinterpret_cast<HWND>(it->first);
  }
  // What Wine answers whenever nothing matches (Windows documents only the
  // null result).
  SetLastError(kErrorCannotFindWndClass);
  return nullptr;
}

// The calls below describe the window for the log before ApiCall takes the
// lock, so they take it first.
BOOL IsWindow(HWND window) {
  auto lock = Lock();
  ApiCall call("IsWindow", {Describe(window)});
  return Find(window) || IsMessageWindow(window) ? TRUE : FALSE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto lock = Lock();
  ApiCall call("SendMessageA", MessageArgs(window, message, wParam, lParam));
  Window* target = Receiver(call, window);
  if (!target) return 0;
  if (target->setup.reaction == WindowReaction::Hangs) {
    RecordBlockedForever(FormatCall(Call{"SendMessageA", MessageArgs(window, message, wParam, lParam)}) +
                         ": the window's thread no longer processes messages");
    return 0;
  }
  Deliver(*target, message);
  return 0;
}

LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                            PDWORD_PTR result) {
  auto lock = Lock();
  std::vector<std::string> args = MessageArgs(window, message, wParam, lParam);
  args.push_back(Hex(flags));
  args.push_back(Dec(timeout));
  ApiCall call("SendMessageTimeoutA", std::move(args));
  // On every failure the result is 0, as Wine leaves it.
  if (result) *result = 0;
  Window* target = Receiver(call, window);
  if (!target) return 0;
  if (target->setup.reaction == WindowReaction::Hangs) {
    const bool hung = M().nowMs - target->addedMs >= kHungAfterMs;
    if (!(hung && (flags & SMTO_ABORTIFHUNG))) WaitFor(nullptr, M().nowMs + timeout, "");
    SetLastError(ERROR_TIMEOUT);
    return 0;
  }
  Deliver(*target, message);
  return 1;
}
