// winsim: process, system information, code page, time and module calls.
#ifndef WINSIM_WIN_KERNEL_H
#define WINSIM_WIN_KERNEL_H

#include "win_types.h"

typedef struct _OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

DWORD GetLastError();
void SetLastError(DWORD error);

BOOL GetVersionExA(LPOSVERSIONINFOA info);
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);

void Sleep(DWORD milliseconds);
DWORD GetTickCount();
void GetSystemTimeAsFileTime(LPFILETIME time);
LONG CompareFileTime(const FILETIME* first, const FILETIME* second);

UINT GetACP();
BOOL IsDBCSLeadByte(BYTE testChar);
LPSTR CharNextA(LPCSTR current);
LPSTR CharPrevA(LPCSTR start, LPCSTR current);
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength,
                        LPWSTR wide, int wideLength);

HMODULE LoadLibraryA(LPCSTR fileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);

#endif  // WINSIM_WIN_KERNEL_H
