// The DialogRunner of the Windows program: the templates of its own
// resources, shown modally without an owner window by the dialog manager.
#ifndef KV_UI_WIN32_WIN32_DIALOG_RUNNER_H
#define KV_UI_WIN32_WIN32_DIALOG_RUNNER_H

#include "ui/dialog_view.h"

class Win32DialogRunner : public DialogRunner {
 public:
  INT_PTR RunModal(int templateId, DialogController& controller) override;
};

#endif  // KV_UI_WIN32_WIN32_DIALOG_RUNNER_H
