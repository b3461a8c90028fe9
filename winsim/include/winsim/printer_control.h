// winsim: the control API of local printers and of the suite's status
// manager library ("zamgik.dll") for tests.
//
// EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, ...) lists the local printers in
// the order they were added, as PRINTER_INFO_2A records (the host's own
// structures) followed by their strings: printer name, port "LPT1:", driver
// name, print processor "WinPrint" and data type "RAW"; the other strings
// are null. A call whose buffer is too small (or null) fails with
// ERROR_INSUFFICIENT_BUFFER and reports the size needed. Without any printer
// the call succeeds with 0 needed and 0 returned, whatever the buffer, as
// Wine answers. Level 3 or above 5 is ERROR_INVALID_LEVEL; levels 1, 4 and 5
// are not modelled (ERROR_CALL_NOT_IMPLEMENTED). A stopped spooler is
// InjectFault("EnumPrintersA", RPC_S_SERVER_UNAVAILABLE (1722)).
//
// "zamgik.dll" exports OpenManagerExA, UpdatePrinterStatusA and CloseManager
// (each can be made absent with SetExportPresent, the whole library with
// SetModulePresent). OpenManagerExA opens the manager of a local printer
// (the name compared exactly) and gives a 32-bit handle; a printer that is
// not a local one gives ERROR_INVALID_PRINTER_NAME (1801). A handle that is
// not open gives ERROR_INVALID_HANDLE from the other two. Each call is logged
// with the printer's name in place of the manager handle (the handle's value
// when it names no open manager):
//   OpenManagerExA("Printer A", 0, 1)
//   UpdatePrinterStatusA("Printer A", "ServerConnection", 0, 4)
//   CloseManager("Printer A")
// InjectFault("OpenManagerExA", result, "Printer A") makes the open of that
// printer return `result` instead of 0 (InjectFault on the other two makes
// them return `result` and do nothing). Open manager handles are counted in
// OpenResources().
#ifndef WINSIM_PRINTER_CONTROL_H
#define WINSIM_PRINTER_CONTROL_H

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

void AddPrinter(const std::string& name, const std::string& driver);

// A status variable written through an open status manager; `value` holds
// the first (up to) four bytes of the data, little-endian.
struct StatusUpdate {
  std::string printer;
  std::string variable;
  int32_t value = 0;
  DWORD size = 0;
};
std::vector<StatusUpdate> StatusUpdates();

}  // namespace winsim

#endif  // WINSIM_PRINTER_CONTROL_H
