// winsim: local printers (the spooler's EnumPrintersA) and the suite's status
// manager library "zamgik.dll", whose three functions are exported from the
// simulated module and declared in no header.
#include <cstring>

#include "exports.h"
#include "winsim/printer_control.h"

namespace winsim {
namespace detail {

namespace {

const char kStatusManager[] = "zamgik.dll";
const DWORD kErrorInvalidLevel = 124;
const DWORD kErrorInvalidPrinterName = 1801;
const DWORD kRpcNullRefPointer = 1780;  // RPC_X_NULL_REF_POINTER

struct Printer {
  std::string name;
  std::string driver;
};

struct PrinterState {
  std::vector<Printer> printers;  // in the order they were added
  std::map<DWORD, std::string> managers;  // open manager handles and their printers
  DWORD nextManager = 0x5A470000;
  std::vector<StatusUpdate> updates;
};

PrinterState& P() {
  static PrinterState state;
  return state;
}

// The fixed strings of a local printer as XP's spooler describes one.
const char kPort[] = "LPT1:";
const char kPrintProcessor[] = "WinPrint";
const char kDatatype[] = "RAW";

// Appends `text` at `*cursor` and returns where it went.
LPSTR Put(char** cursor, const std::string& text) {
  LPSTR at = *cursor;
  std::memcpy(at, text.c_str(), text.size() + 1);
  *cursor += text.size() + 1;
  return at;
}

size_t StringsSize(const Printer& printer) {
  return printer.name.size() + printer.driver.size() + sizeof kPort + sizeof kPrintProcessor + sizeof kDatatype + 2;
}

// Level 2 records for the printers, then their strings; the buffer holds
// at least `needed` bytes.
void WriteLevel2(const std::vector<Printer>& printers, LPBYTE buffer) {
  auto* records = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
  char* text = reinterpret_cast<char*>(buffer + printers.size() * sizeof(PRINTER_INFO_2A));
  for (size_t i = 0; i < printers.size(); ++i) {
    PRINTER_INFO_2A record{};
    record.pPrinterName = Put(&text, printers[i].name);
    record.pPortName = Put(&text, kPort);
    record.pDriverName = Put(&text, printers[i].driver);
    record.pPrintProcessor = Put(&text, kPrintProcessor);
    record.pDatatype = Put(&text, kDatatype);
    record.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    record.Priority = 1;
    records[i] = record;
  }
}

std::string ManagerName(DWORD handle) {
  auto it = P().managers.find(handle);
  return it == P().managers.end() ? Hex(handle) : Arg(it->second.c_str());
}

// ---- zamgik.dll ---------------------------------------------------------------
// The library opens the status manager of a local printer by its name; the
// two constant arguments are only logged.

DWORD WINAPI OpenManagerEx(LPCSTR printer, DWORD first, DWORD second, DWORD* handle) {
  ApiCall call("OpenManagerExA", {Arg(printer), Dec(first), Dec(second)});
  if (auto fault = call.Fault()) return static_cast<DWORD>(*fault);
  if (!printer || !handle) return ERROR_INVALID_PARAMETER;
  bool known = false;
  for (const Printer& local : P().printers) known = known || local.name == printer;
  if (!known) return kErrorInvalidPrinterName;
  *handle = ++P().nextManager;
  P().managers[*handle] = printer;
  return 0;
}

// These two name the handle's printer for the log before ApiCall takes the
// lock, so they take it first.
DWORD WINAPI UpdatePrinterStatus(DWORD handle, LPCSTR variable, const void* value, DWORD size) {
  auto lock = Lock();
  // The value as a little-endian integer of up to four bytes.
  int32_t number = 0;
  if (value) std::memcpy(&number, value, size < sizeof number ? size : sizeof number);
  ApiCall call("UpdatePrinterStatusA",
               {ManagerName(handle), Arg(variable), value ? Dec(number) : std::string("NULL"), Dec(size)});
  if (auto fault = call.Fault()) return static_cast<DWORD>(*fault);
  auto it = P().managers.find(handle);
  if (it == P().managers.end()) return ERROR_INVALID_HANDLE;
  if (!variable || !value) return ERROR_INVALID_PARAMETER;
  P().updates.push_back(StatusUpdate{it->second, variable, number, size});
  return 0;
}

DWORD WINAPI CloseManager(DWORD handle) {
  auto lock = Lock();
  ApiCall call("CloseManager", {ManagerName(handle)});
  if (auto fault = call.Fault()) return static_cast<DWORD>(*fault);
  return P().managers.erase(handle) ? 0 : ERROR_INVALID_HANDLE;
}

}  // namespace

void ResetPrinters() {
  P() = PrinterState{};
  ExportFunction(kStatusManager, "OpenManagerExA", &OpenManagerEx);
  ExportFunction(kStatusManager, "UpdatePrinterStatusA", &UpdatePrinterStatus);
  ExportFunction(kStatusManager, "CloseManager", &CloseManager);
}

void ReportOpenManagers(std::vector<std::string>& out) {
  for (const auto& manager : P().managers)
    out.push_back("status manager handle " + Hex(manager.first) + " for \"" + manager.second + "\"");
}

}  // namespace detail

void AddPrinter(const std::string& name, const std::string& driver) {
  auto lock = detail::Lock();
  detail::P().printers.push_back(detail::Printer{name, driver});
}

std::vector<StatusUpdate> StatusUpdates() {
  auto lock = detail::Lock();
  return detail::P().updates;
}

}  // namespace winsim

using namespace winsim::detail;

BOOL EnumPrintersA(DWORD flags, LPSTR name, DWORD level, LPBYTE printerEnum, DWORD bufferSize, LPDWORD needed,
                   LPDWORD returned) {
  ApiCall call("EnumPrintersA", {Hex(flags), Arg(name), Dec(level), Dec(bufferSize)});
  if (needed) *needed = 0;
  if (returned) *returned = 0;
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  if (level == 1 || level == 4 || level == 5) {  // valid levels that are not modelled
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  if (level != 2) {
    SetLastError(kErrorInvalidLevel);
    return FALSE;
  }
  if (!needed || !returned) {
    SetLastError(kRpcNullRefPointer);
    return FALSE;
  }
  // Only this computer's printers exist; connections to shared printers of
  // other computers are not modelled.
  const bool local = (flags & PRINTER_ENUM_LOCAL) || ((flags & PRINTER_ENUM_NAME) && !name);
  const std::vector<Printer> none;
  const std::vector<Printer>& printers = local ? P().printers : none;
  size_t size = printers.size() * sizeof(PRINTER_INFO_2A);
  for (const Printer& printer : printers) size += StringsSize(printer);
  *needed = static_cast<DWORD>(size);
  // No printers at all: success with nothing needed, whatever the buffer.
  if (size > bufferSize || (size > 0 && !printerEnum)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (size > 0) WriteLevel2(printers, printerEnum);
  *returned = static_cast<DWORD>(printers.size());
  return TRUE;
}
