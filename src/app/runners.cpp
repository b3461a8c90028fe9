// The three runners: the Setup wizard, the Removal dialog and the silent
// Setup.
#include "app/config_job.h"
#include "app/tool_app.h"
#include "ui/consent_dialog.h"
#include "ui/dialog_ids.h"
#include "ui/intro_dialog.h"
#include "ui/message_catalogue.h"
#include "ui/removal_dialog.h"

namespace {

// What the work did, read once the worker has ended, for the run's report.
void NoteWork(const ConfigJob& job, RunReport& report) {
  report.workDone = 1;
  for (int profile = 0; profile < 2; ++profile)
    report.exceptions[profile] = job.firewallSetting.changedInProfile[profile];
  const int32_t sharing = job.firewallSetting.sharingResult;
  report.sharing = sharing < 0 ? SharingFailed
                   : sharing == 0 ? SharingUnchanged
                   : job.mode == JobModeRemoval ? SharingOff
                                                : SharingOn;
  for (int row = 0; row < 2; ++row) {
    const int32_t installed = job.programUpdate.installResults[row];
    report.files[row] = installed == 0 || installed == 1 ? FileReplaced
                        : installed == -1               ? FileAtRestart
                        : installed == 2                ? FileUnchanged
                                                        : FileFailed;
  }
  report.service = job.serverOutcome;
  report.panel = job.panelOutcome;
  if (job.restartNeeded) report.restart = RestartLeftPending;
}

}  // namespace

int32_t RunSetupWizard(DialogRunner& dialogs, int32_t& restart, RunReport& report) {
  ConfigJob job;
  restart = 0;

  IntroDialog intro;
  if (dialogs.RunModal(kIntroDialogTemplate, intro) != IDOK) return JobOk;

  int32_t result = job.PreCheck(JobModeSetup);
  if (result != JobOk) {
    ShowResultMessage(JobModeSetup, result);
    return result;
  }

  // The consent dialog runs the work and ends with OK once it has ended.
  ConsentDialog consent;
  consent.SetJob(&job);
  if (dialogs.RunModal(kConsentDialogTemplate, consent) != IDOK) return JobOk;

  NoteWork(job, report);
  result = job.result;
  if (result != JobOk) {
    ShowResultMessage(JobModeSetup, result);
    return result;
  }
  if (job.restartNeeded) {
    restart = AskRestart();
  } else {
    ShowDoneMessage(JobModeSetup);
  }
  return JobOk;
}

int32_t RunRemoval(DialogRunner& dialogs, RunReport& report) {
  ConfigJob job;
  int32_t result = job.PreCheck(JobModeRemoval);
  if (result != JobOk) {
    ShowResultMessage(JobModeRemoval, result);
    return result;
  }

  RemovalDialog removal;
  removal.SetJob(&job);
  if (dialogs.RunModal(kRemovalDialogTemplate, removal) != IDOK) return JobOk;

  NoteWork(job, report);
  result = job.result;
  if (result == JobOk) {
    ShowDoneMessage(JobModeRemoval);
  } else {
    ShowResultMessage(JobModeRemoval, result);
  }
  return result;
}

int32_t RunSilentSetup(int32_t& restart, BOOL scopeAny, RunReport& report) {
  ConfigJob job;
  restart = 0;
  int32_t result = job.PreCheck(JobModeSetup);
  if (result != JobOk) return result;

  // A worker that could not be started did nothing: the firewall settings
  // were not made, and the run must not pass for done.
  if (!job.Start(nullptr, JobModeSetup, scopeAny)) return JobFirewallChangeFailed;
  job.Wait();
  NoteWork(job, report);
  result = job.result;
  if (result == JobOk) restart = job.restartNeeded;
  return result;
}
