// The restart of Windows that completes a replacement waiting for the next
// start. It only asks for the restart; the tool then ends as usual.
#ifndef KV_APP_SYSTEM_RESTART_H
#define KV_APP_SYSTEM_RESTART_H

#include <string>

#include "win32api.h"

// SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_OPERATINGSYSTEM |
// SHTDN_REASON_MINOR_RECONFIG: a planned restart for a reconfiguration.
const DWORD kRestartReason = 0x80030004;

// On the 95 family and NT 3.51 and 4.0: RestartWithExitWindows (`message`
// and `reason` unused). On Windows 2000 and later, and on an unknown system:
// InitiateSystemShutdownExA from the system directory's "ADVAPI32.DLL" for
// the local computer, with `message`, no time-out, applications not forced
// closed, a restart afterwards and `reason`; no restart at all when the
// library or the function is missing. 1 when the system accepted the
// request, else 0 (the run's event tells it; nothing else is reported).
int RestartWindows(const std::string& message, DWORD reason);

// ExitWindowsEx(EWX_REBOOT) with the shutdown privilege enabled first; 1
// when the system accepted it, else 0.
int RestartWithExitWindows();

// Enables SeShutdownPrivilege in the process's token where there is one (not
// on the 95 family); failures are passed over.
void EnableShutdownPrivilege();

#endif  // KV_APP_SYSTEM_RESTART_H
