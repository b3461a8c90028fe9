// The introduction (template 105): what the tool will do, Next or Cancel.
// A plain modal dialog: Next (OK) ends it with IDOK; Cancel, Esc and the
// close box with IDCANCEL.
#ifndef KV_UI_INTRO_DIALOG_H
#define KV_UI_INTRO_DIALOG_H

#include "ui/dialog_view.h"

class IntroDialog : public DialogController {};

#endif  // KV_UI_INTRO_DIALOG_H
