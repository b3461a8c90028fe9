// Libraries loaded at the moment of use: a system library by its full path,
// and entry points looked up by name.
#ifndef KV_COMMON_SYSTEM_LIBRARY_H
#define KV_COMMON_SYSTEM_LIBRARY_H

#include "win32api.h"

namespace kv {

// Loads `fileName` ("setupapi.dll") by its full path in the system
// directory, never by a bare name: a bare name is searched in the tool's own
// directory first, which would run whatever DLL had been put beside it.
// Null when the system directory cannot be read or the library cannot be
// loaded. Release it with FreeLibrary (or hold it in a UniqueModule).
HMODULE LoadSystemLibrary(const char* fileName);

// An entry point of a loaded library as a function pointer of the caller's
// type; null when the library does not export it.
template <typename Function>
Function EntryPoint(HMODULE library, const char* name) {
  // Through the generic function type, which converts to any other.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace kv

#endif  // KV_COMMON_SYSTEM_LIBRARY_H
