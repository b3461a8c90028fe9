// winsim: the service control manager.
#include "machine.h"

namespace winsim {
namespace detail {

void ResetServices() {}

void ReportOpenServices(std::vector<std::string>& out) { (void)out; }

}  // namespace detail
}  // namespace winsim
