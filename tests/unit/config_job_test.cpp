// The job of a run: its pre-checks, the Setup and Removal sequences, and the
// worker thread that carries them out.
#include <vector>

#include "app/config_job.h"
#include "firewall/firewall_setting.h"
#include "suite_fixture.h"
#include "update_fixture.h"
#include "winsim/firewall_control.h"
#include "winsim/session_control.h"
#include "winsim/thread_control.h"

namespace {

const char kDll[] = "C:\\WINDOWS\\system32\\ZAMPUX.DLL";

// The suite installed with its communication program at version 2.300.0.1,
// the status server running and its panel open.
class ConfigJobTest : public SuiteTest {
 protected:
  void SetUp() override {
    SuiteTest::SetUp();
    InstallSuite();
    winsim::AddFile(kDll, dllV1);
    winsim::AddFile(kServer, exeV1);
    OpenPanel();
  }
  // Ships copies of both files, newer ones or the installed ones again.
  void Ship(bool newer) {
    winsim::AddFile("C:\\KVTOOL\\ZAMPUX.DL_", Compressed(newer ? dllV2 : dllV1));
    winsim::AddFile("C:\\KVTOOL\\ZAMWTQNT.EX_", Compressed(newer ? exeV2 : exeV1));
  }
  static std::string PanelImage() { return winsim::SystemDirectory() + "\\zambaz.exe"; }
  static void SeedExceptions() {
    for (NET_FW_PROFILE_TYPE profile : {NET_FW_PROFILE_DOMAIN, NET_FW_PROFILE_STANDARD})
      winsim::SeedFirewallApp(profile, {"Kestrovane", PanelImage(), NET_FW_IP_VERSION_ANY, NET_FW_SCOPE_ALL, "", true});
  }
  static bool Called(const char* name) { return !winsim::CallsTo(name).empty(); }
  static bool PanelOpen() { return winsim::WindowCount("BAZWndClass", "Kestrovane") == 1; }

