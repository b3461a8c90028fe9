// The removal dialog: File and Printer Sharing can be switched off only
// together with removing the suite's permission.
#include "dialog_fixture.h"
#include "ui/dialog_ids.h"
#include "ui/removal_dialog.h"

namespace {

class RemovalDialogTest : public DialogTest {};

TEST_F(RemovalDialogTest, SharingAndOkFollowTheRemovalChoice) {
  const struct {
    const char* name;
    std::vector<UserAction> script;
    bool removeChecked, sharingChecked, sharingEnabled, okEnabled;
  } cases[] = {
      {"untouched", {}, false, false, false, false},
      {"sharing alone cannot be ticked", {Click(kDisableSharingCheckBox)}, false, false, false, false},
      {"removal ticked", {Click(kRemovePermissionCheckBox)}, true, false, true, true},
      {"both ticked", {Click(kRemovePermissionCheckBox), Click(kDisableSharingCheckBox)}, true, true, true, true},
      {"removal cleared clears sharing",
       {Click(kRemovePermissionCheckBox), Click(kDisableSharingCheckBox), Click(kRemovePermissionCheckBox)},
       false, false, false, false},
      {"removal ticked again leaves sharing clear",
       {Click(kRemovePermissionCheckBox), Click(kDisableSharingCheckBox), Click(kRemovePermissionCheckBox),
        Click(kRemovePermissionCheckBox)},
       true, false, true, true},
      {"OK refused without removal", {PressOk(), PressEnter()}, false, false, false, false},
  };
  for (const auto& c : cases) {
    std::vector<UserAction> script = c.script;
    script.push_back(PressEsc());
    user.Script(kRemovalDialogTemplate, script);
    RemovalDialog dialog;
    EXPECT_EQ(user.RunModal(kRemovalDialogTemplate, dialog), IDCANCEL) << c.name;
    const ControlStates& end = user.Last(kRemovalDialogTemplate).controls;
    EXPECT_EQ(end.at(kRemovePermissionCheckBox).checked, c.removeChecked) << c.name;
    EXPECT_EQ(end.at(kDisableSharingCheckBox).checked, c.sharingChecked) << c.name;
    EXPECT_EQ(end.at(kDisableSharingCheckBox).enabled, c.sharingEnabled) << c.name;
    EXPECT_EQ(end.at(kDisableSharingText).enabled, c.sharingEnabled) << c.name;
    EXPECT_EQ(end.at(IDOK).enabled, c.okEnabled) << c.name;
    EXPECT_TRUE(end.at(kRemovePermissionCheckBox).enabled) << c.name;
    EXPECT_EQ(dialog.removePermission, c.removeChecked ? TRUE : FALSE) << c.name;
  }
}

}  // namespace
