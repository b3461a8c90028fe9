// winsim: process, system information, code page, time and module calls.
#ifndef WINSIM_WIN_KERNEL_H
#define WINSIM_WIN_KERNEL_H

#include <cstdarg>

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

// Messages of the program's own message table (SetMessageTable). Only the
// program's module (source NULL with FORMAT_MESSAGE_FROM_HMODULE) holds one.
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define ERROR_MR_MID_NOT_FOUND 317L
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     va_list* arguments);

#endif  // WINSIM_WIN_KERNEL_H
