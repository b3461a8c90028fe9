// winsim: the control API of top-level windows and processes for tests.
//
// A window has a class name and a title (FindWindowA compares both exactly,
// ignoring case, as Windows does for class names and titles), and answers one
// message, its close message, in one of three ways:
//   Closes   the message is processed at once and the window disappears
//            `closeDelayMs` after it arrived (0: at once);
//   Ignores  the message is processed and nothing happens;
//   Hangs    the window's thread no longer processes messages: SendMessageA
//            would wait for ever (winsim returns 0 at once and records a
//            ForeverBlockedCalls entry), SendMessageTimeoutA waits its whole
//            time-out on the clock and fails with ERROR_TIMEOUT (at once
//            with SMTO_ABORTIFHUNG).
// Every other message is processed and answered with 0.
//
// CreateProcessA finds its program as Windows does: the application name if
// one is given (exactly that file), otherwise the first token of the command
// line: a quoted token as it stands, an unquoted one tried at each space from
// the left ("C:\Program Files\A.exe" first tries "C:\Program.exe"), ".exe"
// appended when the name has no extension. A program registered with
// SetProgramWindow opens its window when it starts.
#ifndef WINSIM_DESKTOP_CONTROL_H
#define WINSIM_DESKTOP_CONTROL_H

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

enum class WindowReaction { Closes, Ignores, Hangs };

struct WindowSpec {
  std::string className;
  std::string title;
  UINT closeMessage = WM_CLOSE;
  WindowReaction reaction = WindowReaction::Closes;
  uint64_t closeDelayMs = 0;
};

HWND AddWindow(const WindowSpec& spec);
// True while the window exists (the clock decides a delayed close).
bool WindowExists(HWND window);
// Windows that exist with this class and title.
int WindowCount(const std::string& className, const std::string& title);

// The window that the program at `imagePath` opens when CreateProcessA
// starts it.
void SetProgramWindow(const std::string& imagePath, const WindowSpec& window);

// One CreateProcessA call.
struct Launch {
  std::string applicationName;  // as passed; "NULL" for none
  std::string commandLine;      // as passed; "NULL" for none
  std::string image;            // the program file started, empty when none was
  DWORD creationFlags = 0;
  BOOL inheritHandles = FALSE;
  std::string currentDirectory;  // as passed; "NULL" for none
  DWORD startupInfoSize = 0;     // STARTUPINFOA.cb
  DWORD startupFlags = 0;        // STARTUPINFOA.dwFlags
};
std::vector<Launch> Launches();

}  // namespace winsim

#endif  // WINSIM_DESKTOP_CONTROL_H