  const std::vector<uint8_t> dllV1 = VersionedImage({2, 300, 0, 1}, "dll");
  const std::vector<uint8_t> dllV2 = VersionedImage({2, 300, 0, 2}, "dll");
  const std::vector<uint8_t> exeV1 = VersionedImage({2, 300, 0, 1}, "exe");
  const std::vector<uint8_t> exeV2 = VersionedImage({2, 300, 407, 9}, "exe");
  ConfigJob job;
};

// ---- Pre-checks ----------------------------------------------------------------

// Several failing checks in one row show which one is asked first; the check
// named last in a row must not have been made.
TEST_F(ConfigJobTest, PreCheckStopsAtTheFirstFailure) {
  const struct {
    const char* name;
    int32_t mode;
    bool firewall, administrator, suiteFiles, exceptions;
    int32_t result;
    const char* notMade;
  } cases[] = {
      {"no firewall, plain user", JobModeSetup, false, false, false, false, 2, "OpenSCManagerA"},
      {"no firewall, plain user", JobModeRemoval, false, false, true, false, 2, "OpenSCManagerA"},
      {"plain user, suite missing", JobModeSetup, true, false, false, true, 3, "FindFirstFileA"},
      {"plain user, no exceptions", JobModeRemoval, true, false, true, false, 3, "INetFwAuthorizedApplications::Item"},
      {"suite missing", JobModeSetup, true, true, false, false, 4, "INetFwAuthorizedApplications::Item"},
      {"no exceptions", JobModeRemoval, true, true, false, false, 5, "FindFirstFileA"},
      {"ready", JobModeSetup, true, true, true, false, 0, "INetFwAuthorizedApplications::Item"},
      {"ready", JobModeRemoval, true, true, false, true, 0, "FindFirstFileA"},
  };
  for (const auto& c : cases) {
    FreshMachine();
    winsim::AddFile(kServer, exeV1);
    if (c.suiteFiles) winsim::AddFile(kDll, dllV1);
    if (c.exceptions) SeedExceptions();
    winsim::SetFirewallInstalled(c.firewall);
    winsim::SetAdministrator(c.administrator);
    winsim::ClearCallLog();
    ConfigJob fresh;
    EXPECT_EQ(fresh.PreCheck(c.mode), c.result) << c.name << ", mode " << c.mode;
    EXPECT_EQ(fresh.result, c.result) << c.name << ", mode " << c.mode;
    EXPECT_FALSE(Called(c.notMade)) << c.name << ", mode " << c.mode;
  }
}

// ---- Setup ---------------------------------------------------------------------

// The Setup run by what it meets. It ends before the suite is looked at when
// the firewall cannot be changed (no file is even read) or when no shipped
// file is newer. Where stopping the suite is not safe (another user logged
// on, the spooler stopped), nothing of the suite is stopped or restarted and
// the running server's file waits for the next start; so it does when the
// server refuses to stop, and the panel is brought back.
TEST_F(ConfigJobTest, SetupSequenceByWhatItMeets) {
  using Arrange = void (*)();
  const Arrange nothing = [] {};
  const std::vector<std::string> kSuiteCalls = {"WTSEnumerateSessionsA", "ControlService", "MoveFileA", "StartServiceA",
                                                "CreateProcessA"};
  const std::vector<std::string> kNotStopped = {"WTSEnumerateSessionsA", "MoveFileA"};
  const struct {
    const char* name;
    bool newer;
    Arrange arrange;
    int32_t result, restart;
    std::vector<std::string> calls;  // of kSuiteCalls
    bool serverReplaced;
  } cases[] = {
      {"firewall change refused", true,
       [] { winsim::InjectFault("INetFwAuthorizedApplications::Add", E_ACCESSDENIED, "zamwtqnt"); },
       JobFirewallChangeFailed, 0, {}, false},
      {"nothing newer shipped", false, nothing, JobOk, 0, {}, false},
      {"an update", true, nothing, JobOk, 0,
       {"WTSEnumerateSessionsA", "ControlService", "MoveFileA", "MoveFileA", "StartServiceA", "CreateProcessA"}, true},
      {"another user logged on", true,
       [] { winsim::SetSessions({{0, "Console", WTSActive, "Administrator"}, {1, "", WTSDisconnected, "Hanako"}}); },
       JobOk, 1, kNotStopped, false},
      {"spooler stopped", true, [] { winsim::SetServiceState("Spooler", SERVICE_STOPPED); }, JobOk, 1, kNotStopped, false},
      // The panel closed before the stop failed comes back.
      {"server stop refused", true, [] { winsim::InjectFault("ControlService", ERROR_ACCESS_DENIED, "ZAMWTQNT"); },
       JobOk, 1, {"WTSEnumerateSessionsA", "ControlService", "MoveFileA", "CreateProcessA"}, false},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SetUp();
    Ship(c.newer);
    // A running server that cannot be replaced while it runs.
    if (c.restart) winsim::SetInUse(kServer, ERROR_ACCESS_DENIED);
    c.arrange();
    winsim::ClearCallLog();
    ConfigJob fresh;
    int32_t restart = 0;
    EXPECT_EQ(fresh.SetupSequence(restart), c.result) << c.name;
    EXPECT_EQ(restart, c.restart) << c.name;
    EXPECT_EQ(Called("FindFirstFileA"), c.result == JobOk) << c.name << ": the files are read";
    EXPECT_EQ(CallSequence(kSuiteCalls), c.calls) << c.name;
    EXPECT_TRUE(winsim::FindFirewallApp(NET_FW_PROFILE_STANDARD, PanelImage())) << c.name << ": the firewall work is done";
    EXPECT_EQ(winsim::FileContent(kServer), c.serverReplaced ? exeV2 : exeV1) << c.name;
    EXPECT_EQ(winsim::FileContent(kDll), c.newer && c.result == JobOk ? dllV2 : dllV1) << c.name;
    EXPECT_EQ(winsim::PendingFileRenameOperations().size(), c.restart ? 1u : 0u) << c.name;
    EXPECT_EQ(winsim::ServiceState("ZAMWTQNT"), static_cast<DWORD>(SERVICE_RUNNING)) << c.name;
    EXPECT_TRUE(PanelOpen()) << c.name;
  }
}

// ---- Removal -------------------------------------------------------------------

TEST_F(ConfigJobTest, RemovalTakesAwayOnlyWhatIsThere) {
  const struct {
    const char* name;
    bool present;
    bool removalFails;
    int32_t result;
  } cases[] = {
      {"exceptions present", true, false, 0},
      {"exceptions gone since the pre-check", false, false, 0},
      {"removal refused", true, true, 6},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SeedExceptions();
    winsim::SeedFirewallService(NET_FW_PROFILE_STANDARD, NET_FW_SERVICE_FILE_AND_PRINT, {true, NET_FW_SCOPE_ALL});
    ConfigJob fresh;
    ASSERT_EQ(fresh.PreCheck(JobModeRemoval), JobOk);
    if (!c.present) FirewallSetting().RemoveSuiteExceptions();  // someone else was quicker
    if (c.removalFails) winsim::InjectFault("INetFwAuthorizedApplications::Remove", E_ACCESSDENIED);
    fresh.firewallSetting.SetDisableFileAndPrintSharing(TRUE);
    winsim::ClearCallLog();
    EXPECT_EQ(fresh.RemovalSequence(), c.result) << c.name;
    EXPECT_EQ(Called("INetFwAuthorizedApplications::Remove"), c.present) << c.name;
    EXPECT_EQ(winsim::FirewallServiceState(NET_FW_PROFILE_STANDARD, NET_FW_SERVICE_FILE_AND_PRINT).enabled,
              !c.present)
        << c.name << ": sharing is switched off only with the exceptions";
    EXPECT_EQ(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, PanelImage()).has_value(), c.removalFails) << c.name;
  }
}

