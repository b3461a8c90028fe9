// winsim: the file system calls.
#ifndef WINSIM_WIN_FILE_H
#define WINSIM_WIN_FILE_H

#include "win_types.h"

typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *PWIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

#define GENERIC_READ 0x80000000
#define GENERIC_WRITE 0x40000000
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)

typedef struct _OVERLAPPED* LPOVERLAPPED;

// Files opened for reading (closed with CloseHandle): GENERIC_READ,
// OPEN_EXISTING, sharing reading and/or writing. Other requests fail with
// ERROR_NOT_SUPPORTED. ReadFile reads synchronously from the handle's
// position (no OVERLAPPED).
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped);
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);
BOOL FindClose(HANDLE findFile);

DWORD GetFileAttributesA(LPCSTR fileName);
BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes);
BOOL DeleteFileA(LPCSTR fileName);
BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName);
BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);
BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);
DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size);

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR string, LPCSTR fileName);
DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultString,
                               LPSTR returnedString, DWORD size, LPCSTR fileName);

#endif  // WINSIM_WIN_FILE_H
