// winsim: Terminal Services sessions (Wtsapi32.dll).
#include "machine.h"

namespace winsim {
namespace detail {

void ResetSessions() {}

void ReportOpenSessions(std::vector<std::string>& out) { (void)out; }

}  // namespace detail
}  // namespace winsim
