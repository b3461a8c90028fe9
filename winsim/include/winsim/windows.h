// winsim: the simulated Windows, seen from the tool. Declares the Win32
// subset that the tool calls, with the SDK's names, types and values.
#ifndef WINSIM_WINDOWS_H
#define WINSIM_WINDOWS_H

#include "win_types.h"
#include "win_kernel.h"
#include "win_file.h"
#include "win_registry.h"
#include "win_version.h"
#include "win_lz.h"
#include "win_com.h"
#include "win_netfw.h"
#include "win_service.h"
#include "win_user.h"
#include "win_process.h"
#include "win_printer.h"
#include "win_wts.h"
#include "win_thread.h"
#include "win_security.h"
#include "win_eventlog.h"

#endif  // WINSIM_WINDOWS_H
