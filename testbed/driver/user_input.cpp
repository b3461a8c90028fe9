#include "user_input.h"

#include "tool_windows.h"

namespace uidriver {

namespace {

struct Key {
  const char* name;
  WPARAM virtualKey;
  UINT scanCode;
  bool withAlt;  // sent as a system key, Alt held
};
const Key kKeys[] = {
    {"enter", VK_RETURN, 0x1C, false}, {"esc", VK_ESCAPE, 0x01, false}, {"space", VK_SPACE, 0x39, false},
    {"tab", VK_TAB, 0x0F, false},      {"alt-f4", VK_F4, 0x3E, true},
};

// The key message's flags: repeat count 1, the scan code, Alt held (bit
// 29), the key down before (bit 30) and going up (bit 31).
LPARAM KeyData(const Key& key, bool up) {
  DWORD data = 1 | (key.scanCode << 16);
  if (key.withAlt) data |= 1u << 29;
  if (up) data |= (1u << 30) | (1u << 31);
  return static_cast<LPARAM>(data);
}

bool Usable(HWND control, std::string& error) {
  if (!control || !IsWindowVisible(control)) {
    error = "the control is not shown";
    return false;
  }
  if (!IsWindowEnabled(control)) {
    error = "the control is disabled: a user cannot use it";
    return false;
  }
  return true;
}

}  // namespace

bool LetProgramTake(HWND window) {
  // A window's paint comes from the queue only once no posted message is
  // left in it, so when the part invalidated here has been painted, the
  // input posted before has been taken and handled. (Sent messages are no
  // such mark: the loop answers every one that arrives before it takes the
  // next posted message.) A window that the input closed has taken it.
  HWND top = GetAncestor(window, GA_ROOT);
  if (!top || !RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN)) return !IsWindow(window);
  const DWORD start = GetTickCount();
  while (IsWindow(top) && IsWindowVisible(top) && GetUpdateRect(top, nullptr, FALSE)) {
    if (GetTickCount() - start >= kSendLimitMs) return false;
    Sleep(5);
  }
  return true;
}

bool Click(HWND control, std::string& error) {
  if (!Usable(control, error)) return false;
  RECT client;
  GetClientRect(control, &client);
  const LPARAM middle = MAKELPARAM((client.right - client.left) / 2, (client.bottom - client.top) / 2);
  PostMessageW(control, WM_MOUSEMOVE, 0, middle);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  PostMessageW(control, WM_LBUTTONUP, 0, middle);
  if (LetProgramTake(control)) return true;
  error = "the program did not take the click";
  return false;
}

bool PressKey(HWND window, const std::string& name, std::string& error) {
  const Key* key = nullptr;
  for (const Key& candidate : kKeys)
    if (name == candidate.name) key = &candidate;
  if (!key) {
    error = "unknown key \"" + name + "\" (enter, esc, space, tab, alt-f4)";
    return false;
  }
  GUITHREADINFO thread = {};
  thread.cbSize = sizeof thread;
  HWND target = window;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus)
    target = thread.hwndFocus;
  const UINT down = key->withAlt ? WM_SYSKEYDOWN : WM_KEYDOWN;
  const UINT up = key->withAlt ? WM_SYSKEYUP : WM_KEYUP;
  PostMessageW(target, down, key->virtualKey, KeyData(*key, false));
  PostMessageW(target, up, key->virtualKey, KeyData(*key, true));
  if (LetProgramTake(window)) return true;
  error = "the program did not take the key";
  return false;
}

bool ClickCloseBox(HWND window, std::string& error) {
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  if (LetProgramTake(window)) return true;
  error = "the program did not take the close command";
  return false;
}

bool PointAt(HWND control, std::string& error) {
  RECT area;
  if (!control || !GetWindowRect(control, &area)) {
    error = "the control is not there";
    return false;
  }
  if (!SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2)) {
    error = "the pointer could not be moved";
    return false;
  }
  return true;
}

}  // namespace uidriver
