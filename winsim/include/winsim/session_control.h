// winsim: the control API of Terminal Services sessions ("Wtsapi32.dll") for
// tests.
//
// The module exports WTSOpenServerA, WTSCloseServer, WTSEnumerateSessionsA,
// WTSQuerySessionInformationA and WTSFreeMemory; each can be made absent with
// SetExportPresent("Wtsapi32.dll", name, false), and the whole module with
// SetModulePresent. Memory handed out by the enumeration and the query stays
// counted in OpenResources() until WTSFreeMemory. WTSOpenServerA(NULL) opens
// the local server. Faults: InjectFault("WTSOpenServerA", error),
// InjectFault("WTSEnumerateSessionsA", error), and
// InjectFault("WTSQuerySessionInformationA", error, "<session id>").
//
// A fresh machine has the console session 0 (WTSActive, user
// "Administrator") and the listening session 65536 ("RDP-Tcp", WTSListen,
// no user).
#ifndef WINSIM_SESSION_CONTROL_H
#define WINSIM_SESSION_CONTROL_H

#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

struct WtsSession {
  DWORD id = 0;
  std::string station;  // window station name, e.g. "Console"
  WTS_CONNECTSTATE_CLASS state = WTSActive;
  std::string user;  // empty: nobody logged on
};

void SetSessions(const std::vector<WtsSession>& sessions);

}  // namespace winsim

#endif  // WINSIM_SESSION_CONTROL_H
