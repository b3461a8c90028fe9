// The driver's steps: a user's part in the tool's dialogs, one step at a
// time, each bounded in time. A step is a line of words separated by
// blanks; ID is a control id (decimal, or hexadecimal with 0x), SECONDS a
// time limit (at most 600).
//
//   wait KIND [SECONDS]      waits for the tool's window of KIND (intro,
//                            consent, removal, box) to be shown and ready
//                            for input (default 30 s); the steps after it
//                            act on that window
//   gone [SECONDS]           waits for the window to go (default 30 s)
//   click ID                 a left click on the control
//   key NAME                 enter, esc, space, tab or alt-f4
//   close                    the caption's close box
//   scroll ID WAY            the box to its end: thumb, page, wheel, bottom
//   expect ID STATES [SECONDS]
//                            the control is in every state of STATES
//                            (comma-separated: visible, hidden, enabled,
//                            disabled, checked, unchecked, pressed,
//                            released), now or within SECONDS
//   state ID                 prints the control's states
//   text [ID]                prints the control's text, on one line with
//                            \n for a line feed (default: a box's text)
//   answer ok|yes|no [SECONDS]
//                            prints the message box's text, clicks the
//                            button and waits for the box to go (10 s)
//   point ID                 moves the mouse pointer onto the control
//   rect                     prints the window's place on the screen:
//                            left top width height
//   centred                  the window is in the middle of the screen
//                            (within a pixel); prints "centred"
//   controls                 prints every control: id, class, states, text
#ifndef KV_TESTBED_DRIVER_STEPS_H
#define KV_TESTBED_DRIVER_STEPS_H

#include <windows.h>

#include <string>
#include <vector>

#include "tool_windows.h"

namespace uidriver {

using Words = std::vector<std::string>;

// The words of a step.
Words SplitStep(const std::string& step);

struct Session {
  std::wstring caption;     // the title of the tool's windows
  HWND window = nullptr;    // found by the last "wait"
  WindowKind kind = WindowKind::Intro;
};

// Runs one step; false with `error` set when it failed or timed out.
bool RunStep(Session& session, const Words& words, std::string& error);

}  // namespace uidriver

#endif  // KV_TESTBED_DRIVER_STEPS_H
