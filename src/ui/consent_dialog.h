// The consent dialog (template 103): the explanation from "Readme.txt" in a
// read-only box, agree or disagree (agree only once the explanation has
// been scrolled to its end), the choice to open the suite's exceptions to
// any address, and OK, which with agree runs the Setup work while the dialog
// stays on screen.
#ifndef KV_UI_CONSENT_DIALOG_H
#define KV_UI_CONSENT_DIALOG_H

#include <cstdint>

#include "ui/readme_edit.h"
#include "ui/work_dialog.h"

class ConsentDialog : public WorkDialog {
 public:
  // OK, agree and the scope check box disabled; the read-me loaded; the
  // heading bold.
  void OnInitDialog(DialogView& view) override;
  // The read-me from its first line, nothing selected; the disagree button
  // becomes a tab stop so that the keyboard reaches the radio group while
  // agree is disabled. Only from here on does scrolling count.
  void OnFirstShow(DialogView& view) override;
  void OnClicked(DialogView& view, int id) override;
  // Agree: the Setup work with the scope choice, the dialog stays open.
  // Disagree or no choice: ends the dialog with IDCANCEL.
  void OnOK(DialogView& view) override;
  void OnBoxScrolled(DialogView& view, int id) override;
  void OnBoxScrollBar(DialogView& view, int id, unsigned position) override;

  ReadmeEdit readme;
  int32_t agreeChoice = -1;  // checked radio button of 1000/1001: 0 agree, 1 disagree, -1 none
  BOOL scopeAnyChecked = FALSE;
  BOOL firstShow = FALSE;  // set at initialisation, cleared by the first showing

 private:
  void ReadControls(const DialogView& view);
  void WriteControls(DialogView& view) const;
};

#endif  // KV_UI_CONSENT_DIALOG_H
