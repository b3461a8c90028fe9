#include "app/library_search.h"

#include "common/system_library.h"
#include "win32api.h"

void RemoveCurrentDirectoryFromLibrarySearch() {
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);
  // Loaded with every program: nothing to load or release.
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  const auto setDllDirectory = kv::EntryPoint<SetDllDirectoryFunction>(kernel, "SetDllDirectoryA");
  if (setDllDirectory) setDllDirectory("");
}
