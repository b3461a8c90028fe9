// A user's mouse and keyboard input to the tool's windows. Input is posted
// to the window it is meant for (a click to the control, a key to the
// control that has the focus), so that it passes through the program's own
// message loop and whatever that loop refuses while the program is busy,
// as the user's input does; nothing is sent past the loop. Each action
// returns once the program has taken its input off the queue.
#ifndef KV_TESTBED_DRIVER_USER_INPUT_H
#define KV_TESTBED_DRIVER_USER_INPUT_H

#include <windows.h>

#include <string>

namespace uidriver {

// A left click in the middle of `control`: button down, button up. A user
// cannot click a hidden or disabled control: that is an error.
bool Click(HWND control, std::string& error);

// A key pressed and let go while `window` is active, to its focused control
// (the window itself when none has the focus): "enter", "esc", "space",
// "tab", "alt-f4".
bool PressKey(HWND window, const std::string& name, std::string& error);

// The close box of the caption (the window menu's Close command).
bool ClickCloseBox(HWND window, std::string& error);

// Moves the mouse pointer to the middle of `control`; the program sees the
// pointer arrive and chooses its cursor.
bool PointAt(HWND control, std::string& error);

// Waits until the program has taken off its queue and handled the messages
// posted to `window` (or its dialog) before; false when it stops doing so.
bool LetProgramTake(HWND window);

}  // namespace uidriver

#endif  // KV_TESTBED_DRIVER_USER_INPUT_H
