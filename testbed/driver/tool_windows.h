// The tool's windows as a user sees them. Its dialogs and message boxes are
// all top-level dialogs (class "#32770") with one caption, the program's
// text 5000; which one is on screen shows in its controls:
//
//   consent   the read-me box 1004
//   removal   the check boxes 1001 and 1002 and the text 1003, no 1004
//   intro     OK and Cancel, none of the controls 1000-1006
//   box       a message box: its text (a static 0xFFFF) and OK or Yes,
//             no Cancel
//
// Only visible controls count: a message box may keep the buttons it does
// not use as hidden windows. Every message sent to the program is bounded
// in time, so that a program that hangs fails the step instead of the
// driver.
#ifndef KV_TESTBED_DRIVER_TOOL_WINDOWS_H
#define KV_TESTBED_DRIVER_TOOL_WINDOWS_H

#include <windows.h>

#include <string>

namespace uidriver {

enum class WindowKind { Intro, Consent, Removal, Box };

bool ParseWindowKind(const std::string& word, WindowKind& kind);

// How long one message sent to the program may take.
const UINT kSendLimitMs = 5000;

// SendMessageTimeoutW, aborting if the program hangs; false when it did
// not answer in time.
bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The child of `dialog` whose id has `id` as its low word (a message box's
// text is 0xFFFF, the dialog's -1 statics too); null when there is none.
HWND FindControl(HWND dialog, int id);

// The visible control `id`, null when there is none or it is hidden.
HWND FindVisibleControl(HWND dialog, int id);

// The visible window of `kind` titled `caption`, null when there is none.
HWND FindToolWindow(const std::wstring& caption, WindowKind kind);

// The window's text (WM_GETTEXT); false when the program did not answer.
bool ReadWindowText(HWND window, std::wstring& text);

// The program has taken every message sent to it so far off its queue: a
// sent message is answered from the program's message loop only.
bool ProgramIsIdle(HWND window);

}  // namespace uidriver

#endif  // KV_TESTBED_DRIVER_TOOL_WINDOWS_H
