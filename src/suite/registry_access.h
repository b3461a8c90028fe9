// Reading the registry: one value, one string, whether an entry exists, and
// the names of a key's subkeys.
//
// The root key is passed by the caller (the tool always passes
// HKEY_LOCAL_MACHINE). Every operation opens the key it reads and closes it
// before returning; none passes a platform error code on.
#ifndef KV_SUITE_REGISTRY_ACCESS_H
#define KV_SUITE_REGISTRY_ACCESS_H

#include <string>
#include <vector>

#include "win32api.h"

// Reads one value with RegQueryValueExA, passing the caller's pointers
// through as they are (absent ones as null, which only tests that the value
// exists). The key is opened with KEY_READ. 0 success, -1 the key cannot be
// opened or the value cannot be read (also when it does not fit the buffer).
int QueryRegistryValue(HKEY root, const std::string& keyPath, const std::string& valueName, DWORD* type,
                       BYTE* data, DWORD* size);

// Reads a REG_SZ value of at most 260 bytes. 0 success (`text` set to the
// value up to its first NUL), -1 key or value unreadable or longer than 260
// bytes, -2 the value is not REG_SZ (REG_EXPAND_SZ included). `text` is
// changed only on success.
int ReadRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName, std::string& text);

// 1 when the entry exists, else 0. An empty value name asks whether the key
// itself exists.
int RegistryEntryExists(HKEY root, const std::string& keyPath, const std::string& valueName);

// Appends the names of the key's subkeys to `names`, in the registry's
// enumeration order. The key is opened with KEY_ALL_ACCESS, so without
// administrator rights this fails. The number of names appended, or -1 when
// the key cannot be opened.
int EnumerateSubkeys(HKEY root, const std::string& keyPath, std::vector<std::string>& names);

#endif  // KV_SUITE_REGISTRY_ACCESS_H
