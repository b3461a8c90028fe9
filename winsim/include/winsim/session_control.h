// winsim: the control API of Terminal Services sessions ("Wtsapi32.dll") for
// tests.
//
// The module exports WTSOpenServerA, WTSCloseServer, WTSEnumerateSessionsA,
// WTSQuerySessionInformationA and WTSFreeMemory; each can be made absent with
// SetExportPresent("Wtsapi32.dll", name, false), and the whole module with
// SetModulePresent. Memory handed out by the enumeration and the query stays
// counted in OpenResources() until WTSFreeMemory, and so do server handles
// until WTSCloseServer. WTSOpenServerA(NULL) opens the local server (a named
// server is out of reach: RPC_S_SERVER_UNAVAILABLE, 1722); the local server
// can also be named by WTS_CURRENT_SERVER_HANDLE. The enumeration gives one
// block: the WTS_SESSION_INFOA records, then their window station names.
// WTSQuerySessionInformationA answers WTSUserName and WTSWinStationName with
// the string and its terminating NUL (the byte count includes it; "" for no
// user), WTSSessionId and WTSConnectState with a DWORD; the other classes are
// not modelled (ERROR_CALL_NOT_IMPLEMENTED). WTS_CURRENT_SESSION is the
// session the tool runs in (0 unless SetSessionId says otherwise); a session
// that does not exist gives ERROR_CTX_WINSTATION_NOT_FOUND (7022). Faults:
// InjectFault("WTSOpenServerA", error), InjectFault("WTSEnumerateSessionsA",
// error), and InjectFault("WTSQuerySessionInformationA", error, "<session
// id>") (the session id is the first logged argument).
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
