// The tool's only gateway to the operating system.
//
// The tool calls Win32 by its real names (the ANSI "...A" functions) and uses
// the SDK's types and constants. On Windows this header brings in the real SDK
// headers for Windows XP; on any other host it brings in the simulated
// Windows ("winsim"), which declares the same names with the same values for
// exactly the subset that the tool uses. No other file of the tool includes a
// system header of Windows.
#ifndef KV_WIN32API_H
#define KV_WIN32API_H

#ifdef _WIN32
#  ifndef _WIN32_WINNT
#    define _WIN32_WINNT 0x0501
#  endif
#  ifndef WINVER
#    define WINVER 0x0501
#  endif
#  include <windows.h>
#  include <winver.h>
#  include <lzexpand.h>
#  include <objbase.h>
#  include <oleauto.h>
#  include <netfw.h>
#  include <winspool.h>
#  include <wtsapi32.h>
#  include <commctrl.h>
#else
#  include <winsim/windows.h>
#endif

#endif  // KV_WIN32API_H
