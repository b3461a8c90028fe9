// Stopping the status server and the status panel around the update, and
// bringing them back.
#include "suite/suite_environment.h"
#include "suite_fixture.h"
#include "winsim/printer_control.h"

namespace {

class SuiteStopTest : public SuiteTest {
 protected:
  void SetUp() override {
    SuiteTest::SetUp();
    InstallSuite();
    winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZAM\\Kestrovane\\Printers\\LP-1\\Status Variables");
    winsim::AddPrinter("Office", "ZAM LP-1");
  }
  int Detect() { return suite.DetectSuite(); }
  SuiteEnvironment suite;
};

// The restart brings back what detection found running and whatever the
// stop took down, also when detection failed to see it or the stop failed;
// a panel still open is not started twice. The order and the waits of a
// whole stop and restart are in ToolAppTest's AWholeSetupWithAnUpdate.
TEST_F(SuiteStopTest, TheRestartBringsBackWhatWasFoundOrTakenDown) {
  using Arrange = void (*)();
  const Arrange nothing = [] {};
  enum Phase { Detection, Stop };
  const struct {
    const char* name;
    Arrange arrange;
    bool panelRuns;
    Phase phase;        // when `fault` fails its call once
    const char* fault;  // with ERROR_ACCESS_DENIED
    const char* match;
    int skip;
    int stopped;
    bool serverStarted;  // a start request was sent
    size_t launches;
    DWORD serverAfter;
    int panelsAfter;
  } cases[] = {
      {"all running", nothing, true, Stop, nullptr, "", 0, 1, true, 1, SERVICE_RUNNING, 1},
      {"server already stopped", [] { winsim::SetServiceState("ZAMWTQNT", SERVICE_STOPPED); }, true, Stop, nullptr,
       "", 0, 1, false, 1, SERVICE_STOPPED, 1},
      {"panel not running", nothing, false, Stop, nullptr, "", 0, 1, true, 1, SERVICE_RUNNING, 1},
      {"no panel file", [] { DeleteFileA(kPanel); }, true, Stop, nullptr, "", 0, 1, true, 1, SERVICE_RUNNING, 0},
      {"detection without the system directory", nothing, true, Detection, "GetSystemDirectoryA", "", 0, 1, true, 1,
       SERVICE_RUNNING, 1},
      {"detection misses the server's file", nothing, true, Detection, "FindFirstFileA", "ZAMWTQNT", 0, 1, true, 1,
       SERVICE_RUNNING, 1},
      {"detection misses the panel's file", nothing, true, Detection, "FindFirstFileA", "ZAMBAZ", 0, 1, true, 1,
       SERVICE_RUNNING, 1},
      {"detection cannot open the server", nothing, true, Detection, "OpenServiceA", "ZAMWTQNT", 0, 1, true, 1,
       SERVICE_RUNNING, 1},
      {"detection cannot read the server", nothing, true, Detection, "QueryServiceStatus", "ZAMWTQNT", 0, 1, true, 1,
       SERVICE_RUNNING, 1},
      {"stop cannot open the server", nothing, true, Stop, "OpenServiceA", "ZAMWTQNT", 0, 0, false, 1,
       SERVICE_RUNNING, 1},
      {"stop cannot read the server", nothing, true, Stop, "QueryServiceStatus", "ZAMWTQNT", 0, 0, false, 1,
       SERVICE_RUNNING, 1},
      {"stop request refused", nothing, true, Stop, "ControlService", "ZAMWTQNT", 0, 0, false, 1, SERVICE_RUNNING,
       1},
      {"stop refused: dependants run",
       [] {
         winsim::AddService({"ZAMDRX", SERVICE_RUNNING, 0, 0, {}});
         winsim::AddService({"ZAMWTQNT", SERVICE_RUNNING, 0, 0, {"ZAMDRX"}});
       },
       true, Stop, nullptr, "", 0, 0, false, 1, SERVICE_RUNNING, 1},
      // Still stopping when the restart comes: Windows refuses the start.
      {"stop times out", [] { winsim::AddService({"ZAMWTQNT", SERVICE_RUNNING, winsim::kNever, 0, {}}); }, true,
       Stop, nullptr, "", 0, 0, true, 1, SERVICE_STOP_PENDING, 1},
      {"close message lost", nothing, true, Stop, "SendMessageTimeoutA", "", 0, 1, true, 0, SERVICE_RUNNING, 1},
      // The hand-off's look-up comes first.
      {"panel not found for closing", nothing, true, Stop, "FindWindowA", "", 1, 1, true, 0, SERVICE_RUNNING, 1},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SetUp();
    c.arrange();
    if (c.panelRuns) OpenPanel();
    SuiteEnvironment environment;
    if (c.fault && c.phase == Detection) winsim::InjectFault(c.fault, ERROR_ACCESS_DENIED, c.match, c.skip, 1);
    ASSERT_EQ(environment.DetectSuite(), 1) << c.name;
    winsim::ClearFaults();
    if (c.fault && c.phase == Stop) winsim::InjectFault(c.fault, ERROR_ACCESS_DENIED, c.match, c.skip, 1);
    EXPECT_EQ(environment.StopStatusServer(), c.stopped) << c.name;
    EXPECT_EQ(winsim::CallsTo("LoadLibraryA").empty(), !c.panelRuns) << c.name << ": the hand-off needs the panel";
    winsim::ClearFaults();
    winsim::ClearCallLog();
    EXPECT_EQ(environment.RestartStatusServer(), 1) << c.name;
    EXPECT_EQ(!winsim::CallsTo("StartServiceA").empty(), c.serverStarted) << c.name;
    EXPECT_EQ(winsim::Launches().size(), c.launches) << c.name;
    winsim::AdvanceClock(5000);
    EXPECT_EQ(winsim::ServiceState("ZAMWTQNT"), c.serverAfter) << c.name;
    EXPECT_EQ(winsim::WindowCount("BAZWndClass", "Kestrovane"), c.panelsAfter) << c.name;
  }
}

TEST_F(SuiteStopTest, APanelThatStaysDoesNotStopTheStop) {
  const HWND panel = OpenPanel(winsim::WindowReaction::Ignores);
  winsim::SetServiceState("ZAMWTQNT", SERVICE_STOPPED);
  ASSERT_EQ(Detect(), 1);
  const uint64_t start = winsim::NowMs();
  EXPECT_EQ(suite.StopStatusServer(), 1);
  EXPECT_EQ(winsim::NowMs() - start, 5000u + 10100u);
  EXPECT_TRUE(winsim::WindowExists(panel));
}

TEST_F(SuiteStopTest, NothingIsDoneForASuiteThatIsNotInstalled) {
  OpenPanel();
  winsim::DeleteRegistryValue(HKEY_LOCAL_MACHINE, std::string(kUninstall) + "\\Kestrovane 1.2", "UninstallString");
  ASSERT_EQ(Detect(), 0);
  winsim::ClearCallLog();
  EXPECT_EQ(suite.StopStatusServer(), 0);
  EXPECT_EQ(suite.RestartStatusServer(), 0);
  EXPECT_TRUE(winsim::CallLog().empty());
  EXPECT_EQ(winsim::ServiceState("ZAMWTQNT"), static_cast<DWORD>(SERVICE_RUNNING));
}

}  // namespace
