// The portable side of the tool's dialogs.
//
// A dialog's behaviour is a DialogController: it reacts to a few events
// (initialisation, first showing, a click, a scroll of a box, OK, Cancel, the
// job's two messages, input about to be dispatched, a cursor request) and
// acts on the dialog through a DialogView. A DialogRunner shows a dialog
// modally: on Windows from the program's templates, in tests as a scripted
// user. Nothing here includes anything of Windows but the seam.
#ifndef KV_UI_DIALOG_VIEW_H
#define KV_UI_DIALOG_VIEW_H

#include <string>

#include "win32api.h"

enum class DialogCursor { Arrow, Wait };

// A box's vertical scroll state, as the platform reports it.
struct ScrollState {
  unsigned position = 0;
  unsigned maximum = 0;
  unsigned page = 0;
};

// What a dialog's behaviour can do to its window and controls. Control ids
// are those of the templates (src/ui/dialog_ids.h); OK is IDOK (1).
class DialogView {
 public:
  virtual ~DialogView() = default;
  // The dialog's window: where the job posts WM_JOB_STARTED and
  // WM_JOB_FINISHED.
  virtual HWND Window() const = 0;
  virtual void EnableControl(int id, bool enabled) = 0;
  virtual bool IsChecked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  virtual void SetControlText(int id, const std::string& text) = 0;
  // Gives the control a bold copy of its font; the view keeps the font
  // until the dialog is destroyed.
  virtual void MakeFontBold(int id) = 0;
  // Caret at the very start of a box, nothing selected, scrolled into view.
  virtual void PutCaretAtStart(int id) = 0;
  virtual void AddTabStop(int id) = 0;
  virtual void SetButtonPressed(int id, bool pressed) = 0;
  virtual void ShowCursor(DialogCursor cursor) = 0;
  virtual ScrollState VerticalScroll(int id) const = 0;
  virtual void EndDialog(INT_PTR result) = 0;
};

// A dialog's behaviour. The default reactions are those of a plain modal
// dialog: OK and Cancel end it with IDOK and IDCANCEL.
class DialogController {
 public:
  virtual ~DialogController() = default;
  // The controls exist, in their template state.
  virtual void OnInitDialog(DialogView& view) { (void)view; }
  // The dialog is being shown for the first time.
  virtual void OnFirstShow(DialogView& view) { (void)view; }
  // A button, radio button or check box was clicked (after an automatic
  // button changed its own state).
  virtual void OnClicked(DialogView& view, int id) { (void)view, (void)id; }
  // OK: the OK button, or Enter on the default button.
  virtual void OnOK(DialogView& view) { view.EndDialog(IDOK); }
  // Cancel: the Cancel button, Esc, Alt+F4 or the close box.
  virtual void OnCancel(DialogView& view) { view.EndDialog(IDCANCEL); }
  // A box told its dialog that it scrolled vertically (the current position
  // is read from the view).
  virtual void OnBoxScrolled(DialogView& view, int id) { (void)view, (void)id; }
  // A box's own vertical scroll bar moved it, to the position the message
  // carries.
  virtual void OnBoxScrollBar(DialogView& view, int id, unsigned position) { (void)view, (void)id, (void)position; }
  // Input (WM_KEYDOWN, WM_LBUTTONDOWN ...) is about to reach the dialog or
  // one of its controls: true swallows it.
  virtual bool FilterInput(UINT message) { (void)message; return false; }
  // The cursor is to be set over the dialog: true when handled.
  virtual bool OnSetCursor(DialogView& view) { (void)view; return false; }
  // The job's worker started, and finished (WM_JOB_STARTED, WM_JOB_FINISHED).
  virtual void OnJobStarted(DialogView& view) { (void)view; }
  virtual void OnJobFinished(DialogView& view) { (void)view; }
};

// Shows a dialog modally, without an owner window, until it ends; its
// result (IDOK, IDCANCEL), or -1 when it could not be shown.
class DialogRunner {
 public:
  virtual ~DialogRunner() = default;
  virtual INT_PTR RunModal(int templateId, DialogController& controller) = 0;
};

#endif  // KV_UI_DIALOG_VIEW_H