// ---- The worker ----------------------------------------------------------------

// What the worker's results and the user's choice then do is the runners'
// (ToolAppTest).
TEST_F(ConfigJobTest, TheWorkerRunsTheSequenceAndReportsToItsOwner) {
  const HWND owner = winsim::CreateMessageWindow("consent");
  job.Start(owner, JobModeSetup, TRUE);
  const auto started = winsim::WaitForPostedMessage(owner);
  const auto finished = winsim::WaitForPostedMessage(owner);
  ASSERT_TRUE(started && finished);
  EXPECT_EQ(started->message, WM_JOB_STARTED);
  EXPECT_EQ(finished->message, WM_JOB_FINISHED);
  EXPECT_EQ(started->wParam | started->lParam | finished->wParam | finished->lParam, 0u);
  job.Wait();
  EXPECT_EQ(job.result, JobOk);
  EXPECT_TRUE(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, PanelImage()));
  EXPECT_FALSE(winsim::TakePostedMessage(owner));
  // Default security and stack, not suspended.
  EXPECT_EQ(winsim::CallsTo("CreateThread").at(0).args, (std::vector<std::string>{"NULL", "0", "0x0"}));
  winsim::DestroyMessageWindow(owner);
}

// A job works once: a second Start while its worker exists changes nothing,
// not even the result the worker has already stored.
TEST_F(ConfigJobTest, ASecondStartChangesNothing) {
  SeedExceptions();
  winsim::InjectFault("INetFwAuthorizedApplications::Remove", E_ACCESSDENIED);
  const HWND owner = winsim::CreateMessageWindow("removal");
  job.Start(owner, JobModeRemoval, TRUE);
  winsim::WaitForPostedMessage(owner);
  winsim::WaitForPostedMessage(owner);
  ASSERT_EQ(job.result, JobFirewallChangeFailed);
  job.Start(nullptr, JobModeSetup, FALSE);
  EXPECT_EQ(job.ownerWindow, owner);
  EXPECT_EQ(job.mode, JobModeRemoval);
  EXPECT_EQ(job.result, JobFirewallChangeFailed);
  job.Wait();
  EXPECT_EQ(winsim::CallsTo("CreateThread").size(), 1u);
  EXPECT_FALSE(winsim::TakePostedMessage(owner));
  winsim::DestroyMessageWindow(owner);
}

