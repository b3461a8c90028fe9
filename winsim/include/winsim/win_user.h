// winsim: windows and window messages.
#ifndef WINSIM_WIN_USER_H
#define WINSIM_WIN_USER_H

#include "win_types.h"

typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;

#define WM_NULL 0x0000
#define WM_CLOSE 0x0010
#define WM_SETCURSOR 0x0020
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_VSCROLL 0x0115
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_NCLBUTTONDOWN 0x00A1
#define WM_USER 0x0400

// Message box styles and answers
#define MB_OK 0x00000000L
#define MB_YESNO 0x00000004L
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_DEFBUTTON2 0x00000100L
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

// SendMessageTimeoutA flags
#define SMTO_NORMAL 0x0000
#define SMTO_BLOCK 0x0001
#define SMTO_ABORTIFHUNG 0x0002
#define SMTO_NOTIMEOUTIFNOTHUNG 0x0008

#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_TIMEOUT 1460L

HWND FindWindowA(LPCSTR className, LPCSTR windowName);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// Strings of the program's own string table, in the ANSI code page.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);
HMODULE GetModuleHandleA(LPCSTR moduleName);
BOOL IsWindow(HWND window);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                            PDWORD_PTR result);

#endif  // WINSIM_WIN_USER_H
