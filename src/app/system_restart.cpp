#include "app/system_restart.h"

#include <vector>

#include "common/os_level.h"
#include "common/system_library.h"
#include "common/unique_handle.h"

namespace {

typedef BOOL(WINAPI* InitiateShutdownFunction)(LPSTR machineName, LPSTR message, DWORD timeout,
                                               BOOL forceAppsClosed, BOOL rebootAfterShutdown, DWORD reason);

}  // namespace

int RestartWindows(const std::string& message, DWORD reason) {
  if (GetOsLevel() <= OsLevelNt4) return RestartWithExitWindows();
  // From the system directory: a copy planted beside the tool must not run.
  kv::UniqueModule advapi(kv::LoadSystemLibrary("ADVAPI32.DLL"));
  if (!advapi) return 0;
  const auto initiate = kv::EntryPoint<InitiateShutdownFunction>(advapi.get(), "InitiateSystemShutdownExA");
  if (!initiate) return 0;
  EnableShutdownPrivilege();
  std::vector<char> text(message.begin(), message.end());
  text.push_back('\0');
  return initiate(nullptr, text.data(), 0, FALSE, TRUE, reason) ? 1 : 0;
}

int RestartWithExitWindows() {
  EnableShutdownPrivilege();
  return ExitWindowsEx(EWX_REBOOT, 0) ? 1 : 0;
}

void EnableShutdownPrivilege() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return;
  const kv::UniqueKernelHandle token(opened);
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
  AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
}
