// Refuses input to a modal dialog while its behaviour says so.
//
// The dialog manager's modal loop offers every message it takes from the
// queue to the thread's WH_MSGFILTER hooks (code MSGF_DIALOGBOX) before it
// translates and dispatches it; a message the hook claims is dropped. So the
// keyboard and mouse input of the dialog and of every control passes here,
// and the dialog decides (Win32Dialog::Refuses). System keys and the caption
// are no such input: Alt+F4 and the close box still become IDCANCEL, which
// the behaviour ignores while it is busy.
#ifndef KV_UI_WIN32_INPUT_FILTER_H
#define KV_UI_WIN32_INPUT_FILTER_H

#include "win32api.h"

class Win32Dialog;

class InputFilter {
 public:
  // Hooks the calling thread's modal loops for `dialog` until destroyed.
  explicit InputFilter(const Win32Dialog& dialog);
  ~InputFilter();
  InputFilter(const InputFilter&) = delete;
  InputFilter& operator=(const InputFilter&) = delete;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

  const Win32Dialog& dialog_;
  InputFilter* outer_;  // the filter of an enclosing modal loop, if any
  HHOOK hook_;
};

#endif  // KV_UI_WIN32_INPUT_FILTER_H
