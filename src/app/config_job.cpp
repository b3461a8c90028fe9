#include "app/config_job.h"

#include "suite/service_control.h"
#include "suite/suite_environment.h"
#include "suite/user_sessions.h"

namespace {

DWORD WINAPI RunJob(LPVOID job) {
  static_cast<ConfigJob*>(job)->Run();
  return 0;
}

}  // namespace

ConfigJob::ConfigJob()
    : ownerWindow(nullptr), workerThread(nullptr), mode(JobModeSetup), result(JobOk), restartNeeded(0) {}

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

void ConfigJob::Start(HWND owner, int32_t mode, BOOL choice) {
  if (workerThread) return;
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
}

void ConfigJob::Wait() {
  if (!workerThread) return;
  WaitForSingleObject(workerThread, INFINITE);
  CloseHandle(workerThread);
  workerThread = nullptr;
}

void ConfigJob::Run() {
  if (ownerWindow) PostMessageA(ownerWindow, WM_JOB_STARTED, 0, 0);
  const int32_t outcome = mode == JobModeSetup ? SetupSequence(restartNeeded) : RemovalSequence();
  result = outcome;
  if (ownerWindow) PostMessageA(ownerWindow, WM_JOB_FINISHED, 0, 0);
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
  return JobOk;
}

int32_t ConfigJob::RemovalSequence() {
  if (firewallSetting.HasSuiteExceptions() != 1) return JobOk;
  return firewallSetting.RemoveSuiteExceptions() < 0 ? JobFirewallChangeFailed : JobOk;
}
