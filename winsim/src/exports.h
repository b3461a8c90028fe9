// winsim internals: registering a function of any type as an export of a
// simulated module.
#ifndef WINSIM_EXPORTS_H
#define WINSIM_EXPORTS_H

#include <string>

#include "machine.h"

namespace winsim {
namespace detail {

// `exists`: see RegisterExport.
template <typename Function>
void ExportFunction(const std::string& module, const std::string& name, Function* function,
                    bool (*exists)() = nullptr) {
  // Through void(*)(), the one function type every other converts to
  // without a warning.
  RegisterExport(module, name, reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function)), exists);
}

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_EXPORTS_H
