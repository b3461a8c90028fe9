// The hand-off of the suite's printers' status before the status server
// stops: each local printer with a suite driver gets the status value
// "ServerConnection" = 0 through the suite's status manager library.
#include <cstring>
#include <vector>

#include "common/system_library.h"
#include "common/unique_handle.h"
#include "suite/registry_access.h"
#include "suite/suite_environment.h"
#include "update/path_utils.h"

namespace {

const char kPrintersKey[] = "SOFTWARE\\ZAM\\Kestrovane\\Printers";
const char kStatusVariablesKey[] = "Status Variables";
const char kDriverPrefix[] = "ZAM ";
const char kStatusManagerLibrary[] = "zamgik.dll";
const char kServerConnection[] = "ServerConnection";
const DWORD kHandOffPauseMs = 5000;

typedef DWORD(WINAPI* OpenManagerExProc)(LPCSTR printerName, DWORD reserved, DWORD mode, DWORD* manager);
typedef DWORD(WINAPI* UpdatePrinterStatusProc)(DWORD manager, LPCSTR variable, const void* value, DWORD size);
typedef DWORD(WINAPI* CloseManagerProc)(DWORD manager);

// "ZAM " and the name of each model that has status variables, in the
// registry's order.
std::vector<std::string> SuiteDriverNames() {
  std::vector<std::string> models, drivers;
  EnumerateSubkeys(HKEY_LOCAL_MACHINE, kPrintersKey, models);
  for (const std::string& model : models) {
    std::string path = kPrintersKey;
    AddBackslash(path);
    path += model;
    AddBackslash(path);
    path += kStatusVariablesKey;
    if (RegistryEntryExists(HKEY_LOCAL_MACHINE, path, "")) drivers.push_back(kDriverPrefix + model);
  }
  return drivers;
}

// The local printers as PRINTER_INFO_2A records in `buffer`; 0 records when
// they cannot be listed.
DWORD LocalPrinters(std::vector<BYTE>& buffer) {
  DWORD needed = 0, count = 0;
  if (EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count)) return count;
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return 0;
  buffer.assign(needed, 0);
  count = 0;
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return 0;
  return count;
}

}  // namespace

void SuiteEnvironment::HandOffPrinterStatus() {
  if (!FindWindowA(kStatusPanelWindowClass, kStatusPanelWindowTitle)) return;

  const std::vector<std::string> drivers = SuiteDriverNames();

  // The suite's own library, found where the suite installed it.
  kv::UniqueModule library(LoadLibraryA(kStatusManagerLibrary));
  if (!library) return;
  const auto openManager = kv::EntryPoint<OpenManagerExProc>(library.get(), "OpenManagerExA");
  const auto closeManager = kv::EntryPoint<CloseManagerProc>(library.get(), "CloseManager");
  const auto updateStatus = kv::EntryPoint<UpdatePrinterStatusProc>(library.get(), "UpdatePrinterStatusA");

  std::vector<BYTE> buffer;
  const DWORD count = LocalPrinters(buffer);
  const PRINTER_INFO_2A* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());

  // A library without one of its entry points is not called at all; the
  // pause is kept, so the rest of the stop goes as usual.
  if (openManager && closeManager && updateStatus) {
    for (const std::string& driver : drivers) {
      for (DWORD i = 0; i < count; ++i) {
        if (!printers[i].pDriverName || std::strcmp(printers[i].pDriverName, driver.c_str()) != 0) continue;
        DWORD manager = 0;
        if (openManager(printers[i].pPrinterName, 0, 1, &manager) != 0) continue;
        const int32_t disconnected = 0;
        updateStatus(manager, kServerConnection, &disconnected, sizeof disconnected);
        closeManager(manager);
      }
    }
  }

  buffer.clear();
  library.reset();
  Sleep(kHandOffPauseMs);
}
