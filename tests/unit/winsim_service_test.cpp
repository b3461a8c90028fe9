// The simulated service control manager: access rights, the state machine on
// the virtual clock, the refusals Windows XP gives, and handle accounting.
// A missing service, the rights each call needs, and starting, stopping and
// continuing the spooler (refusals included) are compared with Wine by the
// probe's service group.
#include "sim_fixture.h"
#include "win32api.h"
#include "winsim/service_control.h"

namespace {

const DWORD kStopAccess = SERVICE_STOP | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS;  // 0x2C
const DWORD kStartAccess = SERVICE_START | SERVICE_QUERY_STATUS | SERVICE_PAUSE_CONTINUE;      // 0x54
const DWORD kStart = 0xFFFF;  // a row's action: StartServiceA instead of a control

class WinsimServiceTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager_, nullptr);
  }
  void TearDown() override {
    EXPECT_TRUE(CloseServiceHandle(manager_));
    SimTest::TearDown();
  }
  // Runs StartServiceA (kStart) or a control on a fresh handle; the last error
  // (0 on success) and the state reported.
  std::pair<DWORD, DWORD> Act(const char* name, DWORD action, DWORD access = SERVICE_ALL_ACCESS) {
    SC_HANDLE service = OpenServiceA(manager_, name, access);
    EXPECT_NE(service, nullptr) << name;
    SERVICE_STATUS status{};
    SetLastError(0);
    const BOOL ok = action == kStart ? StartServiceA(service, 0, nullptr) : ControlService(service, action, &status);
    const DWORD error = ok ? 0 : GetLastError();
    CloseServiceHandle(service);
    return {error, status.dwCurrentState};
  }
  SC_HANDLE manager_ = nullptr;
};

TEST_F(WinsimServiceTest, APlainUserMayOnlyLookAtServices) {
  const DWORD kGenericExecute = 0x20000000;
  struct Case {
    DWORD managerAccess;
    DWORD serviceAccess;  // 0: the manager's open is the row
    bool opens;
  } cases[] = {
      {SC_MANAGER_ALL_ACCESS, 0, false},
      {SC_MANAGER_CREATE_SERVICE, 0, false},
      {kGenericExecute, 0, false},  // holds SC_MANAGER_LOCK
      {SC_MANAGER_CONNECT, 0, true},
      {GENERIC_READ, 0, true},
      {SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS, true},
      {SC_MANAGER_CONNECT, GENERIC_READ, true},
      {SC_MANAGER_CONNECT, kStopAccess, false},
      {SC_MANAGER_CONNECT, kStartAccess, false},
      {SC_MANAGER_CONNECT, GENERIC_WRITE, false},
  };
  winsim::SetAdministrator(false);
  for (const Case& c : cases) {
    const std::string name = std::to_string(c.managerAccess) + "/" + std::to_string(c.serviceAccess);
    SetLastError(0);
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, c.managerAccess);
    SC_HANDLE opened = manager;
    if (manager && c.serviceAccess) opened = OpenServiceA(manager, "Spooler", c.serviceAccess);
    EXPECT_EQ(opened != nullptr, c.opens) << name;
    if (!c.opens) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << name;
    }
    if (opened && opened != manager) CloseServiceHandle(opened);
    if (manager) CloseServiceHandle(manager);
  }
}

