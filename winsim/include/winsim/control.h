// winsim: the control API for tests. Everything here acts on the one
// simulated machine of the process; Reset() gives a fresh machine.
#ifndef WINSIM_CONTROL_H
#define WINSIM_CONTROL_H

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

// A fresh machine: Windows XP SP2 (5.1.2600), ANSI code page 932, Windows in
// C:\WINDOWS with C:\WINDOWS\system32, the tool at C:\KVTOOL\KV_UPDAT.EXE
// (also the current directory), an empty clock, no faults, an empty call log,
// an unlimited disk, and every simulated module present.
void Reset();

// ---- Operating system ------------------------------------------------------
enum class Os { Win95, Win98, WinMe, Nt351, Nt4, Win2000, WinXp, Server2003, Vista };
void SetOs(Os os);
void SetOsVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build);
void SetCodePage(UINT acp);
void SetWindowsDirectory(const std::string& path);  // also creates it and system32
void SetModuleFileName(const std::string& path);
void SetCurrentDirectory(const std::string& path);
std::string WindowsDirectory();
std::string SystemDirectory();

// ---- Virtual clock ---------------------------------------------------------
// Sleep() advances the clock instead of waiting. File times come from it.
uint64_t NowMs();
// Moves the clock on; threads parked on the way wake at their times and run
// up to their next wait before it moves further (thread_control.h).
void AdvanceClock(uint64_t milliseconds);
FILETIME NowFileTime();
FILETIME FileTimeAt(uint64_t milliseconds);  // the clock's file time at that instant

// ---- Faults ----------------------------------------------------------------
// Makes a call fail with `error` (a Win32 error, an HRESULT, or an LZERROR
// value, as the call reports its failures). `match` restricts the fault to
// calls whose first argument contains that text (case-insensitive); `skip`
// lets that many matching calls through first; `times` < 0 means forever.
void InjectFault(const std::string& call, int64_t error, const std::string& match = "",
                 int skip = 0, int times = -1);
void ClearFaults();

// ---- Call log --------------------------------------------------------------
struct Call {
  std::string name;
  std::vector<std::string> args;
};
std::vector<Call> CallLog();
std::vector<Call> CallsTo(const std::string& name);
void ClearCallLog();
std::string FormatCall(const Call& call);  // name(arg, arg, ...)

// ---- File system -----------------------------------------------------------
// Paths are Windows paths on the simulated machine. Writes through this API
// are not logged and ignore faults and the disk limit.
void AddFile(const std::string& path, const std::vector<uint8_t>& content);
void AddFile(const std::string& path, const std::string& content);
void AddDirectory(const std::string& path);  // creates missing parents
bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
std::vector<uint8_t> FileContent(const std::string& path);
std::string FileText(const std::string& path);
FILETIME WriteTime(const std::string& path);
void SetWriteTime(const std::string& path, FILETIME time);
DWORD Attributes(const std::string& path);
void SetAttributes(const std::string& path, DWORD attributes);
// Names (long names, in their stored case) of the entries of a directory.
std::vector<std::string> ListDirectory(const std::string& path);
// A file in use cannot be deleted, renamed or overwritten; the calls fail
// with `error` (a running program: ERROR_ACCESS_DENIED; an open file:
// ERROR_SHARING_VIOLATION). A running program's image can still be renamed,
// and overwriting it fails with ERROR_SHARING_VIOLATION, as on Windows.
void SetInUse(const std::string& path, DWORD error = ERROR_SHARING_VIOLATION);
// Another program holds the file open with `access` (GENERIC_READ and/or
// GENERIC_WRITE) and the share mode `share` (FILE_SHARE_*). The tool's calls
// meet it as Windows' sharing rules say: CreateFileA succeeds only when the
// holder shares reading and the new share mode allows what the holder does
// (its reading and writing); deleting, renaming and writing need the holder
// to share them (ERROR_SHARING_VIOLATION).
void HoldOpenElsewhere(const std::string& path, DWORD access, DWORD share);
// Ends SetInUse and HoldOpenElsewhere.
void ClearInUse(const std::string& path);
// Free bytes left on the disk; writes beyond it fail with ERROR_DISK_FULL.
void SetDiskFree(uint64_t bytes);
void SetDiskUnlimited();
// Number of open find, file and LZ handles.
int OpenHandleCount();

// ---- Registry --------------------------------------------------------------
void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                      const std::vector<uint8_t>& data);
bool RegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD* type,
                   std::vector<uint8_t>* data);
void DeleteRegistryValue(HKEY root, const std::string& key, const std::string& name);
// A key (and its missing parents) without values.
void AddRegistryKey(HKEY root, const std::string& key);
// A string value: `text` and its terminating NUL, as REG_SZ or another type.
void SetRegistryString(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                       DWORD type = REG_SZ);

// ---- The user --------------------------------------------------------------
// The tool runs as an administrator (the default) or as a plain user. A plain
// user is refused write access to HKEY_LOCAL_MACHINE (KEY_ALL_ACCESS among
// it) and full access to the service control manager, with
// ERROR_ACCESS_DENIED.
void SetAdministrator(bool administrator);

// ---- Replacement at the next start ----------------------------------------
// The pending operations as Windows records them in
// HKLM\SYSTEM\CurrentControlSet\Control\Session Manager,
// PendingFileRenameOperations: source, then target ("" = delete).
struct PendingMove {
  std::string source;
  std::string target;
};
std::vector<PendingMove> PendingFileRenameOperations();
// Restarts the simulated machine: files stop being in use, the registered
// operations are carried out in order (and WININIT.INI's [rename] section on
// the 95 family, after which the file becomes WININIT.BAK).
void SimulateRestart();

// ---- Modules ---------------------------------------------------------------
// Simulated modules: "setupapi.dll" (SetupDecompressOrCopyFileA),
// "kernel32.dll" (SetDllDirectoryA) and others registered by later areas.
// A module can be made absent, or one of its entry points.
void SetModulePresent(const std::string& module, bool present);
void SetExportPresent(const std::string& module, const std::string& function, bool present);
// Current load count of a simulated module (0 when not loaded).
int ModuleLoadCount(const std::string& module);
// Number of times a DLL file that is not a simulated system module was
// loaded (for example a DLL planted beside the tool).
int ForeignModuleLoads();

// ---- What a test leaves behind ------------------------------------------------
// Everything still open, one line each ("registry key HKLM\\SOFTWARE\\X",
// "service handle ZAMWTQNT", "module zamgik.dll loaded 1 time", ...): find,
// LZ and kernel handles, registry keys, service handles, loaded simulated
// modules, Terminal Services handles and memory, status manager handles,
// threads that have not ended, live COM objects, BSTRs not freed and COM
// initialisations not balanced.
// Empty when the code under test released all it obtained.
std::vector<std::string> OpenResources();
// Calls that would never have returned on Windows (for example SendMessageA
// to a window whose thread hangs). winsim returns from them at once so that
// the test can go on, and records them here.
std::vector<std::string> ForeverBlockedCalls();

}  // namespace winsim

#endif  // WINSIM_CONTROL_H
