#include "suite/user_sessions.h"

#include "common/system_library.h"
#include "common/unique_handle.h"
#include "win32api.h"

namespace {

typedef BOOL(WINAPI* WtsEnumerateSessionsProc)(HANDLE server, DWORD reserved, DWORD version,
                                               PWTS_SESSION_INFOA* sessions, DWORD* count);
typedef HANDLE(WINAPI* WtsOpenServerProc)(LPSTR serverName);
typedef void(WINAPI* WtsCloseServerProc)(HANDLE server);
typedef void(WINAPI* WtsFreeMemoryProc)(PVOID memory);
typedef BOOL(WINAPI* WtsQuerySessionInformationProc)(HANDLE server, DWORD sessionId, WTS_INFO_CLASS infoClass,
                                                     LPSTR* buffer, DWORD* bytes);

struct WtsFunctions {
  WtsEnumerateSessionsProc enumerateSessions;
  WtsOpenServerProc openServer;
  WtsCloseServerProc closeServer;
  WtsFreeMemoryProc freeMemory;
  WtsQuerySessionInformationProc querySessionInformation;
};

bool CountsAsLoggedOn(WTS_CONNECTSTATE_CLASS state) {
  return state == WTSActive || state == WTSConnected || state == WTSDisconnected;
}

// Sessions of the server with a user name that is not empty.
int CountLoggedOnUsers(const WtsFunctions& wts, HANDLE server) {
  PWTS_SESSION_INFOA sessions = nullptr;
  DWORD count = 0;
  if (!wts.enumerateSessions(server, 0, 1, &sessions, &count)) return 0;
  int users = 0;
  for (DWORD i = 0; i < count; ++i) {
    if (!CountsAsLoggedOn(sessions[i].State)) continue;
    LPSTR user = nullptr;
    DWORD bytes = 0;
    if (!wts.querySessionInformation(server, sessions[i].SessionId, WTSUserName, &user, &bytes)) continue;
    if (!user) continue;
    if (user[0] != '\0') ++users;
    wts.freeMemory(user);
  }
  wts.freeMemory(sessions);
  return users;
}

}  // namespace

int HasOtherUserSessions() {
  kv::UniqueModule library(kv::LoadSystemLibrary("Wtsapi32.dll"));
  if (!library) return 0;
  const HMODULE module = library.get();
  const WtsFunctions wts = {
      kv::EntryPoint<WtsEnumerateSessionsProc>(module, "WTSEnumerateSessionsA"),
      kv::EntryPoint<WtsOpenServerProc>(module, "WTSOpenServerA"),
      kv::EntryPoint<WtsCloseServerProc>(module, "WTSCloseServer"),
      kv::EntryPoint<WtsFreeMemoryProc>(module, "WTSFreeMemory"),
      kv::EntryPoint<WtsQuerySessionInformationProc>(module, "WTSQuerySessionInformationA"),
  };
  if (!wts.enumerateSessions || !wts.openServer || !wts.closeServer || !wts.freeMemory ||
      !wts.querySessionInformation)
    return 0;

  // Whether the local server's null name gives a handle is not settled;
  // without one, the local server is named by WTS_CURRENT_SERVER_HANDLE,
  // which is not closed.
  const HANDLE server = wts.openServer(nullptr);
  const int users = CountLoggedOnUsers(wts, server ? server : WTS_CURRENT_SERVER_HANDLE);
  if (server) wts.closeServer(server);
  return users > 1 ? 1 : 0;
}
