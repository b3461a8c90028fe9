// winsim: the reset of every area of the machine, in dependency order.
#include "machine.h"

namespace winsim {
namespace detail {

void ResetExpansion();  // expand.cpp: setupapi.dll and LZ32 handles

void ResetAreas() {
  ResetFileSystem();
  ResetRegistry();
  ResetModules();
  ResetExpansion();
}

}  // namespace detail
}  // namespace winsim
