// winsim: the control API of local printers and of the suite's status
// manager library ("zamgik.dll") for tests.
//
// EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, ...) lists the local printers in
// the order they were added, as PRINTER_INFO_2A records followed by their
// strings; a call whose buffer is too small fails with
// ERROR_INSUFFICIENT_BUFFER and reports the size needed.
//
// "zamgik.dll" exports OpenManagerExA, UpdatePrinterStatusA and CloseManager
// (each can be made absent with SetExportPresent). Each call is logged with
// the printer's name in place of the manager handle:
//   OpenManagerExA("Printer A", 0, 1)
//   UpdatePrinterStatusA("Printer A", "ServerConnection", 0, 4)
//   CloseManager("Printer A")
// InjectFault("OpenManagerExA", result, "Printer A") makes the open of that
// printer return `result` instead of 0. Open manager handles are counted in
// OpenResources().
#ifndef WINSIM_PRINTER_CONTROL_H
#define WINSIM_PRINTER_CONTROL_H

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

void AddPrinter(const std::string& name, const std::string& driver);

// A status variable written through the status manager.
struct StatusUpdate {
  std::string printer;
  std::string variable;
  int32_t value = 0;
  DWORD size = 0;
};
std::vector<StatusUpdate> StatusUpdates();

}  // namespace winsim

#endif  // WINSIM_PRINTER_CONTROL_H
