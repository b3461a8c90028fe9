// winsim: the reset of every area of the machine, in dependency order.
#include "machine.h"

namespace winsim {
namespace detail {

void ResetExpansion();  // expand.cpp: setupapi.dll and LZ32 handles
void ResetFirewall();   // firewall_policy.cpp: COM, BSTRs and the firewall policy

void ResetAreas() {
  ResetFileSystem();
  ResetRegistry();
  ResetModules();
  ResetExpansion();
  ResetFirewall();
}

}  // namespace detail
}  // namespace winsim
