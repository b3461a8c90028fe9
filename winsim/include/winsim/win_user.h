// winsim: windows and window messages.
#ifndef WINSIM_WIN_USER_H
#define WINSIM_WIN_USER_H

#include "win_types.h"

typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

#define WM_NULL 0x0000
#define WM_CLOSE 0x0010
#define WM_USER 0x0400

// SendMessageTimeoutA flags
#define SMTO_NORMAL 0x0000
#define SMTO_BLOCK 0x0001
#define SMTO_ABORTIFHUNG 0x0002
#define SMTO_NOTIMEOUTIFNOTHUNG 0x0008

#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_TIMEOUT 1460L

HWND FindWindowA(LPCSTR className, LPCSTR windowName);
BOOL IsWindow(HWND window);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                            PDWORD_PTR result);

#endif  // WINSIM_WIN_USER_H
