// A function looked up in a loaded module, as the type the caller expects.
#ifndef KV_TESTS_BIND_EXPORT_H
#define KV_TESTS_BIND_EXPORT_H

#include "win32api.h"

// Null when the module lacks the entry point.
template <typename Fn>
Fn BindExport(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

#endif  // KV_TESTS_BIND_EXPORT_H
