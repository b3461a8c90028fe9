#include "ui/win32/win32_dialog.h"

#include <utility>

#include "common/job_protocol.h"
#include "ui/dialog_ids.h"
#include "ui/win32/window_place.h"

INT_PTR CALLBACK Win32Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    reinterpret_cast<Win32Dialog*>(lParam)->OnInit(window);
    return TRUE;  // the focus to the first tab stop
  }
  Win32Dialog* dialog = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  return dialog ? dialog->Handle(message, wParam, lParam) : FALSE;
}

bool Win32Dialog::Refuses(const MSG& message) const {
  if (!window_ || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
  return controller_.FilterInput(message.message);
}

void Win32Dialog::OnInit(HWND window) {
  window_ = window;
  CenterWhenUnowned(window);
  if (HWND box = Item(kReadmeBox)) readme_.Attach(box, controller_, *this);
  controller_.OnInitDialog(*this);
}

void Win32Dialog::OnCommand(int id, int code) {
  if (code == EN_VSCROLL) {
    controller_.OnBoxScrolled(*this, id);
  } else if (code == BN_CLICKED) {
    if (id == IDOK)
      controller_.OnOK(*this);
    else if (id == IDCANCEL)
      controller_.OnCancel(*this);
    else
      controller_.OnClicked(*this, id);
  }
}

INT_PTR Win32Dialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SHOWWINDOW:
      if (wParam && !shown_) {
        shown_ = true;
        controller_.OnFirstShow(*this);
      }
      return FALSE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (readme_.Box() && reinterpret_cast<HWND>(lParam) == readme_.Box())
        return reinterpret_cast<INT_PTR>(readme_.Paint(reinterpret_cast<HDC>(wParam)));
      return FALSE;
    case WM_SYSCOLORCHANGE:
      readme_.ReadSystemColours();
      return FALSE;
    case WM_SETCURSOR:
      return controller_.OnSetCursor(*this) ? Answer(TRUE) : FALSE;
    case WM_JOB_STARTED:
      controller_.OnJobStarted(*this);
      return Answer(1);
    case WM_JOB_FINISHED:
      controller_.OnJobFinished(*this);
      return Answer(1);
    case WM_DESTROY:
      readme_.Detach();
      boldFont_.reset();
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR Win32Dialog::Answer(LRESULT result) {
  SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
  return TRUE;
}

void Win32Dialog::EnableControl(int id, bool enabled) { EnableWindow(Item(id), enabled ? TRUE : FALSE); }

bool Win32Dialog::IsChecked(int id) const { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }

void Win32Dialog::SetChecked(int id, bool checked) {
  CheckDlgButton(window_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32Dialog::SetControlText(int id, const std::string& text) { SetDlgItemTextA(window_, id, text.c_str()); }

void Win32Dialog::MakeFontBold(int id) {
  HWND control = Item(id);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  LOGFONTA description;
  if (!font || GetObjectA(font, sizeof description, &description) != sizeof description) return;
  description.lfWeight = FW_BOLD;
  UniqueFont bold(CreateFontIndirectA(&description));
  if (!bold) return;
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(bold.get()), FALSE);
  boldFont_ = std::move(bold);
}

void Win32Dialog::PutCaretAtStart(int id) {
  HWND box = Item(id);
  SendMessageA(box, EM_SETSEL, 0, 0);
  SendMessageA(box, EM_SCROLLCARET, 0, 0);
}

void Win32Dialog::AddTabStop(int id) {
  HWND control = Item(id);
  SetWindowLongA(control, GWL_STYLE, GetWindowLongA(control, GWL_STYLE) | WS_TABSTOP);
}

void Win32Dialog::SetButtonPressed(int id, bool pressed) {
  SendMessageA(Item(id), BM_SETSTATE, pressed ? TRUE : FALSE, 0);
}

void Win32Dialog::ShowCursor(DialogCursor cursor) {
  SetCursor(LoadCursorA(nullptr, cursor == DialogCursor::Wait ? IDC_WAIT : IDC_ARROW));
}

ScrollState Win32Dialog::VerticalScroll(int id) const {
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(Item(id), SB_VERT, &info)) return ScrollState{};
  ScrollState scroll;
  scroll.position = static_cast<unsigned>(info.nPos);
  scroll.maximum = static_cast<unsigned>(info.nMax);
  scroll.page = info.nPage;
  return scroll;
}

void Win32Dialog::EndDialog(INT_PTR result) { ::EndDialog(window_, result); }
