#include "ui/work_dialog.h"

void WorkDialog::SetJob(WorkerJob* newJob) { job = newJob; }

void WorkDialog::StartSetupJob(DialogView& view, BOOL scopeAny) {
  if (job) job->Start(view.Window(), JobModeSetup, scopeAny);
}

void WorkDialog::StartRemovalJob(DialogView& view, BOOL disableSharing) {
  if (job) job->Start(view.Window(), JobModeRemoval, disableSharing);
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
