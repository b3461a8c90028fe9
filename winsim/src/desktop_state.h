// winsim internals: what the window and the process halves of the desktop
// share.
#ifndef WINSIM_DESKTOP_STATE_H
#define WINSIM_DESKTOP_STATE_H

#include <string>

#include "machine.h"

namespace winsim {
namespace detail {

// Opens the window registered with SetProgramWindow for the program at
// `image` (a normalized path), if there is one. The machine lock must be
// held.
void OpenProgramWindow(const std::string& image);

// A window added with AddWindow, for the log; its handle's value when it
// names none.
std::string DescribeWindow(HWND window);
// A message posted to a window added with AddWindow: processed as a sent one
// is, unless the window hangs. False when the handle names no such window.
bool PostToWindow(HWND window, UINT message);

void ResetProcesses();  // processes.cpp
// Whether the handle names a message window of the tool's own process
// (CreateMessageWindow, messages.cpp).
bool IsMessageWindow(HWND window);

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_DESKTOP_STATE_H
