// bench_trivial.exe: the benchmark's measure of Wine's own cost of starting
// and ending a program like KV_UPDAT.EXE. It is a GUI program with the same
// manifest, linked the same way and importing the same system DLLs, so the
// loader maps what it maps for the tool; then it ends at once.
#include <windows.h>
#include <commctrl.h>
#include <lzexpand.h>
#include <ole2.h>
#include <winspool.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // One function of each DLL the tool imports (kernel32 and msvcrt come with
  // the runtime); taking their addresses imports them, none is called.
  static const void* const volatile imports[] = {
      reinterpret_cast<const void*>(&RegCloseKey),     reinterpret_cast<const void*>(&InitCommonControls),
      reinterpret_cast<const void*>(&GetStockObject),  reinterpret_cast<const void*>(&LZClose),
      reinterpret_cast<const void*>(&CoUninitialize),  reinterpret_cast<const void*>(&SysFreeString),
      reinterpret_cast<const void*>(&IsWindow),        reinterpret_cast<const void*>(&GetFileVersionInfoSizeA),
      reinterpret_cast<const void*>(&ClosePrinter),
  };
  return imports[0] ? 0 : 1;
}
