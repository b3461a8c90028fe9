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

void ResetProcesses();  // processes.cpp

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_DESKTOP_STATE_H
