// The busy protocol of the dialogs that run the job: between the worker's
// two messages the dialog refuses input and cannot be closed, then it ends
// with OK.
#include "app/config_job.h"
#include "dialog_fixture.h"
#include "suite_fixture.h"
#include "ui/consent_dialog.h"
#include "ui/dialog_ids.h"
#include "ui/removal_dialog.h"
#include "update_fixture.h"
#include "winsim/firewall_control.h"
#include "winsim/thread_control.h"

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
      {DoubleClick(kDisableSharingCheckBox), {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}},
      {PressAltF4(), {}},
      {ClickCloseBox(), {}},
  };
  for (const auto& c : cases) {
    const std::string name = c.action.Describe();
    user.Script(kRemovalDialogTemplate, {MoveMouse(), Click(kRemovePermissionCheckBox), PostToDialog(WM_JOB_STARTED),
                                         c.action, MoveMouse(), PostToDialog(WM_JOB_FINISHED)});
    RemovalDialog dialog;
    EXPECT_EQ(user.RunModal(kRemovalDialogTemplate, dialog), IDOK) << name;
    const DialogRecord& run = user.Last(kRemovalDialogTemplate);
    ASSERT_EQ(run.steps.size(), 6u) << name;
    for (int before : {0, 1}) {
      EXPECT_TRUE(run.steps[before].swallowed.empty()) << name << ": before the work input goes through";
      EXPECT_EQ(run.steps[before].cursor, DialogCursor::Arrow) << name;
    }
    const StepRecord& busy = run.steps[3];
    EXPECT_TRUE(busy.jobRunning) << name;
    EXPECT_EQ(busy.swallowed, c.swallowed) << name;
    EXPECT_EQ(Choices(busy.controls), Choices(run.steps[2].controls)) << name;
    const StepRecord& moved = run.steps[4];
    EXPECT_EQ(moved.cursor, DialogCursor::Wait) << name;
    EXPECT_EQ(moved.pressedSet, (std::vector<std::pair<int, bool>>{{IDOK, true}})) << name << ": pressed again";
    EXPECT_EQ(run.cursor, DialogCursor::Arrow) << name;
    EXPECT_FALSE(run.controls.at(IDOK).pressed) << name;
    EXPECT_EQ(run.delivered, (std::vector<UINT>{WM_JOB_STARTED, WM_JOB_FINISHED})) << name;
    EXPECT_FALSE(dialog.busy) << name;
  }
}

// The real job: its worker runs the Setup work beside the consent dialog,
// which gets the user's input while the worker is inside a wait.
class WorkerBesideDialogTest : public SuiteTest {
 protected:
  ScriptedDialogs user;
};

TEST_F(WorkerBesideDialogTest, TheDialogRefusesInputWhileTheWorkerWaits) {
  InstallSuite();
  OpenPanel();  // with the panel running, the stop first hands printer status off and pauses 5 s
  winsim::AddFile(kServer, VersionedImage({1, 0, 0, 0}));
  winsim::AddFile("C:\\KVTOOL\\ZAMWTQNT.EX_", Compressed(VersionedImage({2, 0, 0, 0})));
  WriteReadme(40);
  const uint64_t start = winsim::NowMs();

  ConfigJob job;
  ConsentDialog dialog;
  dialog.SetJob(&job);
  // The first actions after OK come before the worker's first message: the
  // dialog is busy from OK on.
  user.Script(kConsentDialogTemplate,
              {ScrollReadmeToEnd(ScrollWay::ScrollBar), Click(kAgreeButton), Click(kScopeAnyCheckBox), PressOk(),
               AtOnce(PressEsc()), AtOnce(Click(IDCANCEL)), AtOnce(ClickCloseBox()), AtOnce(PressOk()),
               PressEsc(), Click(IDCANCEL), Click(kScopeAnyCheckBox), MoveMouse(), LetClockReach(start + 2000),
               PressAltF4(), ClickCloseBox(), MoveMouse()});
  EXPECT_EQ(user.RunModal(kConsentDialogTemplate, dialog), IDOK);

  EXPECT_EQ(job.workerThread, nullptr) << "the dialog joined the worker";
  EXPECT_EQ(winsim::CallsTo("CreateThread").size(), 1u);
  EXPECT_EQ(job.result, JobOk);
  for (const winsim::FirewallApp& app : winsim::FirewallApps(NET_FW_PROFILE_STANDARD))
    EXPECT_EQ(app.scope, NET_FW_SCOPE_ALL) << "the scope box was ticked";
  EXPECT_EQ(winsim::FirewallApps(NET_FW_PROFILE_STANDARD).size(), 2u);
  const DialogRecord& run = user.Last(kConsentDialogTemplate);
  ASSERT_EQ(run.steps.size(), 16u);
  for (size_t i = 4; i < run.steps.size(); ++i) {
    const StepRecord& step = run.steps[i];
    EXPECT_EQ(step.jobRunning, i >= 8) << step.action;
    EXPECT_TRUE(step.workerAlive) << step.action;
    EXPECT_LT(step.clockMs, start + 5000) << step.action << ": the worker is inside its first wait";
    EXPECT_EQ(Choices(step.controls), Choices(run.steps[3].controls)) << step.action;
    EXPECT_EQ(step.cursor, DialogCursor::Wait) << step.action;
  }
  EXPECT_EQ(run.steps[13].clockMs, start + 2000);
  EXPECT_GE(winsim::NowMs(), start + 5000);
  EXPECT_EQ(run.cursor, DialogCursor::Arrow);
  EXPECT_EQ(winsim::ServiceState("ZAMWTQNT"), static_cast<DWORD>(SERVICE_RUNNING));
}

}  // namespace
