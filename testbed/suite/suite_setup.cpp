// suitesetup.exe: installs the suite into a Wine prefix the way its own
// installer leaves a machine, after the suite's files were copied to the
// system directory:
//
//   suitesetup.exe [--service auto|demand|none] [--spooler auto|demand] [--no-printers]
//
// - the uninstall entry "Kestrovane 1.2" with its UninstallString;
// - the printer models under SOFTWARE\ZAM\Kestrovane\Printers: LP-1 with
//   "Status Variables", LP-2 without;
// - the printer drivers "ZAM LP-1" and "ZAM LP-2" and three local printers
//   using them (one with a Japanese name), unless --no-printers;
// - the service "ZAMWTQNT" (image ZAMWTQNT.EXE in the system directory),
//   auto start or demand start (default), or none; an existing one gets the
//   start type;
// - the print spooler's start type, when --spooler is given.
//
// Prints one line per step; exits with 1 when a step failed, 2 on a wrong
// argument.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrovane 1.2";
const wchar_t kUninstallString[] = L"C:\\Program Files\\ZAM\\Kestrovane\\ZAMUNINS.EXE";
const wchar_t kPrintersKey[] = L"SOFTWARE\\ZAM\\Kestrovane\\Printers\\";

struct Model {
  const wchar_t* name;
  bool statusVariables;
};
const Model kModels[] = {{L"LP-1", true}, {L"LP-2", false}};

struct Printer {
  const wchar_t* name;
  const wchar_t* driver;
};
const Printer kPrinters[] = {
    {L"Kestrovane LP-1", L"ZAM LP-1"},
    {L"経理 LP-1", L"ZAM LP-1"},
    {L"Kestrovane LP-2", L"ZAM LP-2"},
};

bool g_failed = false;

// Prints "WHAT: ok" or "WHAT: failed (error N)", in the ANSI code page.
void Step(const std::wstring& what, DWORD error) {
  char text[512];
  const int length = WideCharToMultiByte(CP_ACP, 0, what.c_str(), -1, text, sizeof text, nullptr, nullptr);
  std::printf("%s: %s", length > 0 ? text : "?", error == ERROR_SUCCESS ? "ok\n" : "failed");
  if (error != ERROR_SUCCESS) {
    std::printf(" (error %lu)\n", error);
    g_failed = true;
  }
}

DWORD LastErrorUnless(BOOL done) { return done ? ERROR_SUCCESS : GetLastError(); }

DWORD SetString(HKEY key, const wchar_t* name, const wchar_t* text) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

// Creates the key (and its parents), and sets the string values given.
DWORD MakeKey(const std::wstring& path, const wchar_t* const (*values)[2] = nullptr, size_t count = 0) {
  HKEY key = nullptr;
  DWORD error = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  for (size_t i = 0; error == ERROR_SUCCESS && i < count; ++i) error = SetString(key, values[i][0], values[i][1]);
  if (key) RegCloseKey(key);
  return error;
}

void InstallRegistry() {
  const wchar_t* const uninstall[][2] = {
      {L"DisplayName", L"Kestrovane 1.2"},
      {L"DisplayVersion", L"1.2"},
      {L"Publisher", L"ZAM"},
      {L"UninstallString", kUninstallString},
  };
  Step(L"uninstall entry", MakeKey(kUninstallKey, uninstall, sizeof uninstall / sizeof uninstall[0]));
  for (const Model& model : kModels) {
    std::wstring path = kPrintersKey + std::wstring(model.name);
    if (model.statusVariables) path += L"\\Status Variables";
    Step(L"printer model " + std::wstring(model.name), MakeKey(path));
  }
}

void InstallPrinters() {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  // Wine's PostScript driver stands in for the suite's driver files.
  std::wstring driverFile = std::wstring(system) + L"\\wineps.drv";
  for (const Model& model : kModels) {
    std::wstring driverName = L"ZAM " + std::wstring(model.name);
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = &driverName[0];
    driver.pDriverPath = &driverFile[0];
    driver.pDataFile = &driverFile[0];
    driver.pConfigFile = &driverFile[0];
    Step(L"printer driver " + driverName,
         LastErrorUnless(AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES)));
  }
  for (const Printer& printer : kPrinters) {
    PRINTER_INFO_2W info = {};
    wchar_t port[] = L"FILE:", processor[] = L"WinPrint", datatype[] = L"RAW";
    info.pPrinterName = const_cast<wchar_t*>(printer.name);
    info.pPortName = port;
    info.pDriverName = const_cast<wchar_t*>(printer.driver);
    info.pPrintProcessor = processor;
    info.pDatatype = datatype;
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    const HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    const DWORD error = added ? ERROR_SUCCESS : GetLastError();
    if (added) ClosePrinter(added);
    Step(L"printer " + std::wstring(printer.name), error == ERROR_PRINTER_ALREADY_EXISTS ? ERROR_SUCCESS : error);
  }
}

// Creates the service or gives an existing one the start type.
DWORD ConfigureService(SC_HANDLE manager, const wchar_t* name, const wchar_t* displayName, const std::wstring& image,
                       DWORD startType) {
  SC_HANDLE service = image.empty() ? nullptr
                                    : CreateServiceW(manager, name, displayName, SERVICE_ALL_ACCESS,
                                                     SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_NORMAL,
                                                     image.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  if (!service && (image.empty() || GetLastError() == ERROR_SERVICE_EXISTS)) {
    service = OpenServiceW(manager, name, SERVICE_CHANGE_CONFIG);
    if (service && !ChangeServiceConfigW(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, nullptr, nullptr)) {
      const DWORD error = GetLastError();
      CloseServiceHandle(service);
      return error;
    }
  }
  if (!service) return GetLastError();
  CloseServiceHandle(service);
  return ERROR_SUCCESS;
}

bool StartType(const char* text, DWORD& type) {
  if (std::strcmp(text, "auto") == 0) type = SERVICE_AUTO_START;
  else if (std::strcmp(text, "demand") == 0) type = SERVICE_DEMAND_START;
  else return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  DWORD serverStart = SERVICE_DEMAND_START, spoolerStart = 0;
  bool server = true, printers = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--service" && i + 1 < argc && std::strcmp(argv[i + 1], "none") == 0) {
      server = false;
      ++i;
    } else if (arg == "--service" && i + 1 < argc && StartType(argv[i + 1], serverStart)) {
      ++i;
    } else if (arg == "--spooler" && i + 1 < argc && StartType(argv[i + 1], spoolerStart)) {
      ++i;
    } else if (arg == "--no-printers") {
      printers = false;
    } else {
      std::fprintf(stderr, "usage: suitesetup [--service auto|demand|none] [--spooler auto|demand] [--no-printers]\n");
      return 2;
    }
  }

  InstallRegistry();
  if (printers) InstallPrinters();
  if (server || spoolerStart) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    Step(L"service control manager", LastErrorUnless(manager != nullptr));
    if (manager && server) {
      wchar_t system[MAX_PATH];
      GetSystemDirectoryW(system, MAX_PATH);
      Step(L"service ZAMWTQNT", ConfigureService(manager, L"ZAMWTQNT", L"ZAM Network Printer Status Server",
                                                 std::wstring(system) + L"\\ZAMWTQNT.EXE", serverStart));
    }
    if (manager && spoolerStart) Step(L"service Spooler", ConfigureService(manager, L"Spooler", nullptr, L"", spoolerStart));
    if (manager) CloseServiceHandle(manager);
  }
  return g_failed ? 1 : 0;
}
