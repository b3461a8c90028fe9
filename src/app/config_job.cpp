#include "app/config_job.h"

#include "suite/service_control.h"
#include "suite/suite_environment.h"
#include "suite/user_sessions.h"

namespace {

// The pause before a failed wait for the worker, or a failed post of its
// last message, is tried again.
const DWORD kRetryPauseMs = 100;

DWORD WINAPI RunJob(LPVOID job) {
  static_cast<ConfigJob*>(job)->Run();
  return 0;
}

// The dialog leaves its busy state only on this message, so it is posted
// until it is queued, for as long as the window exists: a post fails when
// the window's queue is full, which the dialog empties as it runs, or when
// the window is gone, and then nobody waits for it.
void PostUntilQueued(HWND window, UINT message) {
  while (!PostMessageA(window, message, 0, 0) && IsWindow(window)) Sleep(kRetryPauseMs);
}

}  // namespace

ConfigJob::ConfigJob()
    : ownerWindow(nullptr),
      workerThread(nullptr),
      mode(JobModeSetup),
      result(JobOk),
      restartNeeded(0),
      serverOutcome(SuiteAsFound),
      panelOutcome(SuiteAsFound) {}

// The worker works on this object: it must have ended before the object goes.
ConfigJob::~ConfigJob() { Wait(); }

int32_t ConfigJob::PreCheck(int32_t mode) {
  if (!firewallSetting.IsFirewallAvailable()) {
    result = JobFirewallUnavailable;
  } else if (!HasAdministratorRights()) {
    result = JobNotAdministrator;
  } else if (mode == JobModeSetup) {
    result = programUpdate.IsSuiteInstalled() ? JobOk : JobSuiteNotInstalled;
  } else {
    result = firewallSetting.HasSuiteExceptions() ? JobOk : JobNoSuiteExceptions;
  }
  return result;
}

bool ConfigJob::Start(HWND owner, int32_t mode, BOOL choice) {
  if (workerThread) return true;
  ownerWindow = owner;
  this->mode = mode;
  result = JobOk;
  restartNeeded = 0;
  if (mode == JobModeRemoval) {
    firewallSetting.SetDisableFileAndPrintSharing(choice);
  } else {
    firewallSetting.SetScopeAny(choice);
  }
  // The 95 family refuses a thread without a place for its id.
  DWORD threadId = 0;
  workerThread = CreateThread(nullptr, 0, RunJob, this, 0, &threadId);
  // Nothing of the work was done: the run must not pass for one that did it.
  if (!workerThread) result = JobFirewallChangeFailed;
  return workerThread != nullptr;
}

void ConfigJob::Wait() {
  if (!workerThread) return;
  // The worker works on this object, so this must not return while it runs.
  // A failed wait tells nothing of the thread: unless its exit code shows
  // that it has ended, wait again after a pause.
  while (WaitForSingleObject(workerThread, INFINITE) != WAIT_OBJECT_0) {
    DWORD exitCode = STILL_ACTIVE;
    if (GetExitCodeThread(workerThread, &exitCode) && exitCode != STILL_ACTIVE) break;
    Sleep(kRetryPauseMs);
  }
  CloseHandle(workerThread);
  workerThread = nullptr;
}

void ConfigJob::Run() {
  if (ownerWindow) PostMessageA(ownerWindow, WM_JOB_STARTED, 0, 0);
  const int32_t outcome = mode == JobModeSetup ? SetupSequence(restartNeeded) : RemovalSequence();
  result = outcome;
  if (ownerWindow) PostUntilQueued(ownerWindow, WM_JOB_FINISHED);
}

int32_t ConfigJob::SetupSequence(int32_t& restartNeeded) {
  if (firewallSetting.AddSuiteExceptions() < 0) return JobFirewallChangeFailed;
  if (!programUpdate.IsUpdateNeeded()) return JobOk;

  // Lives for the update only: its end closes the service control manager.
  SuiteEnvironment suite;
  int32_t mayStop = 1;
  suite.DetectSuite();
  if (!suite.IsSpoolerRunning()) mayStop = 0;
  // Asked in every case; another user's panel must not be closed under him.
  const int otherUsers = HasOtherUserSessions();
  const bool stopping = !otherUsers && mayStop;
  if (stopping) suite.StopStatusServer();
  if (programUpdate.InstallUpdate() == 1) restartNeeded = 1;
  // Also after a failed stop: what it took down before failing comes back.
  if (stopping) suite.RestartStatusServer();
  if (suite.serverStopped) serverOutcome = suite.serverRestarted ? SuiteRestarted : SuiteNotRestarted;
  if (suite.panelClosed) panelOutcome = suite.panelRelaunched ? SuiteRestarted : SuiteNotRestarted;
  return JobOk;
}

int32_t ConfigJob::RemovalSequence() {
  if (firewallSetting.HasSuiteExceptions() != 1) return JobOk;
  return firewallSetting.RemoveSuiteExceptions() < 0 ? JobFirewallChangeFailed : JobOk;
}