TEST_F(WinsimServiceTest, EachCallNeedsItsRightOnTheHandle) {
  winsim::SetServiceState("Spooler", SERVICE_STOPPED);
  struct Case {
    DWORD access;
    DWORD action;
  } cases[] = {
      {kStopAccess, SERVICE_CONTROL_CONTINUE},
      {kStopAccess, SERVICE_CONTROL_INTERROGATE},
  };
  for (const Case& c : cases) {
    SC_HANDLE service = OpenServiceA(manager_, "Spooler", c.access);
    SERVICE_STATUS status{};
    SetLastError(0);
    EXPECT_FALSE(ControlService(service, c.action, &status)) << c.access << "/" << c.action;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << c.access << "/" << c.action;
    CloseServiceHandle(service);
  }
  EXPECT_EQ(winsim::ServiceState("Spooler"), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_FALSE(QueryServiceStatus(manager_, nullptr));  // not a service handle
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(WinsimServiceTest, TransitionsEndExactlyOnTheClock) {
  struct Case {
    DWORD from;
    uint64_t stopMs, startMs;
    DWORD action;
    DWORD error;     // 0: accepted
    DWORD reported;  // the state the call reports (controls only)
    DWORD pending;   // the state until the transition ends
    uint64_t endMs;  // when it ends
    DWORD end;
  } cases[] = {
      // A paused service's stop and one that never stops are ServiceControlTest's.
      {SERVICE_RUNNING, 1500, 0, SERVICE_CONTROL_STOP, 0, SERVICE_STOP_PENDING, SERVICE_STOP_PENDING, 1500,
       SERVICE_STOPPED},
      {SERVICE_RUNNING, 0, 0, SERVICE_CONTROL_STOP, 0, SERVICE_STOPPED, SERVICE_STOPPED, 0, SERVICE_STOPPED},
      {SERVICE_STOPPED, 0, 2000, kStart, 0, 0, SERVICE_START_PENDING, 2000, SERVICE_RUNNING},
      {SERVICE_PAUSED, 0, 700, SERVICE_CONTROL_CONTINUE, 0, SERVICE_CONTINUE_PENDING, SERVICE_CONTINUE_PENDING, 700,
       SERVICE_RUNNING},
      {SERVICE_RUNNING, 0, 0, SERVICE_CONTROL_PAUSE, 0, SERVICE_PAUSED, SERVICE_PAUSED, 0, SERVICE_PAUSED},
      // Refusals leave the state as it is.
      {SERVICE_START_PENDING, 0, 0, SERVICE_CONTROL_STOP, ERROR_SERVICE_CANNOT_ACCEPT_CTRL, SERVICE_START_PENDING,
       SERVICE_START_PENDING, 0, SERVICE_START_PENDING},
      {SERVICE_STOP_PENDING, 0, 0, SERVICE_CONTROL_STOP, ERROR_SERVICE_CANNOT_ACCEPT_CTRL, SERVICE_STOP_PENDING,
       SERVICE_STOP_PENDING, 0, SERVICE_STOP_PENDING},
      {SERVICE_STOP_PENDING, 0, 0, kStart, ERROR_SERVICE_ALREADY_RUNNING, 0, SERVICE_STOP_PENDING, 0,
       SERVICE_STOP_PENDING},
  };
  for (const Case& c : cases) {
    winsim::Reset();
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    winsim::AddService({"Svc", c.from, c.stopMs, c.startMs, {}});
    const std::string name = std::to_string(c.from) + " action " + std::to_string(c.action);
    EXPECT_EQ(Act("Svc", c.action), std::make_pair(c.error, c.reported)) << name;
    if (c.endMs > 0) {
      winsim::AdvanceClock(c.endMs - 1);
      EXPECT_EQ(winsim::ServiceState("Svc"), c.pending) << name;
      winsim::AdvanceClock(1);
    }
    EXPECT_EQ(winsim::ServiceState("Svc"), c.end) << name;
    CloseServiceHandle(manager_);
  }
  manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
}

// The spooler accepts a stop only; its refused continue is in the probe.
TEST_F(WinsimServiceTest, ControlsTheServiceDoesNotAcceptAreRefused) {
  EXPECT_EQ(Act("Spooler", SERVICE_CONTROL_PAUSE).first, static_cast<DWORD>(ERROR_INVALID_SERVICE_CONTROL));
  EXPECT_EQ(Act("Spooler", SERVICE_CONTROL_INTERROGATE), std::make_pair(DWORD{0}, DWORD{SERVICE_RUNNING}));
}

TEST_F(WinsimServiceTest, AStopWaitsForItsDependantsToStop) {
  winsim::AddService({"Base", SERVICE_RUNNING, 0, 0, {"Upper", "NotInstalled"}});
  winsim::AddService({"Upper", SERVICE_RUNNING, 1000, 0, {}});
  EXPECT_EQ(Act("Base", SERVICE_CONTROL_STOP, kStopAccess).first, static_cast<DWORD>(ERROR_DEPENDENT_SERVICES_RUNNING));
  EXPECT_EQ(Act("Upper", SERVICE_CONTROL_STOP, kStopAccess).first, 0u);
  winsim::AdvanceClock(999);  // still stopping
  EXPECT_EQ(Act("Base", SERVICE_CONTROL_STOP, kStopAccess).first, static_cast<DWORD>(ERROR_DEPENDENT_SERVICES_RUNNING));
  winsim::AdvanceClock(1);
  EXPECT_EQ(Act("Base", SERVICE_CONTROL_STOP, kStopAccess), std::make_pair(DWORD{0}, DWORD{SERVICE_STOPPED}));
}

TEST_F(WinsimServiceTest, HandlesAreLoggedReportedAndClosedOnce) {
  SC_HANDLE service = OpenServiceA(manager_, "spooler", kStopAccess);
  EXPECT_EQ(winsim::OpenResources(),
            (std::vector<std::string>{"service control manager handle", "service handle Spooler"}));
  winsim::RemoveService("Spooler");  // an open handle keeps working
  SERVICE_STATUS status{};
  EXPECT_TRUE(QueryServiceStatus(service, &status));
  EXPECT_EQ(winsim::FormatCall(winsim::CallsTo("OpenServiceA").at(0)), "OpenServiceA(\"spooler\", 0x2C)");
  EXPECT_EQ(winsim::FormatCall(winsim::CallsTo("QueryServiceStatus").at(0)), "QueryServiceStatus(\"Spooler\")");
  EXPECT_TRUE(CloseServiceHandle(service));
  EXPECT_FALSE(CloseServiceHandle(service));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(winsim::FormatCall(winsim::CallsTo("CloseServiceHandle").at(0)), "CloseServiceHandle(\"Spooler\")");
  EXPECT_EQ(winsim::OpenResources(), std::vector<std::string>{"service control manager handle"});
}

}  // namespace
