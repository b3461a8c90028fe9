// winsim: Terminal Services sessions, the five functions of "Wtsapi32.dll"
// that the tool binds at run time. They are exported from the simulated
// module and declared in no header.
//
// Memory handed out is one block per call (the enumeration's records are
// followed by their window station names), counted until WTSFreeMemory.
#include <cstring>
#include <set>

#include "exports.h"
#include "winsim/session_control.h"

namespace winsim {
namespace detail {

namespace {

const char kModule[] = "Wtsapi32.dll";
const DWORD kErrorRpcServerUnavailable = 1722;
const DWORD kErrorCtxWinstationNotFound = 7022;

struct Block {
  std::unique_ptr<char[]> data;
  std::string what;  // for OpenResources
};

struct SessionState {
  std::vector<WtsSession> sessions;
  std::set<uintptr_t> servers;  // open server handles
  uintptr_t nextServer = 0x7A000;
  std::map<const void*, Block> memory;
};

SessionState& S() {
  static SessionState state;
  return state;
}

// A block of `size` bytes, counted until WTSFreeMemory.
char* Allocate(size_t size, std::string what) {
  Block block{std::unique_ptr<char[]>(new char[size ? size : 1]()), std::move(what)};
  char* data = block.data.get();
  S().memory[data] = std::move(block);
  return data;
}

bool KnownServer(HANDLE server) {
  return server == WTS_CURRENT_SERVER_HANDLE || S().servers.count(reinterpret_cast<uintptr_t>(server));
}

const WtsSession* FindSession(DWORD id) {
  if (id == WTS_CURRENT_SESSION) id = M().sessionId;  // the tool's session (SetSessionId)
  for (const WtsSession& session : S().sessions)
    if (session.id == id) return &session;
  return nullptr;
}

HANDLE WINAPI OpenServer(LPSTR serverName) {
  ApiCall call("WTSOpenServerA", {Arg(serverName)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return nullptr;
  }
  // Only this computer's server is modelled; any named one is out of reach.
  if (serverName) {
    SetLastError(kErrorRpcServerUnavailable);
    return nullptr;
  }
  const uintptr_t id = S().nextServer += 4;
  S().servers.insert(id);
  return reinterpret_cast<HANDLE>(id);
}

void WINAPI CloseServer(HANDLE server) {
  ApiCall call("WTSCloseServer", {Hex(reinterpret_cast<uintptr_t>(server))});
  S().servers.erase(reinterpret_cast<uintptr_t>(server));
}

BOOL WINAPI EnumerateSessions(HANDLE server, DWORD reserved, DWORD version, PWTS_SESSION_INFOA* sessionInfo,
                              DWORD* count) {
  ApiCall call("WTSEnumerateSessionsA",
               {Hex(reinterpret_cast<uintptr_t>(server)), Dec(reserved), Dec(version)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  if (reserved != 0 || version != 1 || !sessionInfo || !count) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!KnownServer(server)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const std::vector<WtsSession>& sessions = S().sessions;
  size_t size = sessions.size() * sizeof(WTS_SESSION_INFOA);
  for (const WtsSession& session : sessions) size += session.station.size() + 1;
  char* block = Allocate(size, "Terminal Services memory from WTSEnumerateSessionsA (" +
                                   std::to_string(sessions.size()) + " sessions)");
  auto* records = reinterpret_cast<WTS_SESSION_INFOA*>(block);
  char* text = block + sessions.size() * sizeof(WTS_SESSION_INFOA);
  for (size_t i = 0; i < sessions.size(); ++i) {
    std::memcpy(text, sessions[i].station.c_str(), sessions[i].station.size() + 1);
    records[i] = WTS_SESSION_INFOA{sessions[i].id, text, sessions[i].state};
    text += sessions[i].station.size() + 1;
  }
  *sessionInfo = records;
  *count = static_cast<DWORD>(sessions.size());
  return TRUE;
}

// The session id comes first in the log, so that a fault can name a session.
BOOL WINAPI QuerySessionInformation(HANDLE server, DWORD sessionId, WTS_INFO_CLASS infoClass, LPSTR* buffer,
                                    DWORD* bytesReturned) {
  ApiCall call("WTSQuerySessionInformationA",
               {Dec(sessionId), Dec(infoClass), Hex(reinterpret_cast<uintptr_t>(server))});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  if (!buffer || !bytesReturned) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!KnownServer(server)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const WtsSession* session = FindSession(sessionId);
  if (!session) {
    SetLastError(kErrorCtxWinstationNotFound);
    return FALSE;
  }
  // Strings come with their terminating NUL, counted in the byte count;
  // numbers as a DWORD.
  std::string data;
  DWORD number = 0;
  switch (infoClass) {
    case WTSUserName:
      data.assign(session->user.c_str(), session->user.size() + 1);
      break;
    case WTSWinStationName:
      data.assign(session->station.c_str(), session->station.size() + 1);
      break;
    case WTSSessionId:
    case WTSConnectState:
      number = infoClass == WTSSessionId ? session->id : static_cast<DWORD>(session->state);
      data.assign(reinterpret_cast<const char*>(&number), sizeof number);
      break;
    default:  // the other classes are not modelled
      SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
      return FALSE;
  }
  char* block = Allocate(data.size(), "Terminal Services memory from WTSQuerySessionInformationA (session " +
                                          std::to_string(session->id) + ", class " + std::to_string(infoClass) +
                                          ")");
  std::memcpy(block, data.data(), data.size());
  *buffer = block;
  *bytesReturned = static_cast<DWORD>(data.size());
  return TRUE;
}

void WINAPI FreeMemory(PVOID memory) {
  ApiCall call("WTSFreeMemory", {Hex(reinterpret_cast<uintptr_t>(memory))});
  S().memory.erase(memory);
}

}  // namespace

void ResetSessions() {
  S() = SessionState{};
  S().sessions = {{0, "Console", WTSActive, "Administrator"}, {65536, "RDP-Tcp", WTSListen, ""}};
  ExportFunction(kModule, "WTSOpenServerA", &OpenServer);
  ExportFunction(kModule, "WTSCloseServer", &CloseServer);
  ExportFunction(kModule, "WTSEnumerateSessionsA", &EnumerateSessions);
  ExportFunction(kModule, "WTSQuerySessionInformationA", &QuerySessionInformation);
  ExportFunction(kModule, "WTSFreeMemory", &FreeMemory);
}

void ReportOpenSessions(std::vector<std::string>& out) {
  for (const auto& server : S().servers) out.push_back("Terminal Services server handle " + Hex(server));
  for (const auto& block : S().memory) out.push_back(block.second.what);
}

}  // namespace detail

void SetSessions(const std::vector<WtsSession>& sessions) {
  auto lock = detail::Lock();
  detail::S().sessions = sessions;
}

}  // namespace winsim