// A thread that cannot be made leaves the job idle with a failed result (the
// work was not done), and it can be started again.
TEST_F(ConfigJobTest, AWorkerThatCannotBeStarted) {
  const HWND owner = winsim::CreateMessageWindow("consent");
  winsim::InjectFault("CreateThread", ERROR_NOT_ENOUGH_MEMORY, "", 0, 1);
  EXPECT_FALSE(job.Start(owner, JobModeSetup, FALSE));
  EXPECT_EQ(job.workerThread, nullptr);
  job.Wait();
  EXPECT_EQ(job.result, JobFirewallChangeFailed);
  EXPECT_FALSE(winsim::TakePostedMessage(owner));
  EXPECT_FALSE(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, PanelImage()));

  EXPECT_TRUE(job.Start(owner, JobModeSetup, FALSE));
  EXPECT_NE(job.workerThread, nullptr);
  job.Wait();
  EXPECT_EQ(job.result, JobOk);
  EXPECT_TRUE(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, PanelImage()));
  winsim::DestroyMessageWindow(owner);
}

// A failed wait says nothing of the worker: Wait returns only once it has
// ended, told by a later wait or, while the waits keep failing, by the
// thread's exit code. Each failure costs one pause of 100 ms.
TEST_F(ConfigJobTest, WaitOutlastsFailedWaits) {
  const struct {
    const char* name;
    int failures;
  } cases[] = {{"one wait fails", 1}, {"the waits keep failing", 50}};
  for (const auto& c : cases) {
    FreshMachine();
    SetUp();
    winsim::InjectFault("WaitForSingleObject", ERROR_INVALID_HANDLE, "", 0, c.failures);
    ASSERT_TRUE(job.Start(nullptr, JobModeSetup, FALSE));
    job.Wait();
    EXPECT_EQ(winsim::LiveThreadCount(), 0) << c.name << ": Wait returned while the worker ran";
    EXPECT_EQ(job.workerThread, nullptr) << c.name;
    EXPECT_TRUE(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, PanelImage())) << c.name;
    EXPECT_EQ(winsim::NowMs(), 100u) << c.name;
  }
}

// The dialog leaves its busy state only on the finished message: a post
// that fails (the window's queue full) is made again after a pause until
// the message is queued; to a window that is gone nothing more is tried.
TEST_F(ConfigJobTest, TheFinishedMessageReachesItsWindow) {
  const int64_t kQueueFull = 1816;  // ERROR_NOT_ENOUGH_QUOTA
  const struct {
    const char* name;
    bool windowGone;
    std::vector<UINT> received;
    size_t posts;
    uint64_t clockMs;
  } cases[] = {
      {"the queue full twice", false, {WM_JOB_STARTED, WM_JOB_FINISHED}, 4, 200},
      {"the window gone", true, {}, 2, 0},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SetUp();
    const HWND owner = winsim::CreateMessageWindow("consent");
    if (c.windowGone) winsim::DestroyMessageWindow(owner);
    winsim::InjectFault("PostMessageA", kQueueFull, "consent", 1, 2);  // the started message goes through
    ASSERT_TRUE(job.Start(owner, JobModeSetup, FALSE));
    job.Wait();
    std::vector<UINT> received;
    while (auto message = winsim::TakePostedMessage(owner)) received.push_back(message->message);
    EXPECT_EQ(received, c.received) << c.name;
    EXPECT_EQ(winsim::CallsTo("PostMessageA").size(), c.posts) << c.name;
    EXPECT_EQ(winsim::NowMs(), c.clockMs) << c.name;
    winsim::DestroyMessageWindow(owner);
  }
}

TEST_F(ConfigJobTest, ADestroyedJobHasJoinedItsWorker) {
  {
    ConfigJob started;
    started.Start(nullptr, JobModeSetup, FALSE);
  }
  EXPECT_EQ(winsim::LiveThreadCount(), 0);
  EXPECT_TRUE(winsim::FindFirewallApp(NET_FW_PROFILE_STANDARD, PanelImage())) << "the work was done, not cut short";
}

}  // namespace
