#include "ui/consent_dialog.h"

#include "ui/dialog_ids.h"
#include "ui/readme_text.h"

namespace {

const int kRadioGroup[] = {kAgreeButton, kDisagreeButton};

}  // namespace

void ConsentDialog::ReadControls(const DialogView& view) {
  agreeChoice = -1;
  for (int32_t index = 0; index < 2; ++index) {
    if (view.IsChecked(kRadioGroup[index])) {
      agreeChoice = index;
      break;
    }
  }
  scopeAnyChecked = view.IsChecked(kScopeAnyCheckBox) ? TRUE : FALSE;
}

void ConsentDialog::WriteControls(DialogView& view) const {
  for (int32_t index = 0; index < 2; ++index) view.SetChecked(kRadioGroup[index], agreeChoice == index);
  view.SetChecked(kScopeAnyCheckBox, scopeAnyChecked != FALSE);
}

void ConsentDialog::OnInitDialog(DialogView& view) {
  WriteControls(view);
  view.EnableControl(IDOK, false);
  view.EnableControl(kAgreeButton, false);
  view.EnableControl(kScopeAnyCheckBox, false);
  readme.enableAtEndId = kAgreeButton;
  view.SetControlText(kReadmeBox, LoadToolReadme());
  firstShow = TRUE;
  view.MakeFontBold(kHeading);
  WriteControls(view);
}

void ConsentDialog::OnFirstShow(DialogView& view) {
  if (!firstShow) return;
  view.PutCaretAtStart(kReadmeBox);
  firstShow = FALSE;
  view.AddTabStop(kDisagreeButton);
  readme.countsScrolling = true;
}

void ConsentDialog::OnClicked(DialogView& view, int id) {
  if (id != kAgreeButton && id != kDisagreeButton) return;
  ReadControls(view);
  if (agreeChoice == -1) return;
  view.EnableControl(IDOK, true);
  if (id == kAgreeButton) {
    view.EnableControl(kScopeAnyCheckBox, true);
    return;
  }
  view.EnableControl(kScopeAnyCheckBox, false);
  scopeAnyChecked = FALSE;
  WriteControls(view);
}

void ConsentDialog::OnOK(DialogView& view) {
  ReadControls(view);
  if (agreeChoice == 0)
    StartSetupJob(view, scopeAnyChecked);
  else
    view.EndDialog(IDCANCEL);
}

void ConsentDialog::OnBoxScrolled(DialogView& view, int id) {
  if (id == kReadmeBox) readme.OnScrolled(view, id);
}

void ConsentDialog::OnBoxScrollBar(DialogView& view, int id, unsigned position) {
  if (id == kReadmeBox) readme.OnScrollBar(view, id, position);
}
