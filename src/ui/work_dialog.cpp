#include "ui/work_dialog.h"

void WorkDialog::SetJob(WorkerJob* newJob) { job = newJob; }

void WorkDialog::StartSetupJob(DialogView& view, BOOL scopeAny) { StartJob(view, JobModeSetup, scopeAny); }

void WorkDialog::StartRemovalJob(DialogView& view, BOOL disableSharing) {
  StartJob(view, JobModeRemoval, disableSharing);
}

void WorkDialog::StartJob(DialogView& view, int32_t mode, BOOL choice) {
  if (!job) return;
  // Busy before the worker exists: a key pressed before its first message
  // arrives must not end the dialog while it works.
  BeginBusy(view, IDOK);
  if (job->Start(view.Window(), mode, choice)) return;
  // No worker: nothing was done and nothing will be posted. The dialog ends
  // as after the work, and the runner reports the job's result.
  EndBusy(view);
  view.EndDialog(IDOK);
}

void WorkDialog::BeginBusy(DialogView& view, int buttonId) {
  busy = TRUE;
  pressedButtonId = buttonId;
  view.ShowCursor(DialogCursor::Wait);
  if (buttonId != 0) view.SetButtonPressed(buttonId, true);
}

void WorkDialog::EndBusy(DialogView& view) {
  view.ShowCursor(DialogCursor::Arrow);
  if (pressedButtonId != 0) view.SetButtonPressed(pressedButtonId, false);
  busy = FALSE;
  pressedButtonId = 0;
}

void WorkDialog::OnOK(DialogView&) {}

void WorkDialog::OnCancel(DialogView& view) {
  if (!busy) view.EndDialog(IDCANCEL);
}

bool WorkDialog::FilterInput(UINT message) {
  if (!busy) return false;
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

bool WorkDialog::OnSetCursor(DialogView& view) {
  if (!busy) return false;
  view.ShowCursor(DialogCursor::Wait);
  if (pressedButtonId != 0) view.SetButtonPressed(pressedButtonId, true);
  return true;
}

void WorkDialog::OnJobStarted(DialogView& view) { BeginBusy(view, IDOK); }

void WorkDialog::OnJobFinished(DialogView& view) {
  if (job) job->Wait();
  EndBusy(view);
  view.EndDialog(IDOK);
}
