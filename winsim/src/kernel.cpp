// winsim: operating-system profile, process paths, last error, clock and
// the ANSI code page.
#include <cstring>

#include "codepage.h"
#include "machine.h"
#include "scheduler.h"

namespace winsim {
namespace detail {

namespace {
thread_local DWORD lastError = 0;

UINT CopyOut(const std::string& text, LPSTR buffer, UINT size) {
  if (text.size() + 1 > size) return static_cast<UINT>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<UINT>(text.size());
}

}  // namespace

void SetLastErrorInternal(DWORD error) { lastError = error; }

bool IsLeadByte(unsigned char c) { return IsLeadByteIn(M().acp, c); }

std::string UpperAnsi(const std::string& text) {
  std::string result = text;
  for (size_t i = 0; i < result.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(result[i]);
    if (IsLeadByte(c) && i + 1 < result.size()) {
      ++i;
      continue;
    }
    if (c >= 'a' && c <= 'z') result[i] = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

bool ContainsNoCase(const std::string& haystack, const std::string& needle) {
  return UpperAnsi(haystack).find(UpperAnsi(needle)) != std::string::npos;
}

}  // namespace detail

using namespace detail;

// ---- Control API -----------------------------------------------------------

void SetOs(Os os) {
  struct Profile { DWORD platform, major, minor, build; const char* csd; };
  static const Profile profiles[] = {
      {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, ""},             // Win95
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A "},        // Win98 SE
      {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, " "},          // Me
      {VER_PLATFORM_WIN32_NT, 3, 51, 1057, "Service Pack 5"},  // NT 3.51
      {VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6"},   // NT 4.0
      {VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4"},   // 2000
      {VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 2"},   // XP SP2
      {VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 1"},   // Server 2003
      {VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2"},   // Vista
  };
  const Profile& p = profiles[static_cast<int>(os)];
  SetOsVersion(p.platform, p.major, p.minor, p.build);
  auto lock = Lock();
  std::strncpy(M().version.szCSDVersion, p.csd, sizeof M().version.szCSDVersion - 1);
}

void SetOsVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build) {
  auto lock = Lock();
  OSVERSIONINFOA& v = M().version;
  v = OSVERSIONINFOA{};
  v.dwOSVersionInfoSize = sizeof v;
  v.dwPlatformId = platformId;
  v.dwMajorVersion = major;
  v.dwMinorVersion = minor;
  v.dwBuildNumber = platformId == VER_PLATFORM_WIN32_WINDOWS ? (major << 24 | minor << 16 | build) : build;
}

void SetCodePage(UINT acp) {
  auto lock = Lock();
  M().acp = acp;
}

void SetWindowsDirectory(const std::string& path) {
  auto lock = Lock();
  M().windowsDir = NormalizePath(path);
  AddDirectory(M().windowsDir + "\\system32");
}

void SetModuleFileName(const std::string& path) {
  auto lock = Lock();
  M().moduleFileName = path;
}

void SetCurrentDirectory(const std::string& path) {
  auto lock = Lock();
  M().currentDir = NormalizePath(path);
}

std::string WindowsDirectory() {
  auto lock = Lock();
  return M().windowsDir;
}

std::string SystemDirectory() {
  auto lock = Lock();
  return M().windowsDir + "\\system32";
}

}  // namespace winsim

// ---- Simulated calls -------------------------------------------------------
using namespace winsim::detail;

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD error) { lastError = error; }

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  ApiCall call("GetVersionExA", {info ? Dec(info->dwOSVersionInfoSize) : "NULL"});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  // The plain structure (148 bytes) and the EX structure (156 bytes) are
  // accepted; any other size is refused as Windows refuses it.
  if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) && info->dwOSVersionInfoSize != 156)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const DWORD size = info->dwOSVersionInfoSize;
  *info = M().version;
  info->dwOSVersionInfoSize = size;
  return TRUE;
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  ApiCall call("GetWindowsDirectoryA", {Dec(size)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return 0;
  }
  return CopyOut(M().windowsDir, buffer, size);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  ApiCall call("GetSystemDirectoryA", {Dec(size)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return 0;
  }
  return CopyOut(M().windowsDir + "\\system32", buffer, size);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  ApiCall call("GetModuleFileNameA", {module ? Hex(reinterpret_cast<uintptr_t>(module)) : "NULL", Dec(size)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return 0;
  }
  const std::string& name = M().moduleFileName;
  if (size == 0) return 0;
  if (name.size() + 1 > size) {
    // Windows XP: truncated to `size` characters, not terminated.
    std::memcpy(buffer, name.data(), size);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return static_cast<DWORD>(name.size());
}

// A timed wait on the clock; Sleep(INFINITE) never ends.
void Sleep(DWORD milliseconds) {
  ApiCall call("Sleep", {Dec(milliseconds)});
  WaitFor(nullptr, milliseconds == INFINITE ? kNoWake : M().nowMs + milliseconds, "Sleep(INFINITE)");
}

DWORD GetTickCount() {
  auto lock = winsim::detail::Lock();
  return static_cast<DWORD>(M().nowMs);
}

void GetSystemTimeAsFileTime(LPFILETIME time) {
  auto lock = winsim::detail::Lock();
  *time = Now();
}

LONG CompareFileTime(const FILETIME* first, const FILETIME* second) {
  const uint64_t a = (uint64_t(first->dwHighDateTime) << 32) | first->dwLowDateTime;
  const uint64_t b = (uint64_t(second->dwHighDateTime) << 32) | second->dwLowDateTime;
  return a < b ? -1 : (a > b ? 1 : 0);
}

UINT GetACP() {
  auto lock = winsim::detail::Lock();
  return M().acp;
}

BOOL IsDBCSLeadByte(BYTE testChar) {
  auto lock = winsim::detail::Lock();
  return IsLeadByte(testChar) ? TRUE : FALSE;
}

LPSTR CharNextA(LPCSTR current) {
  auto lock = winsim::detail::Lock();
  if (*current == '\0') return const_cast<LPSTR>(current);
  if (IsLeadByte(static_cast<unsigned char>(*current)) && current[1] != '\0') return const_cast<LPSTR>(current + 2);
  return const_cast<LPSTR>(current + 1);
}

LPSTR CharPrevA(LPCSTR start, LPCSTR current) {
  auto lock = winsim::detail::Lock();
  // Walk forward from the start, as Windows does, so that trail bytes are
  // never mistaken for characters.
  LPCSTR previous = start;
  for (LPCSTR p = start; p < current && *p;) {
    previous = p;
    p += (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') ? 2 : 1;
  }
  return const_cast<LPSTR>(previous);
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                        int wideLength) {
  ApiCall call("MultiByteToWideChar", {Dec(codePage), Hex(flags), Arg(multiByte), Dec(multiByteLength), Dec(wideLength)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return 0;
  }
  if (!multiByte || multiByteLength == 0 || wideLength < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const UINT cp = (codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == CP_OEMCP) ? M().acp : codePage;
  const size_t length = multiByteLength < 0 ? std::strlen(multiByte) + 1 : static_cast<size_t>(multiByteLength);
  // Windows gives a character without a mapping as the code page's default
  // Unicode character (U+30FB in code page 932).
  std::u16string result;
  bool unmapped = false;
  if (!AnsiToWide(cp, multiByte, length, cp == 932 ? u'\x30FB' : u'?', &result, &unmapped)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (unmapped && (flags & MB_ERR_INVALID_CHARS)) {
    SetLastError(1113);  // ERROR_NO_UNICODE_TRANSLATION
    return 0;
  }
  if (wideLength == 0) return static_cast<int>(result.size());
  if (result.size() > static_cast<size_t>(wideLength)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(wide, result.data(), result.size() * sizeof(char16_t));
  return static_cast<int>(result.size());
}
