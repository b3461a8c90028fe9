// The common behaviour of the dialogs that run the job: the dialog on which
// the user pressed OK stays on screen while the job's worker runs and shows
// that it is busy (wait cursor, OK held pressed, keyboard and left-button
// input refused, Cancel ignored) from the press of OK until the worker
// reports its end; then it joins the worker and closes with OK.
#ifndef KV_UI_WORK_DIALOG_H
#define KV_UI_WORK_DIALOG_H

#include "common/job_protocol.h"
#include "ui/dialog_view.h"

class WorkDialog : public DialogController {
 public:
  // The job of the run, owned by the runner; set before the dialog is shown.
  void SetJob(WorkerJob* job);
  // Start the job's work, if there is a job, with this dialog's window as
  // the owner of the worker's messages. The dialog is busy from here on, and
  // ends only on the worker's WM_JOB_FINISHED; when no worker can be
  // started, it ends at once with IDOK and the job's result tells.
  void StartSetupJob(DialogView& view, BOOL scopeAny);
  void StartRemovalJob(DialogView& view, BOOL disableSharing);
  // Wait cursor at once, and `buttonId` (when not 0) held pressed.
  void BeginBusy(DialogView& view, int buttonId);
  // Arrow cursor, the pressed button released.
  void EndBusy(DialogView& view);

  // OK does nothing here: each dialog decides.
  void OnOK(DialogView& view) override;
  // Ignored while busy; otherwise ends the dialog with IDCANCEL.
  void OnCancel(DialogView& view) override;
  // While busy: key down and up, left button down, up and double-click are
  // swallowed.
  bool FilterInput(UINT message) override;
  // While busy: the wait cursor and the pressed button again, handled.
  bool OnSetCursor(DialogView& view) override;
  void OnJobStarted(DialogView& view) override;
  // Joins the worker, leaves the busy state and ends the dialog with IDOK,
  // whatever the job's result.
  void OnJobFinished(DialogView& view) override;

  BOOL busy = FALSE;
  int pressedButtonId = 0;
  WorkerJob* job = nullptr;

 private:
  void StartJob(DialogView& view, int32_t mode, BOOL choice);
};

#endif  // KV_UI_WORK_DIALOG_H
