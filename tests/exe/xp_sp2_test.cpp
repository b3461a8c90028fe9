// The built program must load on Windows XP SP2: its headers ask for no
// later system, and every function it imports exists in XP SP2's own DLLs.
// The loader resolves all imports before the program runs, so one later
// function (GetTickCount64 ...) stops the program with "entry point not
// found" before its first line. Optional DLLs and functions are loaded by
// name when they are used, and the runtime is linked into the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "built_program.h"

namespace {

using kvtest::BuiltProgram;

constexpr uint16_t kI386 = 0x014C;
constexpr uint16_t kWindowsGui = 2;
constexpr int kXp = 0x0501;  // 5.1

// What the program imports, per system DLL of Windows XP SP2 (names in
// lower case). Every function listed here is exported by that DLL on XP
// SP2; a new import fails the check until it has been looked up and added.
const std::map<std::string, std::set<std::string>> kXpSp2Functions = {
    {"advapi32.dll",
     {"AdjustTokenPrivileges", "CloseServiceHandle", "ControlService", "InitializeSecurityDescriptor",
      "LookupPrivilegeValueA", "OpenProcessToken", "OpenSCManagerA", "OpenServiceA", "QueryServiceStatus",
      "RegCloseKey", "RegEnumKeyExA", "RegOpenKeyExA", "RegQueryValueExA", "SetSecurityDescriptorDacl",
      "StartServiceA", "DeregisterEventSource", "RegCreateKeyExA", "RegSetValueExA", "RegisterEventSourceA",
      "ReportEventA"}},
    {"comctl32.dll", {"InitCommonControls"}},
    {"gdi32.dll",
     {"CreateFontIndirectA", "CreateSolidBrush", "DeleteObject", "GetObjectA", "SetBkColor", "SetTextColor"}},
    {"kernel32.dll",
     {"CloseHandle", "CompareFileTime", "CopyFileA", "CreateDirectoryA", "CreateEventA", "CreateFileA",
      "CreateProcessA", "CreateSemaphoreW", "CreateThread", "DeleteCriticalSection", "DeleteFileA",
      "EnterCriticalSection", "FindClose", "FindFirstFileA", "FreeLibrary", "GetCurrentProcess", "GetCurrentThreadId",
      "GetExitCodeThread", "FormatMessageA", "GetFileAttributesA", "GetFileSize", "GetLastError", "GetModuleFileNameA", "GetModuleHandleA",
      "GetModuleHandleW", "GetPrivateProfileStringA", "GetProcAddress", "GetShortPathNameA", "GetStartupInfoA",
      "GetSystemDirectoryA",
      "GetTickCount", "GetVersionExA", "GetWindowsDirectoryA", "InitializeCriticalSection", "IsDBCSLeadByteEx",
      "LeaveCriticalSection", "LoadLibraryA", "LoadLibraryW", "MoveFileA", "MoveFileExA", "MultiByteToWideChar",
      "ReadFile", "ReleaseSemaphore", "SetFileAttributesA", "SetLastError", "SetUnhandledExceptionFilter", "Sleep",
      "TlsAlloc", "TlsFree", "TlsGetValue", "TlsSetValue", "VirtualProtect", "VirtualQuery", "WaitForSingleObject",
      "WideCharToMultiByte", "WritePrivateProfileStringA"}},
    {"lz32.dll", {"LZClose", "LZCopy", "LZOpenFileA"}},
    {"msvcrt.dll",
     {"__argc", "__getmainargs", "__initenv", "__mb_cur_max", "__p___argv", "__p__acmdln", "__p__commode",
      "__p__fmode", "__set_app_type", "__setusermatherr", "_amsg_exit", "_cexit", "_close", "_errno", "_initterm",
      "_iob", "_onexit", "_read", "abort", "atoi", "calloc", "exit", "fprintf", "fputc", "free", "fwrite",
      "localeconv", "malloc", "memchr", "memcmp", "memcpy", "memmove", "memset", "realloc", "setlocale", "signal",
      "strchr", "strcmp", "strerror", "strlen", "strncmp", "vfprintf", "wcslen"}},
    {"ole32.dll", {"CoCreateInstance", "CoInitialize", "CoUninitialize"}},
    {"oleaut32.dll", {"SysAllocStringLen", "SysFreeString"}},
    {"user32.dll",
     {"CallNextHookEx", "CallWindowProcA", "CharNextA", "CheckDlgButton", "DefWindowProcA", "DialogBoxParamA",
      "EnableWindow", "EndDialog", "ExitWindowsEx", "FindWindowA", "GetDlgCtrlID", "GetDlgItem", "GetScrollInfo",
      "GetSysColor", "GetWindowLongA", "IsChild", "IsDlgButtonChecked", "IsWindow", "LoadCursorA", "LoadStringA",
      "MessageBoxA", "PostMessageA", "SendMessageA", "SendMessageTimeoutA", "SetCursor", "SetDlgItemTextA",
      "SetWindowLongA", "SetWindowsHookExA", "UnhookWindowsHookEx", "GetDesktopWindow", "GetWindow",
      "GetWindowRect", "SetWindowPos"}},
    {"version.dll", {"GetFileVersionInfoA", "GetFileVersionInfoSizeA", "VerQueryValueA"}},
    {"winspool.drv", {"EnumPrintersA"}},
};

// Well-known functions that came after XP SP2, named in the failure. A name
// may begin or end with "*".
struct LaterFunction {
  const char* pattern;
  const char* since;
};
const LaterFunction kLaterFunctions[] = {
    {"GetTickCount64", "Windows Vista"},
    {"*SRWLock*", "Windows Vista (slim reader/writer locks)"},
    {"*ConditionVariable*", "Windows Vista (condition variables)"},
    {"InitOnce*", "Windows Vista (one-time initialisation)"},
    {"Fls*", "Windows Server 2003 (fiber local storage); XP has none"},
    {"CreateEventEx*", "Windows Vista"},
    {"CreateMutexEx*", "Windows Vista"},
    {"CreateSemaphoreEx*", "Windows Vista"},
    {"InitializeCriticalSectionEx", "Windows Vista"},
    {"GetFinalPathNameByHandle*", "Windows Vista"},
    {"QueryFullProcessImageName*", "Windows Vista"},
    {"GetLogicalProcessorInformation", "Windows XP SP3"},
    {"GetSystemTimePreciseAsFileTime", "Windows 8"},
};

// Loaded by name when they are used (they may be missing, or are the
// suite's own), never imported.
const char* const kLoadedWhenUsed[] = {"wtsapi32.dll", "setupapi.dll", "zamgik.dll"};
const char* const kLookedUpWhenUsed[] = {"InitiateSystemShutdownExA", "InitiateSystemShutdownExW"};
// DLLs of MinGW's runtime: the program links its runtime statically.
const char* const kRuntimeDlls[] = {"libgcc", "libstdc++", "libwinpthread"};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool Matches(const std::string& name, std::string pattern) {
  const bool anyStart = pattern.front() == '*', anyEnd = pattern.back() == '*';
  pattern = pattern.substr(anyStart, pattern.size() - anyStart - anyEnd);
  const size_t at = name.find(pattern);
  return at != std::string::npos && (anyStart || at == 0) && (anyEnd || at + pattern.size() == name.size());
}

// Why this import keeps the program from loading on XP SP2; empty if it does not.
std::string Problem(const std::string& dll, const std::string& function) {
  for (const LaterFunction& later : kLaterFunctions)
    if (Matches(function, later.pattern))
      return "exists only since " + std::string(later.since) + ": XP SP2 would refuse to start the program";
  if (dll == "msvcrt.dll" && Matches(function, "*_s"))
    return "is a secure CRT function: XP's msvcrt.dll has none, they came with Windows Vista";
  for (const char* name : kLookedUpWhenUsed)
    if (function == name)
      return "is looked up with GetProcAddress when it is used (older systems lack it), never imported";
  const auto listed = kXpSp2Functions.find(dll);
  if (listed != kXpSp2Functions.end() && !listed->second.count(function))
    return "is not in the list of functions checked against XP SP2: if XP SP2's " + dll +
           " exports it, add it to kXpSp2Functions";
  return "";
}

std::string Problem(const std::string& dll) {
  for (const char* prefix : kRuntimeDlls)
    if (dll.compare(0, std::strlen(prefix), prefix) == 0) return "is MinGW's runtime, which must be linked statically";
  for (const char* name : kLoadedWhenUsed)
    if (dll == name) return "must be loaded with LoadLibraryA when it is used, not imported";
  if (!kXpSp2Functions.count(dll)) return "is not one of the XP SP2 system DLLs the program may import";
  return "";
}

TEST(ProgramOnXpSp2, HeadersAskForNoLaterWindows) {
  const kvtest::PeImage& program = BuiltProgram();
  EXPECT_EQ(program.machine, kI386) << "a 32-bit x86 image";
  EXPECT_LE(program.osMajor << 8 | program.osMinor, kXp)
      << "operating system version " << program.osMajor << "." << program.osMinor << " is later than XP (5.1)";
  EXPECT_LE(program.subsystemMajor << 8 | program.subsystemMinor, kXp)
      << "subsystem version " << program.subsystemMajor << "." << program.subsystemMinor
      << " is later than XP (5.1): XP refuses to start it";
  EXPECT_EQ(program.subsystem, kWindowsGui) << "a Windows GUI program, not a console program";
}

TEST(ProgramOnXpSp2, ImportsOnlyWhatXpSp2Exports) {
  for (const kvtest::PeImport& import : BuiltProgram().imports) {
    const std::string dll = Lower(import.dll);
    std::cout << import.dll << ": " << import.functions.size() << " functions\n";
    const std::string dllProblem = Problem(dll);
    if (!dllProblem.empty()) {
      ADD_FAILURE() << import.dll << " " << dllProblem;
      continue;
    }
    for (const std::string& function : import.functions) {
      const std::string problem = Problem(dll, function);
      if (!problem.empty()) ADD_FAILURE() << import.dll << "!" << function << " " << problem;
    }
  }
}

}  // namespace
