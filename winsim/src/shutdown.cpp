// winsim: the program's access token and its privileges, and the restart of
// Windows: ExitWindowsEx, and InitiateSystemShutdownExA of "ADVAPI32.DLL",
// a simulated system module that is loaded with the program (the program
// imports it), so that a bare name never reaches a copy beside the tool.
// Nothing restarts: every request is recorded (RestartRequests).
//
// As on Windows XP: privileges have the names and LUIDs of XP; the token of
// an administrator holds the administrators' privileges, a plain user's
// token SeShutdownPrivilege, SeChangeNotifyPrivilege and SeUndockPrivilege;
// only SeChangeNotifyPrivilege is enabled from the start. A restart needs
// SeShutdownPrivilege enabled on the NT family. The 95 family has no
// tokens (ERROR_CALL_NOT_IMPLEMENTED) and restarts without a privilege;
// InitiateSystemShutdownExA exists from Windows XP on.
#include <set>

#include "exports.h"
#include "winsim/ui_control.h"

namespace winsim {
namespace detail {

namespace {

const char kModule[] = "ADVAPI32.DLL";
const DWORD kErrorNoAccess = 998;
const DWORD kErrorPrivilegeNotHeld = 1314;
const DWORD kErrorRpcServerUnavailable = 1722;
const DWORD kShutdownLuid = 19;
// The pseudo handle of the current process, as GetCurrentProcess gives it.
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

struct Privilege {
  const char* name;
  DWORD luid;
  bool administrator;  // held by an administrator's token
  bool user;           // held by a plain user's token
};
const Privilege kPrivileges[] = {
    {"SeTcbPrivilege", 7, false, false},        {"SeSecurityPrivilege", 8, true, false},
    {"SeBackupPrivilege", 17, true, false},     {"SeRestorePrivilege", 18, true, false},
    {"SeShutdownPrivilege", 19, true, true},    {"SeDebugPrivilege", 20, true, false},
    {"SeChangeNotifyPrivilege", 23, true, true}, {"SeRemoteShutdownPrivilege", 24, true, false},
    {"SeUndockPrivilege", 25, true, true},
};
const DWORD kEnabledFromStart = 23;

struct TokenObject : KernelObject {
  explicit TokenObject(DWORD access) : access(access) {}
  std::string Describe() const override { return "access token of the program (access " + Hex(access) + ")"; }
  DWORD access;
};

struct ShutdownState {
  std::set<DWORD> enabled{kEnabledFromStart};  // LUIDs of the enabled privileges
  bool shutdownHeld = true;
  DWORD refusal = 0;  // non-zero: restart requests fail with it
  std::vector<RestartRequest> requests;
};

ShutdownState& S() {
  static ShutdownState state;
  return state;
}

bool Win9x() { return M().version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS; }

bool FromWindowsXp() {
  const OSVERSIONINFOA& v = M().version;
  return v.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1));
}

bool Held(const LUID& luid) {
  if (luid.HighPart != 0 || (luid.LowPart == kShutdownLuid && !S().shutdownHeld)) return false;
  for (const Privilege& privilege : kPrivileges)
    if (privilege.luid == luid.LowPart) return M().administrator ? privilege.administrator : privilege.user;
  return false;
}

// Records a request; the error it fails with, or 0. `needsPrivilege`: the
// error when SeShutdownPrivilege is not enabled on the NT family.
DWORD Request(RestartRequest request, DWORD needsPrivilege) {
  request.shutdownPrivilegeEnabled = S().enabled.count(kShutdownLuid) > 0;
  S().requests.push_back(request);
  if (S().refusal) return S().refusal;
  if (needsPrivilege && !Win9x() && !request.shutdownPrivilegeEnabled) return needsPrivilege;
  return 0;
}

BOOL WINAPI InitiateSystemShutdownEx(LPSTR machine, LPSTR message, DWORD timeout, BOOL forceAppsClosed,
                                     BOOL rebootAfterShutdown, DWORD reason) {
  ApiCall call("InitiateSystemShutdownExA", {Arg(machine), Arg(message), Dec(timeout), Dec(forceAppsClosed),
                                             Dec(rebootAfterShutdown), Hex(reason)});
  winsim::RestartRequest request;
  request.function = "InitiateSystemShutdownExA";
  request.machine = machine ? machine : "NULL";
  request.message = message ? message : "";
  request.timeout = timeout;
  request.forceAppsClosed = forceAppsClosed;
  request.rebootAfterShutdown = rebootAfterShutdown;
  request.reason = reason;
  // The shutdown service refuses a caller without the privilege with
  // ERROR_ACCESS_DENIED. Only this computer is modelled.
  DWORD error = Request(request, ERROR_ACCESS_DENIED);
  if (machine && *machine) error = kErrorRpcServerUnavailable;
  if (auto fault = call.Fault()) error = static_cast<DWORD>(*fault);
  if (error) SetLastError(error);
  return error == 0;
}

}  // namespace

