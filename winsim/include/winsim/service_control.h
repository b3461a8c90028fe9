// winsim: the control API of the service control manager for tests.
//
// A service is a small state machine on the virtual clock. A stop request
// puts a running (or paused) service into SERVICE_STOP_PENDING, and it
// reaches SERVICE_STOPPED `stopMs` later; a start request or a continue
// request puts it into SERVICE_START_PENDING / SERVICE_CONTINUE_PENDING, and
// it reaches SERVICE_RUNNING `startMs` later. kNever keeps it pending for
// ever. A stop is refused with ERROR_DEPENDENT_SERVICES_RUNNING while any of
// its dependants is not stopped.
//
// A fresh machine has one service, "Spooler", running. Service names are
// key names and compared without regard to case. Calls are logged with the
// service's name as first argument: OpenServiceA("ZAMWTQNT", 0x2C),
// QueryServiceStatus("ZAMWTQNT"), ControlService("ZAMWTQNT", 1),
// StartServiceA("ZAMWTQNT", 0), CloseServiceHandle("ZAMWTQNT") (the
// manager's handle is logged as "SCM"), so InjectFault can aim at one
// service.
#ifndef WINSIM_SERVICE_CONTROL_H
#define WINSIM_SERVICE_CONTROL_H

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

const uint64_t kNever = UINT64_MAX;

struct ServiceSpec {
  std::string name;
  DWORD state = SERVICE_RUNNING;
  uint64_t stopMs = 0;   // from the stop request to SERVICE_STOPPED
  uint64_t startMs = 0;  // from a start or continue request to SERVICE_RUNNING
  std::vector<std::string> dependants;  // services that depend on this one
};

// Adds a service, or replaces one of the same name.
void AddService(const ServiceSpec& spec);
void RemoveService(const std::string& name);
// Sets the current state at once (no transition pending).
void SetServiceState(const std::string& name, DWORD state);
// The current state, 0 when the service does not exist.
DWORD ServiceState(const std::string& name);

}  // namespace winsim

#endif  // WINSIM_SERVICE_CONTROL_H
