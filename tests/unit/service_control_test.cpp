// Service control: the administrator check, the access each operation asks
// for, and the stops and starts with their waits measured on the clock.
#include <algorithm>

#include "sim_fixture.h"
#include "suite/service_control.h"
#include "winsim/service_control.h"

namespace {

class ServiceControlTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    ASSERT_EQ(services.OpenServiceManager(), 1);
    winsim::ClearCallLog();
  }
  // The requests (ControlService, StartServiceA) the services received.
  static std::vector<std::string> Requests() {
    std::vector<std::string> requests;
    for (const winsim::Call& call : winsim::CallLog())
      if (call.name == "ControlService" || call.name == "StartServiceA") requests.push_back(winsim::FormatCall(call));
    return requests;
  }
  ServiceControl services;
};

TEST_F(ServiceControlTest, AdministratorRights) {
  EXPECT_EQ(HasAdministratorRights(), 1);
  winsim::SetAdministrator(false);
  EXPECT_EQ(HasAdministratorRights(), 0);
  winsim::SetOs(winsim::Os::Win98);
  winsim::ClearCallLog();
  EXPECT_EQ(HasAdministratorRights(), 1);
  EXPECT_TRUE(winsim::CallsTo("OpenSCManagerA").empty());
  winsim::InjectFault("GetVersionExA", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(HasAdministratorRights(), 0);
}

TEST_F(ServiceControlTest, TheManagerOpensOnceWithFullAccess) {
  EXPECT_EQ(services.OpenServiceManager(), 1);  // keeps the first handle
  EXPECT_TRUE(winsim::CallsTo("OpenSCManagerA").empty());

  ServiceControl refused;
  winsim::SetAdministrator(false);
  EXPECT_EQ(refused.OpenServiceManager(), 0);
  EXPECT_EQ(winsim::FormatCall(winsim::CallsTo("OpenSCManagerA").back()), "OpenSCManagerA(NULL, NULL, 0xF003F)");
  for (int result : {refused.StopNamedService("Spooler"), refused.StartNamedService("Spooler"),
                     refused.QueryNamedService("Spooler")})
    EXPECT_EQ(result, -1);
  EXPECT_TRUE(winsim::CallsTo("OpenServiceA").empty());
}

// Each operation asks for exactly the access it needs.
TEST_F(ServiceControlTest, AccessMasks) {
  services.QueryNamedService("Spooler");
  services.StopNamedService("Spooler");
  services.StartNamedService("Spooler");
  std::vector<std::string> masks;
  for (const winsim::Call& call : winsim::CallsTo("OpenServiceA")) masks.push_back(call.args.back());
  EXPECT_EQ(masks, (std::vector<std::string>{"0x4", "0x2C", "0x54"}));
}

TEST_F(ServiceControlTest, Query) {
  const struct {
    DWORD state;
    int result;
  } cases[] = {{SERVICE_STOPPED, 1},        {SERVICE_RUNNING, 2},       {SERVICE_START_PENDING, 2},
               {SERVICE_STOP_PENDING, 2},   {SERVICE_PAUSED, 2},        {SERVICE_PAUSE_PENDING, 2},
               {SERVICE_CONTINUE_PENDING, 2}};
  for (const auto& c : cases) {
    winsim::SetServiceState("Spooler", c.state);
    EXPECT_EQ(services.QueryNamedService("SPOOLER"), c.result) << c.state;
  }
  EXPECT_EQ(services.QueryNamedService("ZAMWTQNT"), -2);
  winsim::InjectFault("QueryServiceStatus", ERROR_ACCESS_DENIED);
  EXPECT_EQ(services.QueryNamedService("Spooler"), -3);
}

// Stops: the result, the moment it comes on the virtual clock, and the
// requests sent. The wait reads the status every 500 ms from 500 ms after the
// request, 120 times; a stop is followed by a further second.
TEST_F(ServiceControlTest, StopsAndTheirWaits) {
  const uint64_t never = winsim::kNever;
  const struct {
    const char* name;
    DWORD state;
    uint64_t stopMs;
    bool dependantRuns;
    DWORD refusal;  // the stop request fails with this error
    int result;
    uint64_t elapsedMs;
    size_t requests;
  } cases[] = {
      {"already stopped", SERVICE_STOPPED, 0, false, 0, 1, 0, 0},
      {"stops at once", SERVICE_RUNNING, 0, false, 0, 1, 1500, 1},
      {"stops at the first reading", SERVICE_RUNNING, 500, false, 0, 1, 1500, 1},
      {"stops between readings", SERVICE_RUNNING, 2200, false, 0, 1, 3500, 1},
      {"stops at the last reading", SERVICE_RUNNING, 60000, false, 0, 1, 61000, 1},
      {"stops just too late", SERVICE_RUNNING, 60001, false, 0, 0, 60500, 1},
      {"never stops", SERVICE_RUNNING, never, false, 0, 0, 60500, 1},
      {"paused", SERVICE_PAUSED, 1000, false, 0, 1, 2000, 1},
      {"refused: dependants run", SERVICE_RUNNING, 0, true, 0, -4, 0, 1},
      {"refused: not active", SERVICE_RUNNING, 0, false, ERROR_SERVICE_NOT_ACTIVE, 1, 0, 1},
      {"refused: cannot accept", SERVICE_RUNNING, 0, false, ERROR_SERVICE_CANNOT_ACCEPT_CTRL, -4, 0, 1},
      {"refused: access denied", SERVICE_RUNNING, 0, false, ERROR_ACCESS_DENIED, -4, 0, 1},
  };
  for (const auto& c : cases) {
    winsim::ServiceSetup setup{"ZAMWTQNT", c.state, c.stopMs, 0, {}};
    if (c.dependantRuns) {
      setup.dependants = {"ZAMDRX"};
      winsim::AddService({"ZAMDRX", SERVICE_RUNNING, 0, 0, {}});
    }
    winsim::AddService(setup);
    if (c.refusal) winsim::InjectFault("ControlService", c.refusal, "ZAMWTQNT", 0, 1);
    winsim::ClearCallLog();
    const uint64_t start = winsim::NowMs();
    int32_t requested = -1;
    EXPECT_EQ(services.StopNamedService("ZAMWTQNT", requested), c.result) << c.name;
    EXPECT_EQ(winsim::NowMs() - start, c.elapsedMs) << c.name;
    EXPECT_EQ(Requests().size(), c.requests) << c.name;
    EXPECT_EQ(requested, c.requests ? 1 : 0) << c.name << ": the request is remembered, whatever came of it";
    winsim::RemoveService("ZAMDRX");
  }
}

TEST_F(ServiceControlTest, StopFailures) {
  winsim::AddService({"ZAMWTQNT", SERVICE_RUNNING, 0, 0, {}});
  int32_t requested = -1;
  EXPECT_EQ(services.StopNamedService("ZAMVOD", requested), -2);
  EXPECT_EQ(requested, 0);
  winsim::InjectFault("QueryServiceStatus", ERROR_ACCESS_DENIED, "ZAMWTQNT", 0, 1);
  EXPECT_EQ(services.StopNamedService("ZAMWTQNT", requested), -3);
  EXPECT_EQ(requested, 0);
  EXPECT_EQ(winsim::ServiceState("ZAMWTQNT"), static_cast<DWORD>(SERVICE_RUNNING));
}

// Starts: by the state found, a start, a continue, or only the wait.
TEST_F(ServiceControlTest, StartsAndTheirWaits) {
  const struct {
    const char* name;
    DWORD state;
    uint64_t startMs;
    int result;
    uint64_t elapsedMs;
    const char* request;
  } cases[] = {
      {"running", SERVICE_RUNNING, 0, 1, 0, nullptr},
      {"stopped", SERVICE_STOPPED, 1200, 1, 1500, "StartServiceA(\"ZAMWTQNT\", 0)"},
      {"stopping", SERVICE_STOP_PENDING, 0, -4, 0, "StartServiceA(\"ZAMWTQNT\", 0)"},  // not yet startable
      {"starting", SERVICE_START_PENDING, 0, 0, 60500, nullptr},  // nothing sent; it stays pending
      {"paused", SERVICE_PAUSED, 0, 1, 500, "ControlService(\"ZAMWTQNT\", 3)"},
      {"pausing", SERVICE_PAUSE_PENDING, 0, 1, 500, "ControlService(\"ZAMWTQNT\", 3)"},
      {"never starts", SERVICE_STOPPED, winsim::kNever, 0, 60500, "StartServiceA(\"ZAMWTQNT\", 0)"},
  };
  for (const auto& c : cases) {
    winsim::AddService({"ZAMWTQNT", c.state, 0, c.startMs, {}});
    winsim::ClearCallLog();
    const uint64_t start = winsim::NowMs();
    EXPECT_EQ(services.StartNamedService("ZAMWTQNT"), c.result) << c.name;
    EXPECT_EQ(winsim::NowMs() - start, c.elapsedMs) << c.name;
    const std::vector<std::string> requests = Requests();
    EXPECT_EQ(requests.empty() ? std::string() : requests.front(), c.request ? c.request : "") << c.name;
    EXPECT_LE(requests.size(), 1u) << c.name;
  }
  winsim::AddService({"ZAMWTQNT", SERVICE_STOPPED, 0, 0, {}});
  winsim::InjectFault("StartServiceA", ERROR_SERVICE_DISABLED, "ZAMWTQNT", 0, 1);
  EXPECT_EQ(services.StartNamedService("ZAMWTQNT"), -4);
  EXPECT_EQ(services.StartNamedService("ZAMVOD"), -2);
}

TEST_F(ServiceControlTest, AFailedReadingDoesNotEndTheWait) {
  winsim::AddService({"ZAMWTQNT", SERVICE_RUNNING, 1000, 0, {}});
  winsim::InjectFault("QueryServiceStatus", ERROR_INVALID_HANDLE, "ZAMWTQNT", 1, 3);  // after the first reading
  const uint64_t start = winsim::NowMs();
  EXPECT_EQ(services.StopNamedService("ZAMWTQNT"), 1);
  EXPECT_EQ(winsim::NowMs() - start, 3000u);  // readings at 0.5 to 1.5 s failed; 2.0 s shows it stopped
}

}  // namespace