void ResetShutdown() {
  S() = ShutdownState{};
  ExportFunction(kModule, "InitiateSystemShutdownExA", &InitiateSystemShutdownEx, &FromWindowsXp);
  SetLoadedWithProgram(kModule);
}

}  // namespace detail

using namespace detail;

std::vector<RestartRequest> RestartRequests() {
  auto lock = Lock();
  return S().requests;
}

void RefuseRestart(DWORD error) {
  auto lock = Lock();
  S().refusal = error;
}

void SetShutdownPrivilegeHeld(bool held) {
  auto lock = Lock();
  S().shutdownHeld = held;
  if (!held) S().enabled.erase(kShutdownLuid);
}

}  // namespace winsim

using namespace winsim::detail;

BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token) {
  ApiCall call("OpenProcessToken", {Hex(reinterpret_cast<uintptr_t>(process)), Hex(desiredAccess)});
  DWORD error = 0;
  if (auto fault = call.Fault())
    error = static_cast<DWORD>(*fault);
  else if (Win9x())
    error = ERROR_CALL_NOT_IMPLEMENTED;
  else if (process != kCurrentProcess)  // only the program's own process is modelled
    error = ERROR_INVALID_HANDLE;
  else if (!token)
    error = kErrorNoAccess;
  if (error) {
    SetLastError(error);
    return FALSE;
  }
  *token = AddKernelObject(std::make_shared<TokenObject>(desiredAccess));
  return TRUE;
}

// Names compare without case. Only this computer is modelled (NULL or an
// empty system name); any other is out of reach.
BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid) {
  ApiCall call("LookupPrivilegeValueA", {Arg(name), Arg(systemName)});
  DWORD error = 0;
  if (auto fault = call.Fault())
    error = static_cast<DWORD>(*fault);
  else if (Win9x())
    error = ERROR_CALL_NOT_IMPLEMENTED;
  else if (systemName && *systemName)
    error = kErrorRpcServerUnavailable;
  else if (!luid)
    error = kErrorNoAccess;
  for (const Privilege& privilege : kPrivileges) {
    if (error || !name || UpperAnsi(name) != UpperAnsi(privilege.name)) continue;
    *luid = LUID{privilege.luid, 0};
    return TRUE;
  }
  SetLastError(error ? error : ERROR_NO_SUCH_PRIVILEGE);
  return FALSE;
}

// The previous state is not modelled (the tool never asks for it): asking
// for it fails with ERROR_NOT_SUPPORTED.
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAllPrivileges, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                           PTOKEN_PRIVILEGES previousState, PDWORD returnLength) {
  std::string changes;
  for (DWORD i = 0; newState && i < newState->PrivilegeCount; ++i)
    changes += (i ? "," : "") + Dec(newState->Privileges[i].Luid.LowPart) + ":" +
               Hex(newState->Privileges[i].Attributes);
  ApiCall call("AdjustTokenPrivileges",
               {Hex(reinterpret_cast<uintptr_t>(token)), Dec(disableAllPrivileges), changes, Dec(bufferLength)});
  auto object = KernelObjectAs<TokenObject>(token);
  DWORD error = 0;
  if (auto fault = call.Fault())
    error = static_cast<DWORD>(*fault);
  else if (Win9x())
    error = ERROR_CALL_NOT_IMPLEMENTED;
  else if (!object)
    error = ERROR_INVALID_HANDLE;
  else if (!(object->access & TOKEN_ADJUST_PRIVILEGES))
    error = ERROR_ACCESS_DENIED;
  else if (previousState || returnLength)
    error = ERROR_NOT_SUPPORTED;
  else if (!disableAllPrivileges && !newState)
    error = ERROR_INVALID_PARAMETER;
  if (error) {
    SetLastError(error);
    return FALSE;
  }
  // A privilege the token does not hold is left out, and the call still
  // succeeds, saying so in the last error.
  DWORD result = ERROR_SUCCESS;
  if (disableAllPrivileges) S().enabled.clear();
  for (DWORD i = 0; !disableAllPrivileges && i < newState->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& change = newState->Privileges[i];
    if (!Held(change.Luid))
      result = ERROR_NOT_ALL_ASSIGNED;
    else if (change.Attributes & SE_PRIVILEGE_ENABLED)
      S().enabled.insert(change.Luid.LowPart);
    else
      S().enabled.erase(change.Luid.LowPart);
  }
  SetLastError(result);
  return TRUE;
}

BOOL ExitWindowsEx(UINT flags, DWORD reason) {
  ApiCall call("ExitWindowsEx", {Hex(flags), Hex(reason)});
  winsim::RestartRequest request;
  request.function = "ExitWindowsEx";
  request.exitFlags = flags;
  request.reason = reason;
  // Logging off needs no privilege.
  const bool endsWindows = flags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF);
  DWORD error = Request(request, endsWindows ? kErrorPrivilegeNotHeld : 0);
  if (auto fault = call.Fault()) error = static_cast<DWORD>(*fault);
  if (error) SetLastError(error);
  return error == 0;
}
