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

// What was found before the stop decides what the restart brings back. The
// order and the waits of a whole stop and restart are in ToolAppTest's
// AWholeSetupWithAnUpdate.
TEST_F(SuiteStopTest, TheRestartFollowsWhatDetectionFound) {
  const struct {
    const char* name;
    DWORD serverState;
    bool panelRuns;
    bool panelFile;
    int stopped;
    bool serverStarted;
    bool panelLaunched;
  } cases[] = {
      {"all running", SERVICE_RUNNING, true, true, 1, true, true},
      {"server already stopped", SERVICE_STOPPED, true, true, 1, false, true},
      {"panel not running", SERVICE_RUNNING, false, true, 1, true, true},
      {"no panel file", SERVICE_RUNNING, true, false, 1, true, false},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SetUp();
    winsim::SetServiceState("ZAMWTQNT", c.serverState);
    if (c.panelRuns) OpenPanel();
    if (!c.panelFile) {
      ASSERT_TRUE(DeleteFileA(kPanel));
    }
    SuiteEnvironment environment;
    ASSERT_EQ(environment.DetectSuite(), 1);
    EXPECT_EQ(environment.StopStatusServer(), c.stopped) << c.name;
    EXPECT_EQ(winsim::CallsTo("LoadLibraryA").empty(), !c.panelRuns) << c.name << ": the hand-off needs the panel";
    winsim::ClearCallLog();
    EXPECT_EQ(environment.RestartStatusServer(), 1) << c.name;
    EXPECT_EQ(!winsim::CallsTo("StartServiceA").empty(), c.serverStarted) << c.name;
    EXPECT_EQ(winsim::Launches().size(), c.panelLaunched ? 1u : 0u) << c.name;
  }
}

TEST_F(SuiteStopTest, AStopRefusedForRunningDependantsLeavesThePanelClosed) {
  winsim::AddService({"ZAMDRX", SERVICE_RUNNING, 0, 0, {}});
  winsim::AddService({"ZAMWTQNT", SERVICE_RUNNING, 0, 0, {"ZAMDRX"}});
  OpenPanel();
  ASSERT_EQ(Detect(), 1);
  EXPECT_EQ(suite.StopStatusServer(), 0);
  EXPECT_EQ(winsim::ServiceState("ZAMWTQNT"), static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(winsim::WindowCount("BAZWndClass", "Kestrovane"), 0);
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
