// winsim: the control API of the service control manager for tests.
//
// A service is a small state machine on the virtual clock. A stop request
// puts a running (or paused) service into SERVICE_STOP_PENDING, and it
// reaches SERVICE_STOPPED `stopMs` later; a start request or a continue
// request puts it into SERVICE_START_PENDING / SERVICE_CONTINUE_PENDING, and
// it reaches SERVICE_RUNNING `startMs` later (0: at once, so the request
// already answers with the final state). kNever keeps it pending for ever. A
// pause request pauses a running service at once. A stop is refused with
// ERROR_DEPENDENT_SERVICES_RUNNING while any of its dependants is not
// stopped. Starting a service does not start anything else.
//
// As on Windows XP: a stopped service refuses every control with
// ERROR_SERVICE_NOT_ACTIVE; a service in SERVICE_START_PENDING or
// SERVICE_STOP_PENDING refuses every control with
// ERROR_SERVICE_CANNOT_ACCEPT_CTRL; a control the service does not accept
// (`controlsAccepted`) gives ERROR_INVALID_SERVICE_CONTROL; StartServiceA on
// a service that is not stopped (pending states included) gives
// ERROR_SERVICE_ALREADY_RUNNING.
//
// Access: every call checks the rights its handle was opened with and fails
// with ERROR_ACCESS_DENIED without them (QueryServiceStatus needs
// SERVICE_QUERY_STATUS, StartServiceA SERVICE_START, ControlService
// SERVICE_STOP for a stop, SERVICE_PAUSE_CONTINUE for a pause or continue,
// SERVICE_INTERROGATE for an interrogation). Generic rights are mapped as
// Windows maps them. An administrator gets any right. A plain user
// (SetAdministrator(false)) may open the manager only for
// SC_MANAGER_CONNECT, SC_MANAGER_ENUMERATE_SERVICE,
// SC_MANAGER_QUERY_LOCK_STATUS and READ_CONTROL (so not with
// SC_MANAGER_ALL_ACCESS), and a service only for SERVICE_QUERY_CONFIG,
// SERVICE_QUERY_STATUS, SERVICE_ENUMERATE_DEPENDENTS, SERVICE_INTERROGATE,
// SERVICE_USER_DEFINED_CONTROL and READ_CONTROL: more gives
// ERROR_ACCESS_DENIED.
//
// A fresh machine has one service, "Spooler", running, which accepts only the
// stop control (as on Windows XP). Service names are key names and compared
// without regard to case. Calls are logged with the service's name as first
// argument: OpenServiceA("ZAMWTQNT", 0x2C), QueryServiceStatus("ZAMWTQNT"),
// ControlService("ZAMWTQNT", 1), StartServiceA("ZAMWTQNT", 0),
// CloseServiceHandle("ZAMWTQNT") (the manager's handle is logged as SCM,
// without quotes), so InjectFault can aim at one service. Open manager and
// service handles are listed by OpenResources ("service control manager
// handle", "service handle ZAMWTQNT").
#ifndef WINSIM_SERVICE_CONTROL_H
#define WINSIM_SERVICE_CONTROL_H

#include <cstdint>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

const uint64_t kNever = UINT64_MAX;

struct ServiceSetup {
  std::string name;
  DWORD state = SERVICE_RUNNING;
  uint64_t stopMs = 0;   // from the stop request to SERVICE_STOPPED
  uint64_t startMs = 0;  // from a start or continue request to SERVICE_RUNNING
  std::vector<std::string> dependants;  // services that depend on this one
  DWORD controlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE;  // while running or paused
};

// Adds a service, or replaces one of the same name. Handles already open on a
// replaced or removed service keep working on the old one.
void AddService(const ServiceSetup& setup);
void RemoveService(const std::string& name);
// Sets the current state at once (no transition pending).
void SetServiceState(const std::string& name, DWORD state);
// The current state, 0 when the service does not exist.
DWORD ServiceState(const std::string& name);

}  // namespace winsim

#endif  // WINSIM_SERVICE_CONTROL_H
