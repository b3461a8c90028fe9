// The removal dialog (template 104): remove the suite's network permission
// (1001) and, only then, also switch File and Printer Sharing off (1002,
// explained by 1003); OK runs the Removal work while the dialog stays on
// screen.
#ifndef KV_UI_REMOVAL_DIALOG_H
#define KV_UI_REMOVAL_DIALOG_H

#include "ui/work_dialog.h"

class RemovalDialog : public WorkDialog {
 public:
  // 1002, 1003 and OK follow 1001, which starts cleared.
  void OnInitDialog(DialogView& view) override;
  // 1001: 1002, 1003 and OK follow it; clearing it clears 1002.
  void OnClicked(DialogView& view, int id) override;
  // With 1001 ticked: the Removal work with the sharing choice, the dialog
  // stays open. Otherwise nothing.
  void OnOK(DialogView& view) override;

  BOOL removePermission = FALSE;  // check box 1001
  BOOL disableSharing = FALSE;    // check box 1002

 private:
  void ReadControls(const DialogView& view);
  void WriteControls(DialogView& view) const;
  void FollowPermission(DialogView& view) const;
};

#endif  // KV_UI_REMOVAL_DIALOG_H
