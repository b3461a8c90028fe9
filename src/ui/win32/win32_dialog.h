// A dialog of the program's templates on Windows: the DialogView over the
// dialog's window and controls, and the dialog procedure that hands the
// window's events to a DialogController.
//
// Events: WM_INITDIALOG, the first WM_SHOWWINDOW that shows the window,
// WM_COMMAND (a click, OK, Cancel, a box's EN_VSCROLL), WM_SETCURSOR and the
// job's WM_JOB_STARTED and WM_JOB_FINISHED. Esc, the Cancel button, Alt+F4
// and the close box all arrive as IDCANCEL (the dialog manager turns
// SC_CLOSE into it). When the template has the read-me box (1004), it is a
// ReadmeBox. Input to be refused is asked for by the InputFilter.
#ifndef KV_UI_WIN32_WIN32_DIALOG_H
#define KV_UI_WIN32_WIN32_DIALOG_H

#include <string>

#include "ui/dialog_view.h"
#include "ui/win32/gdi_object.h"
#include "ui/win32/readme_box.h"
#include "win32api.h"

class Win32Dialog final : public DialogView {
 public:
  explicit Win32Dialog(DialogController& controller) : controller_(controller) {}
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;

  // The procedure of every template; the parameter of WM_INITDIALOG is the
  // Win32Dialog.
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // True when `message` is input for this dialog or one of its controls that
  // its behaviour refuses now.
  bool Refuses(const MSG& message) const;

  HWND Window() const override { return window_; }
  void EnableControl(int id, bool enabled) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  void SetControlText(int id, const std::string& text) override;
  void MakeFontBold(int id) override;
  void PutCaretAtStart(int id) override;
  void AddTabStop(int id) override;
  void SetButtonPressed(int id, bool pressed) override;
  void ShowCursor(DialogCursor cursor) override;
  ScrollState VerticalScroll(int id) const override;
  void EndDialog(INT_PTR result) override;

 private:
  void OnInit(HWND window);
  void OnCommand(int id, int code);
  // The procedure's answer to `message`; FALSE leaves it to the dialog
  // manager.
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // Handled, with `result` as the message's result.
  INT_PTR Answer(LRESULT result);
  HWND Item(int id) const { return GetDlgItem(window_, id); }

  DialogController& controller_;
  HWND window_ = nullptr;
  bool shown_ = false;
  UniqueFont boldFont_;  // given to a control, deleted with the dialog
  ReadmeBox readme_;
};

#endif  // KV_UI_WIN32_WIN32_DIALOG_H
