#include "suite/suite_environment.h"

#include <vector>

#include "common/mbstring.h"
#include "suite/registry_access.h"
#include "update/file_ops.h"
#include "update/path_utils.h"

const char kStatusPanelWindowClass[] = "BAZWndClass";
const char kStatusPanelWindowTitle[] = "Kestrovane";
const char kStatusPanelFile[] = "ZAMBAZ.EXE";

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kUninstallCommand[] = "UninstallString";
const char kSuitePrefix[] = "Kestrovane";
const size_t kSuitePrefixLength = sizeof kSuitePrefix - 1;
const char kPreferredEntry[] = "Kestrovane 1.2";
const char* const kRunServicesKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices",
    "SOFTWARE\\ZAM\\Kestrovane\\RunServices",
};

enum Directory { SystemDirectory, InstallDirectory };

// One program to examine, in the order of the table.
struct ProgramEntry {
  SuiteProgram SuiteEnvironment::*program;
  const char* file9x;           // null: not examined on the 95 family
  const char* fileNt;
  Directory directory;
  const char* service;          // NT: also found only when this service is not stopped
  const char* runServicesValue; // 95 family: also found only with this run-services value
};

const ProgramEntry kPrograms[] = {
    {&SuiteEnvironment::yemProgram, "ZAMYEM95.EXE", "ZAMYEMNT.EXE", SystemDirectory, nullptr, nullptr},
    {&SuiteEnvironment::jofProgram, "ZAMJOF95.EXE", "ZAMJOFNT.EXE", SystemDirectory, nullptr, nullptr},
    {&SuiteEnvironment::statusServer, "ZAMWTQ95.EXE", "ZAMWTQNT.EXE", SystemDirectory, "ZAMWTQNT", "ZAMWTQ"},
    {&SuiteEnvironment::drxProgram, "ZAMDRX95.EXE", "ZAMDRXNT.EXE", SystemDirectory, "ZAMDRX", "ZAMDRX"},
    {&SuiteEnvironment::vodProgram, nullptr, "ZAMVODNT.EXE", SystemDirectory, "ZAMVOD", nullptr},
    {&SuiteEnvironment::kltProgram, "ZAMKLT95.EXE", "ZAMKLTNT.EXE", InstallDirectory, nullptr, nullptr},
    {&SuiteEnvironment::statusPanel, kStatusPanelFile, kStatusPanelFile, SystemDirectory, nullptr, nullptr},
};

const int kServiceRunning = 2;  // QueryNamedService: any state but stopped

}  // namespace

std::string SystemDirectoryPath() {
  char buffer[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  std::string directory = length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
  AddBackslash(directory);
  return directory;
}

SuiteEnvironment::SuiteEnvironment()
    : isWin9x(0), isInstalled(0), serverStopped(0), panelClosed(0), serverRestarted(0), panelRelaunched(0) {}

SuiteEnvironment::~SuiteEnvironment() = default;

int32_t SuiteEnvironment::DetectSuite() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  if (!GetVersionExA(&info)) return -1;
  isWin9x = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;

  // Without the system directory its programs are not looked for at all:
  // a bare file name would be found in the current directory instead.
  const std::string systemDirectory = SystemDirectoryPath();

  std::string installDirectory;
  if (!FindInstallDirectory(installDirectory)) {
    isInstalled = 0;
    return 0;
  }
  AddBackslash(installDirectory);
  isInstalled = 1;

  if (!isWin9x) services.OpenServiceManager();

  for (const ProgramEntry& entry : kPrograms) {
    SuiteProgram& program = this->*entry.program;
    program.detected = 0;
    const char* file = isWin9x ? entry.file9x : entry.fileNt;
    if (!file) continue;
    const std::string& directory = entry.directory == SystemDirectory ? systemDirectory : installDirectory;
    if (entry.directory == SystemDirectory && directory.empty()) continue;
    program.path = directory + file;
    if (!FileExists(program.path)) continue;
    if (isWin9x && entry.runServicesValue) {
      program.detected = IsRunServicesEntry(entry.runServicesValue);
    } else if (!isWin9x && entry.service) {
      program.detected = services.QueryNamedService(entry.service) == kServiceRunning ? 1 : 0;
    } else {
      program.detected = 1;
    }
  }
  return 1;
}

int32_t SuiteEnvironment::FindInstallDirectory(std::string& directory) {
  directory.clear();
  std::string bestName, bestCommand;
  bool found = false;

  std::vector<std::string> names;
  EnumerateSubkeys(HKEY_LOCAL_MACHINE, kUninstallKey, names);
  for (const std::string& name : names) {
    if (name.compare(0, kSuitePrefixLength, kSuitePrefix) != 0 || name.size() < kSuitePrefixLength) continue;
    std::string keyPath = kUninstallKey;
    AddBackslash(keyPath);
    keyPath += name;
    std::string command;
    if (ReadRegistryString(HKEY_LOCAL_MACHINE, keyPath, kUninstallCommand, command) != 0) continue;

    if (kv::CompareTextNoCase(name, kPreferredEntry) == 0) {
      bestName = name;
      bestCommand = command;
      found = true;
      break;
    }
    if (kv::CompareText(bestName, name) < 0) {
      bestName = name;
      bestCommand = command;
      found = true;
    }
  }

  // Quotation marks and arguments stay: the directory is whatever precedes
  // the command's last backslash.
  std::string fileName;
  SplitPath(bestCommand, directory, fileName);
  return found ? 1 : 0;
}

int32_t SuiteEnvironment::IsRunServicesEntry(const std::string& valueName) {
  int32_t found = 0;
  for (const char* key : kRunServicesKeys)
    if (RegistryEntryExists(HKEY_LOCAL_MACHINE, key, valueName)) found = 1;
  return found;
}
