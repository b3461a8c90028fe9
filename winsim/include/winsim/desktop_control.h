// winsim: the control API of top-level windows and processes for tests.
//
// A window has a class name and a title (FindWindowA compares both ignoring
// case, as Windows does; a null argument matches any; when several windows
// match, the one opened last is found; when none does, the result is null
// with ERROR_CANNOT_FIND_WND_CLASS, 1407, as Wine answers). It answers one
// message, its close message, in one of three ways:
//   Closes   the message is processed at once and the window disappears
//            `closeDelayMs` after it arrived (0: at once);
//   Ignores  the message is processed and nothing happens;
//   Hangs    the window's thread stopped processing messages when the window
//            was added: SendMessageA would wait for ever (winsim returns 0
//            at once and records a ForeverBlockedCalls entry), and
//            SendMessageTimeoutA waits its whole time-out on the clock and
//            fails with ERROR_TIMEOUT. With SMTO_ABORTIFHUNG it fails at once
//            instead, but only once the thread has not responded for five
//            seconds (Windows' and Wine's rule for a hung window). This holds
//            for every message, not only the close message.
// Every other message is processed and answered with 0. Sending to a handle
// that names no window (or one that has gone) fails with
// ERROR_INVALID_WINDOW_HANDLE; SendMessageTimeoutA sets *result to 0 on
// every failure, as Wine does.
//
// CreateProcessA finds its program as Windows does: the application name if
// one is given (exactly that file, relative to the current directory, no
// extension added; a missing directory is ERROR_PATH_NOT_FOUND), otherwise
// the first token of the command line: a quoted token as it stands, an
// unquoted one tried at each blank from the left ("C:\Program Files\A.exe"
// first tries "C:\Program.exe"), ".exe" appended when the name has no
// extension. A name without a directory is looked for in the directory of
// the calling program, the current directory, the system directory, the
// 16-bit system directory and the Windows directory (the PATH is not
// modelled). Nothing found is ERROR_FILE_NOT_FOUND; a file that is no program
// (it does not begin with "MZ") is ERROR_BAD_EXE_FORMAT (193). The search
// writes into the command-line buffer and restores it, so a read-only buffer
// faults as it may on Windows. Every call is recorded (Launches()), failed
// ones too. PROCESS_INFORMATION is cleared first, so a failed call leaves it
// zeroed; on success it receives a process and a thread handle (kernel
// objects, reported by OpenResources() until CloseHandle) and ids. A program registered with
// SetProgramWindow opens its window when it starts (not when it is started
// with CREATE_SUSPENDED). Nothing else of a started program is modelled: it
// does not run, and its image is not held in use.
#ifndef WINSIM_DESKTOP_CONTROL_H
#define WINSIM_DESKTOP_CONTROL_H

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

enum class WindowReaction { Closes, Ignores, Hangs };

struct WindowSetup {
  std::string className;
  std::string title;
  UINT closeMessage = WM_CLOSE;
  WindowReaction reaction = WindowReaction::Closes;
  uint64_t closeDelayMs = 0;
};

HWND AddWindow(const WindowSetup& setup);
// True while the window exists (the clock decides a delayed close).
bool WindowExists(HWND window);
// Windows that exist with this class and title.
int WindowCount(const std::string& className, const std::string& title);

// The window that the program at `imagePath` opens when CreateProcessA
// starts it.
void SetProgramWindow(const std::string& imagePath, const WindowSetup& window);

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
