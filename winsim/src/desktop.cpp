// winsim: top-level windows and processes.
#include "machine.h"

namespace winsim {
namespace detail {

void ResetDesktop() {}

}  // namespace detail
}  // namespace winsim
