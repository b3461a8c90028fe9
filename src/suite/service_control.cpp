#include "suite/service_control.h"

#include "common/unique_handle.h"

namespace {

const DWORD kStopAccess = SERVICE_STOP | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS;  // 0x2C
const DWORD kStartAccess = SERVICE_START | SERVICE_QUERY_STATUS | SERVICE_PAUSE_CONTINUE;      // 0x54
const DWORD kQueryAccess = SERVICE_QUERY_STATUS;                                              // 0x04

const DWORD kPollIntervalMs = 500;
const int kPollReadings = 120;
const DWORD kSettleAfterStopMs = 1000;

}  // namespace

int HasAdministratorRights() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  if (!GetVersionExA(&info)) return 0;
  if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return 1;
  kv::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  return manager.valid() ? 1 : 0;
}

ServiceControl::ServiceControl() : manager_(nullptr) {}

ServiceControl::~ServiceControl() {
  if (manager_) CloseServiceHandle(manager_);
}

int ServiceControl::OpenServiceManager() {
  if (!manager_) manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  return manager_ ? 1 : 0;
}

int ServiceControl::OpenAndRead(const std::string& name, DWORD access, kv::UniqueServiceHandle& service,
                                SERVICE_STATUS& status) {
  if (!manager_) return -1;
  service = kv::UniqueServiceHandle(OpenServiceA(manager_, name.c_str(), access));
  if (!service) return -2;
  if (!QueryServiceStatus(service.get(), &status)) return -3;
  return 0;
}

int ServiceControl::StopNamedService(const std::string& name) {
  int32_t stopRequested = 0;
  return StopNamedService(name, stopRequested);
}

int ServiceControl::StopNamedService(const std::string& name, int32_t& stopRequested) {
  stopRequested = 0;
  kv::UniqueServiceHandle service;
  SERVICE_STATUS status = {};
  if (const int failed = OpenAndRead(name, kStopAccess, service, status)) return failed;
  if (status.dwCurrentState == SERVICE_STOPPED) return 1;

  // A refused request may still have reached the service.
  stopRequested = 1;
  if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &status))
    return GetLastError() == ERROR_SERVICE_NOT_ACTIVE ? 1 : -4;
  if (!WaitForServiceState(service.get(), SERVICE_STOPPED)) return 0;
  // Let the stopped service's process finish releasing its files.
  Sleep(kSettleAfterStopMs);
  return 1;
}

int ServiceControl::StartNamedService(const std::string& name) {
  kv::UniqueServiceHandle service;
  SERVICE_STATUS status = {};
  if (const int failed = OpenAndRead(name, kStartAccess, service, status)) return failed;

  switch (status.dwCurrentState) {
    case SERVICE_RUNNING:
      return 1;
    case SERVICE_START_PENDING:
      break;
    case SERVICE_STOPPED:
    case SERVICE_STOP_PENDING:
      if (!StartServiceA(service.get(), 0, nullptr)) return -4;
      break;
    default:  // paused, pausing or continuing
      if (!ControlService(service.get(), SERVICE_CONTROL_CONTINUE, &status)) return -4;
      break;
  }
  return WaitForServiceState(service.get(), SERVICE_RUNNING);
}

int ServiceControl::QueryNamedService(const std::string& name) {
  kv::UniqueServiceHandle service;
  SERVICE_STATUS status = {};
  if (const int failed = OpenAndRead(name, kQueryAccess, service, status)) return failed;
  return status.dwCurrentState == SERVICE_STOPPED ? 1 : 2;
}

int ServiceControl::WaitForServiceState(SC_HANDLE service, DWORD state) {
  SERVICE_STATUS status = {};
  Sleep(kPollIntervalMs);
  BOOL read = QueryServiceStatus(service, &status);
  for (int reading = 0; reading < kPollReadings; ++reading) {
    if (read && status.dwCurrentState == state) return 1;
    Sleep(kPollIntervalMs);
    read = QueryServiceStatus(service, &status);
  }
  return 0;
}
