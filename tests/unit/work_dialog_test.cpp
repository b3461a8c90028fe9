// The busy protocol of the dialogs that run the job: between the worker's
// two messages the dialog refuses input and cannot be closed, then it ends
// with OK.
#include "app/config_job.h"
#include "dialog_fixture.h"
#include "ui/dialog_ids.h"
#include "ui/removal_dialog.h"

namespace {

class WorkDialogTest : public DialogTest {};

// The enabled and checked state of every control.
std::map<int, std::pair<bool, bool>> Choices(const ControlStates& controls) {
  std::map<int, std::pair<bool, bool>> choices;
  for (const auto& entry : controls) choices[entry.first] = {entry.second.enabled, entry.second.checked};
  return choices;
}

TEST_F(WorkDialogTest, WhileBusyInputChangesNothingAndTheDialogStaysOpen) {
  const std::vector<UINT> kKey = {WM_KEYDOWN, WM_KEYUP};
  const std::vector<UINT> kButton = {WM_LBUTTONDOWN, WM_LBUTTONUP};
  const struct {
    UserAction action;
    std::vector<UINT> swallowed;
  } cases[] = {
      {PressEsc(), kKey},
      {PressEnter(), kKey},
      {Click(IDCANCEL), kButton},
      {PressOk(), kButton},
      {Click(kDisableSharingCheckBox), kButton},
      {Click(kRemovePermissionCheckBox), kButton},
      {PressAltF4(), {}},
      {ClickCloseBox(), {}},
  };
  for (const auto& c : cases) {
    const std::string name = c.action.Describe();
    user.Script(kRemovalDialogTemplate, {Click(kRemovePermissionCheckBox), PostToDialog(WM_JOB_STARTED), c.action,
                                         MoveMouse(), PostToDialog(WM_JOB_FINISHED)});
    RemovalDialog dialog;
    EXPECT_EQ(user.RunModal(kRemovalDialogTemplate, dialog), IDOK) << name;
    const DialogRecord& run = user.Last(kRemovalDialogTemplate);
    ASSERT_EQ(run.steps.size(), 5u) << name;
    const StepRecord& busy = run.steps[2];
    EXPECT_TRUE(busy.jobRunning) << name;
    EXPECT_EQ(busy.swallowed, c.swallowed) << name;
    EXPECT_EQ(Choices(busy.controls), Choices(run.steps[1].controls)) << name;
    const StepRecord& moved = run.steps[3];
    EXPECT_EQ(moved.cursor, DialogCursor::Wait) << name;
    EXPECT_TRUE(moved.controls.at(IDOK).pressed) << name;
    EXPECT_EQ(run.cursor, DialogCursor::Arrow) << name;
    EXPECT_FALSE(run.controls.at(IDOK).pressed) << name;
    EXPECT_EQ(run.delivered, (std::vector<UINT>{WM_JOB_STARTED, WM_JOB_FINISHED})) << name;
    EXPECT_FALSE(dialog.busy) << name;
  }
}

TEST_F(WorkDialogTest, BeforeAndAfterTheWorkInputIsNotFiltered) {
  user.Script(kRemovalDialogTemplate, {MoveMouse(), Click(kRemovePermissionCheckBox), PressEsc()});
  RemovalDialog dialog;
  EXPECT_EQ(user.RunModal(kRemovalDialogTemplate, dialog), IDCANCEL);
  const DialogRecord& run = user.Last(kRemovalDialogTemplate);
  for (const StepRecord& step : run.steps) {
    EXPECT_TRUE(step.swallowed.empty()) << step.action;
    EXPECT_EQ(step.cursor, DialogCursor::Arrow) << step.action;
    EXPECT_FALSE(step.jobRunning) << step.action;
  }
  EXPECT_TRUE(run.controls.at(kRemovePermissionCheckBox).checked);
}

}  // namespace
