// winsim: the service control manager. Each service is a state machine whose
// pending transition completes when the virtual clock reaches its time.
#include "machine.h"
#include "winsim/service_control.h"

namespace winsim {
namespace detail {

namespace {

// Standard and generic access rights, as the SDK numbers them.
const DWORD kReadControl = 0x00020000, kMaximumAllowed = 0x02000000;
const DWORD kGenericAll = 0x10000000, kGenericExecute = 0x20000000;
const DWORD kUserManagerRights =
    SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS | kReadControl;
const DWORD kUserServiceRights = SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS |
                                 SERVICE_INTERROGATE | SERVICE_USER_DEFINED_CONTROL | kReadControl;

struct Service {
  ServiceSetup setup;  // setup.state is the current state
  DWORD target = 0;  // the state a pending transition ends in, 0: none
  uint64_t due = 0;  // when it ends (kNever: never)
};

struct Handle {
  std::shared_ptr<Service> service;  // null: the manager
  DWORD access = 0;
};

struct ServiceManager {
  std::map<std::string, std::shared_ptr<Service>> services;  // key: upper-cased name
  std::map<uintptr_t, Handle> handles;
};

ServiceManager& Scm() {
  static ServiceManager state;
  return state;
}

// The rights a mask stands for once generic rights are mapped.
struct GenericMapping {
  DWORD read, write, execute, all;
};
const GenericMapping kManagerMapping = {
    kReadControl | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS,
    kReadControl | SC_MANAGER_CREATE_SERVICE | SC_MANAGER_MODIFY_BOOT_CONFIG,
    kReadControl | SC_MANAGER_CONNECT | SC_MANAGER_LOCK, SC_MANAGER_ALL_ACCESS};
const GenericMapping kServiceMapping = {
    kReadControl | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE | SERVICE_ENUMERATE_DEPENDENTS,
    kReadControl | SERVICE_CHANGE_CONFIG,
    kReadControl | SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL,
    SERVICE_ALL_ACCESS};

// The rights granted for `desired`, or nothing when the user may not have
// them all.
std::optional<DWORD> Grant(DWORD desired, const GenericMapping& mapping, DWORD userRights) {
  const DWORD allowed = M().administrator ? mapping.all : userRights;
  DWORD rights = desired & ~(GENERIC_READ | GENERIC_WRITE | kGenericExecute | kGenericAll | kMaximumAllowed);
  if (desired & GENERIC_READ) rights |= mapping.read;
  if (desired & GENERIC_WRITE) rights |= mapping.write;
  if (desired & kGenericExecute) rights |= mapping.execute;
  if (desired & kGenericAll) rights |= mapping.all;
  if (desired & kMaximumAllowed) rights |= allowed;
  if (rights & ~allowed) return std::nullopt;
  return rights;
}

// Brings a pending transition to its end once the clock has reached it.
Service& Current(Service& service) {
  if (service.target && service.due != kNever && M().nowMs >= service.due) {
    service.setup.state = service.target;
    service.target = 0;
  }
  return service;
}

// Puts a service into `pending`, to reach `target` after `ms`.
void Begin(Service& service, DWORD pending, DWORD target, uint64_t ms) {
  service.setup.state = ms == 0 ? target : pending;
  service.target = ms == 0 ? 0 : target;
  service.due = ms == kNever ? kNever : M().nowMs + ms;
}

std::shared_ptr<Service> FindService(const std::string& name) {
  auto it = Scm().services.find(UpperAnsi(name));
  return it == Scm().services.end() ? nullptr : it->second;
}

// Running, paused, or on the way between the two.
bool Active(DWORD state) {
  return state == SERVICE_RUNNING || state == SERVICE_PAUSED || state == SERVICE_CONTINUE_PENDING ||
         state == SERVICE_PAUSE_PENDING;
}

SERVICE_STATUS StatusOf(Service& service) {
  const DWORD state = Current(service).setup.state;
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = Active(state) ? service.setup.controlsAccepted : 0;
  return status;
}

// The handle's entry, or null for an unknown handle.
Handle* HandleEntry(SC_HANDLE handle) {
  auto it = Scm().handles.find(reinterpret_cast<uintptr_t>(handle));
  return it == Scm().handles.end() ? nullptr : &it->second;
}

// How a handle appears in the log.
std::string Describe(SC_HANDLE handle) {
  const Handle* h = HandleEntry(handle);
  if (!h) return Hex(reinterpret_cast<uintptr_t>(handle));
  return h->service ? Arg(h->service->setup.name.c_str()) : "SCM";
}

SC_HANDLE AddHandle(std::shared_ptr<Service> service, DWORD access) {
  const uintptr_t id = M().nextHandle += 4;
  Scm().handles[id] = Handle{std::move(service), access};
  return reinterpret_cast<SC_HANDLE>(id);
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

SC_HANDLE NoHandle(DWORD error) {
  SetLastError(error);
  return nullptr;
}

// The service behind a service handle that holds `right`; on failure the last
// error is set and null returned.
Service* ServiceWith(SC_HANDLE handle, DWORD right) {
  const Handle* h = HandleEntry(handle);
  const DWORD error = !h || !h->service ? ERROR_INVALID_HANDLE : !(h->access & right) ? ERROR_ACCESS_DENIED : 0;
  if (error) SetLastError(error);
  return error ? nullptr : h->service.get();
}

// The right a control needs, 0 for a control code ControlService refuses.
DWORD RightFor(DWORD control) {
  switch (control) {
    case SERVICE_CONTROL_STOP: return SERVICE_STOP;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE:
    case 6: case 7: case 8: case 9: case 10:  // parameter change and network binding controls
      return SERVICE_PAUSE_CONTINUE;
    case SERVICE_CONTROL_INTERROGATE: return SERVICE_INTERROGATE;
    default: return control >= 128 && control <= 255 ? SERVICE_USER_DEFINED_CONTROL : 0;
  }
}

bool Accepts(const Service& service, DWORD control) {
  switch (control) {
    case SERVICE_CONTROL_STOP: return service.setup.controlsAccepted & SERVICE_ACCEPT_STOP;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE: return service.setup.controlsAccepted & SERVICE_ACCEPT_PAUSE_CONTINUE;
    case SERVICE_CONTROL_INTERROGATE: return true;
    default: return false;
  }
}

// A dependant of `service` that is not stopped.
bool DependantRuns(const Service& service) {
  for (const std::string& name : service.setup.dependants) {
    std::shared_ptr<Service> dependant = FindService(name);
    if (dependant && Current(*dependant).setup.state != SERVICE_STOPPED) return true;
  }
  return false;
}

// Carries out an accepted control.
void Apply(Service& service, DWORD control) {
  const DWORD state = service.setup.state;
  if (control == SERVICE_CONTROL_STOP) {
    Begin(service, SERVICE_STOP_PENDING, SERVICE_STOPPED, service.setup.stopMs);
  } else if (control == SERVICE_CONTROL_PAUSE && (state == SERVICE_RUNNING || state == SERVICE_CONTINUE_PENDING)) {
    Begin(service, SERVICE_PAUSE_PENDING, SERVICE_PAUSED, 0);
  } else if (control == SERVICE_CONTROL_CONTINUE && (state == SERVICE_PAUSED || state == SERVICE_PAUSE_PENDING)) {
    Begin(service, SERVICE_CONTINUE_PENDING, SERVICE_RUNNING, service.setup.startMs);
  }
}

}  // namespace

void ResetServices() {
  Scm() = ServiceManager{};
  ServiceSetup spooler;
  spooler.name = "Spooler";
  spooler.controlsAccepted = SERVICE_ACCEPT_STOP;
  Scm().services[UpperAnsi(spooler.name)] = std::make_shared<Service>(Service{spooler});
}

void ReportOpenServices(std::vector<std::string>& out) {
  for (const auto& entry : Scm().handles) {
    const Handle& h = entry.second;
    out.push_back(h.service ? "service handle " + h.service->setup.name : "service control manager handle");
  }
}

}  // namespace detail

using namespace detail;

void AddService(const ServiceSetup& setup) {
  auto lock = Lock();
  Scm().services[UpperAnsi(setup.name)] = std::make_shared<Service>(Service{setup});
}

void RemoveService(const std::string& name) {
  auto lock = Lock();
  Scm().services.erase(UpperAnsi(name));
}

void SetServiceState(const std::string& name, DWORD state) {
  auto lock = Lock();
  if (std::shared_ptr<Service> service = FindService(name)) {
    service->setup.state = state;
    service->target = 0;
  }
}

DWORD ServiceState(const std::string& name) {
  auto lock = Lock();
  std::shared_ptr<Service> service = FindService(name);
  return service ? Current(*service).setup.state : 0;
}

}  // namespace winsim

using namespace winsim::detail;

SC_HANDLE OpenSCManagerA(LPCSTR machineName, LPCSTR databaseName, DWORD desiredAccess) {
  ApiCall call("OpenSCManagerA", {Arg(machineName), Arg(databaseName), Hex(desiredAccess)});
  if (auto fault = call.Fault()) return NoHandle(static_cast<DWORD>(*fault));
  const std::optional<DWORD> rights = Grant(desiredAccess, kManagerMapping, kUserManagerRights);
  if (!rights) return NoHandle(ERROR_ACCESS_DENIED);
  return AddHandle(nullptr, *rights | SC_MANAGER_CONNECT);
}

SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR serviceName, DWORD desiredAccess) {
  ApiCall call("OpenServiceA", {Arg(serviceName), Hex(desiredAccess)});
  if (auto fault = call.Fault()) return NoHandle(static_cast<DWORD>(*fault));
  const Handle* h = HandleEntry(manager);
  if (!h || h->service) return NoHandle(ERROR_INVALID_HANDLE);
  std::shared_ptr<Service> service = serviceName ? FindService(serviceName) : nullptr;
  if (!service) return NoHandle(ERROR_SERVICE_DOES_NOT_EXIST);
  const std::optional<DWORD> rights = Grant(desiredAccess, kServiceMapping, kUserServiceRights);
  if (!rights) return NoHandle(ERROR_ACCESS_DENIED);
  return AddHandle(service, *rights);
}

