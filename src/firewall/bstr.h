// Ownership of one BSTR: freed exactly once with SysFreeString. A null BSTR
// is a valid empty value and owns nothing.
#ifndef KV_FIREWALL_BSTR_H
#define KV_FIREWALL_BSTR_H

#include "common/unique_handle.h"
#include "win32api.h"

namespace kv {

struct BstrTraits {
  using Type = BSTR;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type text) { return text != nullptr; }
  static void Close(Type text) { SysFreeString(text); }
};
using Bstr = UniqueHandle<BstrTraits>;

}  // namespace kv

#endif  // KV_FIREWALL_BSTR_H
