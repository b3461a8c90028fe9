// Services: whether the user may administer them, and a holder of the
// service control manager that stops, starts and queries a service by its
// key name ("ZAMWTQNT", "SPOOLER"), waiting by polling on the calling thread.
#ifndef KV_SUITE_SERVICE_CONTROL_H
#define KV_SUITE_SERVICE_CONTROL_H

#include <cstdint>
#include <string>

#include "common/unique_handle.h"
#include "win32api.h"

// 1 when the user may administer services: on the NT family the service
// control manager opens with full access; on the 95 family always. 0 when it
// does not open, or the version cannot be read.
int HasAdministratorRights();

// Results of the service operations:
//    1  stop: the service is stopped; start: the service runs
//    2  query: the service is in any state other than stopped
//    0  requested, but the wanted state was not reached within the wait
//   -1  the manager is not open
//   -2  the service cannot be opened (not installed, or access refused)
//   -3  the service's status cannot be read
//   -4  the service refused the request
class ServiceControl {
 public:
  ServiceControl();
  virtual ~ServiceControl();  // closes the manager
  ServiceControl(const ServiceControl&) = delete;
  ServiceControl& operator=(const ServiceControl&) = delete;

  // Opens the service control manager of this computer with full access;
  // a second call keeps the first handle. 1 open, 0 not.
  int OpenServiceManager();

  // Stops the service and waits for it: 1 at once when it is already
  // stopped or no longer active (no request is sent), -4 when it refuses
  // (other running services depend on it, for example), else the wait: 0 or,
  // after a further second, 1. `stopRequested` becomes 1 when the service
  // was found in another state than stopped and the request was made,
  // whatever came of it; otherwise 0.
  int StopNamedService(const std::string& name);
  int StopNamedService(const std::string& name, int32_t& stopRequested);

  // Starts the service (a stopped or stopping one), has it continue (a
  // paused or pausing one), or only waits for it (a starting one): 1 at once
  // when it runs, -4 when the request is refused, else the wait's 1 or 0.
  int StartNamedService(const std::string& name);

  // 1 stopped, 2 any other state, or -1/-2/-3.
  int QueryNamedService(const std::string& name);

  // Polls the status every 500 ms, from 500 ms after the call: 1 as soon as
  // a reading shows `state`, 0 when none of 120 readings did (60.5 s after
  // the call). A failed reading counts as not yet there.
  int WaitForServiceState(SC_HANDLE service, DWORD state);

 private:
  // Opens the service with `access` (held in `service` until the caller
  // returns) and reads its status: 0, or -1, -2, -3 as above.
  int OpenAndRead(const std::string& name, DWORD access, kv::UniqueServiceHandle& service, SERVICE_STATUS& status);

  SC_HANDLE manager_;
};

#endif  // KV_SUITE_SERVICE_CONTROL_H
