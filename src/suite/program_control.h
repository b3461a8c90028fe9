// Other programs: asking a window to close and waiting a bounded time for it
// to go, and starting a program without waiting for it.
#ifndef KV_SUITE_PROGRAM_CONTROL_H
#define KV_SUITE_PROGRAM_CONTROL_H

#include <string>

#include "win32api.h"

// Sends `message` to the window and waits for the window to disappear,
// polling every 100 ms, then pauses 100 ms more. The whole wait, the send
// included, is bounded: about 10.1 s for a window that stays, however it
// treats the message (a window whose thread no longer processes messages
// does not hold the caller longer). A null window returns at once.
void CloseWindowAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Starts the program file at `programPath` (a full path) without arguments
// and without waiting for it. Only that file can be started: the path is
// given as the program's name and, quoted, as its command line, so a path
// with spaces never runs another program found at one of them. Always 1,
// whether or not the program could be started; `started` tells which.
int LaunchProgram(const std::string& programPath);
int LaunchProgram(const std::string& programPath, int32_t& started);

#endif  // KV_SUITE_PROGRAM_CONTROL_H
