#include "ui/removal_dialog.h"

#include "ui/dialog_ids.h"

void RemovalDialog::ReadControls(const DialogView& view) {
  removePermission = view.IsChecked(kRemovePermissionCheckBox) ? TRUE : FALSE;
  disableSharing = view.IsChecked(kDisableSharingCheckBox) ? TRUE : FALSE;
}

void RemovalDialog::WriteControls(DialogView& view) const {
  view.SetChecked(kRemovePermissionCheckBox, removePermission != FALSE);
  view.SetChecked(kDisableSharingCheckBox, disableSharing != FALSE);
}

void RemovalDialog::FollowPermission(DialogView& view) const {
  const bool enabled = removePermission != FALSE;
  view.EnableControl(kDisableSharingCheckBox, enabled);
  view.EnableControl(kDisableSharingText, enabled);
  view.EnableControl(IDOK, enabled);
}

void RemovalDialog::OnInitDialog(DialogView& view) {
  WriteControls(view);
  ReadControls(view);
  FollowPermission(view);
}

void RemovalDialog::OnClicked(DialogView& view, int id) {
  if (id != kRemovePermissionCheckBox) return;
  ReadControls(view);
  FollowPermission(view);
  if (!removePermission) disableSharing = FALSE;
  WriteControls(view);
}

void RemovalDialog::OnOK(DialogView& view) {
  ReadControls(view);
  if (removePermission) StartRemovalJob(view, disableSharing);
}