BOOL QueryServiceStatus(SC_HANDLE handle, LPSERVICE_STATUS status) {
  auto lock = Lock();
  ApiCall call("QueryServiceStatus", {Describe(handle)});
  if (auto fault = call.Fault()) return Fail(static_cast<DWORD>(*fault));
  Service* service = ServiceWith(handle, SERVICE_QUERY_STATUS);
  if (!service) return FALSE;
  if (!status) return Fail(ERROR_INVALID_PARAMETER);
  *status = StatusOf(*service);
  return TRUE;
}

BOOL ControlService(SC_HANDLE handle, DWORD control, LPSERVICE_STATUS status) {
  auto lock = Lock();
  ApiCall call("ControlService", {Describe(handle), Dec(control)});
  if (auto fault = call.Fault()) return Fail(static_cast<DWORD>(*fault));
  const DWORD right = RightFor(control);
  if (!right) return Fail(ERROR_INVALID_PARAMETER);
  Service* service = ServiceWith(handle, right);
  if (!service) return FALSE;
  DWORD error = 0;
  const DWORD state = Current(*service).setup.state;
  if (state == SERVICE_STOPPED)
    error = ERROR_SERVICE_NOT_ACTIVE;
  else if (state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING)
    error = ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  else if (!Accepts(*service, control))
    error = ERROR_INVALID_SERVICE_CONTROL;
  else if (control == SERVICE_CONTROL_STOP && DependantRuns(*service))
    return Fail(ERROR_DEPENDENT_SERVICES_RUNNING);
  if (!error) Apply(*service, control);
  // The status is reported on success and with these three refusals.
  if (status) *status = StatusOf(*service);
  return error ? Fail(error) : TRUE;
}

BOOL StartServiceA(SC_HANDLE handle, DWORD argumentCount, LPCSTR* arguments) {
  auto lock = Lock();
  (void)arguments;
  ApiCall call("StartServiceA", {Describe(handle), Dec(argumentCount)});
  if (auto fault = call.Fault()) return Fail(static_cast<DWORD>(*fault));
  Service* service = ServiceWith(handle, SERVICE_START);
  if (!service) return FALSE;
  if (Current(*service).setup.state != SERVICE_STOPPED) return Fail(ERROR_SERVICE_ALREADY_RUNNING);
  Begin(*service, SERVICE_START_PENDING, SERVICE_RUNNING, service->setup.startMs);
  return TRUE;
}

BOOL CloseServiceHandle(SC_HANDLE handle) {
  auto lock = Lock();
  ApiCall call("CloseServiceHandle", {Describe(handle)});
  if (auto fault = call.Fault()) return Fail(static_cast<DWORD>(*fault));
  return Scm().handles.erase(reinterpret_cast<uintptr_t>(handle)) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}
