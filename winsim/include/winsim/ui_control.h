// winsim: the control API of message boxes, the program's string table, and
// the restart of Windows, for tests.
//
// Message box texts cross this API as the tool passed them (bytes in the
// simulated ANSI code page); ToAnsi converts a UTF-8 text for comparison.
#ifndef WINSIM_UI_CONTROL_H
#define WINSIM_UI_CONTROL_H

#include <map>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

// ---- Text ----------------------------------------------------------------------
// A UTF-8 text in the simulated ANSI code page, and back.
std::string ToAnsi(const std::string& utf8);
std::string FromAnsi(const std::string& ansi);

// ---- String table ------------------------------------------------------------
// The program's own string table (UTF-8 texts by id), served by LoadStringA
// in the simulated code page. It belongs to the program, not to the machine:
// Reset keeps it. Host tests see the tool's own table (strings.rc), which
// their fixture installs.
void SetStringTable(const std::map<UINT, std::string>& utf8Texts);

// ---- Message table -----------------------------------------------------------
// The program's message table (UTF-8 texts by full message id, each line
// ended by CR LF), served by FormatMessageA in the simulated code page. Like
// the string table it belongs to the program: Reset keeps it.
void SetMessageTable(const std::map<DWORD, std::string>& utf8Texts);

// ---- Message boxes ---------------------------------------------------------------
struct MessageBoxRecord {
  std::string text;     // as passed (ANSI bytes); "NULL" never appears: a null text is ""
  std::string caption;  // as passed (ANSI bytes)
  HWND owner = nullptr;
  UINT style = 0;
  int answer = 0;
};
// Every MessageBoxA call, in order.
std::vector<MessageBoxRecord> MessageBoxes();
// Answers for the next boxes, in order. A box without a queued answer gets
// its first button's id (IDOK for MB_OK, IDYES for MB_YESNO). An answer the box has no button for never comes: the box
// is recorded as a call that never returns (ForeverBlockedCalls) and
// answers 0.
void AnswerMessageBox(int answer);

// ---- Restart of Windows ----------------------------------------------------------
// "ADVAPI32.DLL" is a simulated module exporting InitiateSystemShutdownExA
// (absent with SetExportPresent; it exists from Windows XP on, so not on
// 2000, NT 4.0 or the 95 family). The module is loaded with the program, which
// imports it, and is a known DLL: a bare name reaches the system's copy
// whatever lies beside the tool. The token calls fail on the 95 family with
// ERROR_CALL_NOT_IMPLEMENTED, as there; ExitWindowsEx works there without a
// privilege. On the NT family a restart needs SeShutdownPrivilege enabled
// (AdjustTokenPrivileges): without it ExitWindowsEx fails with
// ERROR_PRIVILEGE_NOT_HELD and InitiateSystemShutdownExA with
// ERROR_ACCESS_DENIED. Every call is recorded, whatever it answers.
struct RestartRequest {
  std::string function;  // "ExitWindowsEx" or "InitiateSystemShutdownExA"
  UINT exitFlags = 0;    // ExitWindowsEx
  std::string machine;   // InitiateSystemShutdownExA: "NULL" for the local computer
  std::string message;   // as passed (ANSI bytes)
  DWORD timeout = 0;
  BOOL forceAppsClosed = FALSE;
  BOOL rebootAfterShutdown = FALSE;
  DWORD reason = 0;
  bool shutdownPrivilegeEnabled = false;  // the caller's token held it enabled
};
std::vector<RestartRequest> RestartRequests();
// A restart request is refused (the call fails with this error); it is still
// recorded.
void RefuseRestart(DWORD error);
// The token holds SeShutdownPrivilege (disabled until adjusted), as every
// user's token does on XP Professional; a policy can withhold it, and
// AdjustTokenPrivileges then answers ERROR_NOT_ALL_ASSIGNED.
void SetShutdownPrivilegeHeld(bool held);

}  // namespace winsim

#endif  // WINSIM_UI_CONTROL_H
