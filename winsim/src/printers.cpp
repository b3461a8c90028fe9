// winsim: local printers and the suite's status manager (zamgik.dll).
#include "machine.h"

namespace winsim {
namespace detail {

void ResetPrinters() {}

void ReportOpenManagers(std::vector<std::string>& out) { (void)out; }

}  // namespace detail
}  // namespace winsim
