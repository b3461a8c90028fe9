// The three runners: the Setup wizard, the Removal dialog and the silent
// Setup.
#include "app/config_job.h"
#include "app/tool_app.h"
#include "ui/consent_dialog.h"
#include "ui/dialog_ids.h"
#include "ui/intro_dialog.h"
#include "ui/message_catalogue.h"
#include "ui/removal_dialog.h"

int32_t RunSetupWizard(DialogRunner& dialogs, int32_t& restart) {
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

int32_t RunRemoval(DialogRunner& dialogs) {
  ConfigJob job;
  int32_t result = job.PreCheck(JobModeRemoval);
  if (result != JobOk) {
    ShowResultMessage(JobModeRemoval, result);
    return result;
  }

  RemovalDialog removal;
  removal.SetJob(&job);
  if (dialogs.RunModal(kRemovalDialogTemplate, removal) != IDOK) return JobOk;

  result = job.result;
  if (result == JobOk) {
    ShowDoneMessage(JobModeRemoval);
  } else {
    ShowResultMessage(JobModeRemoval, result);
  }
  return result;
}

int32_t RunSilentSetup(int32_t& restart, BOOL scopeAny) {
  ConfigJob job;
  restart = 0;
  int32_t result = job.PreCheck(JobModeSetup);
  if (result != JobOk) return result;

  // A worker that could not be started did nothing: the firewall settings
  // were not made, and the run must not pass for done.
  if (!job.Start(nullptr, JobModeSetup, scopeAny)) return JobFirewallChangeFailed;
  job.Wait();
  result = job.result;
  if (result == JobOk) restart = job.restartNeeded;
  return result;
}
