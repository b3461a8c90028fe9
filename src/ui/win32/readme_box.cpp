#include "ui/win32/readme_box.h"

ReadmeBox::~ReadmeBox() { Detach(); }

void ReadmeBox::Attach(HWND box, DialogController& controller, DialogView& view) {
  Detach();
  box_ = box;
  controller_ = &controller;
  view_ = &view;
  ReadSystemColours();
  SetWindowLongPtrA(box_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReadmeBox::Procedure)));
}

void ReadmeBox::Detach() {
  if (!box_) return;
  if (original_) SetWindowLongPtrA(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
  SetWindowLongPtrA(box_, GWLP_USERDATA, 0);
  box_ = nullptr;
  original_ = nullptr;
}

HBRUSH ReadmeBox::Paint(HDC dc) const {
  SetTextColor(dc, textColor_);
  SetBkColor(dc, backColor_);
  return backBrush_.get();
}

void ReadmeBox::ReadSystemColours() {
  if (!box_) return;
  textColor_ = GetSysColor(COLOR_WINDOWTEXT);
  backColor_ = GetSysColor(COLOR_WINDOW);
  backBrush_ = UniqueBrush(CreateSolidBrush(backColor_));
}

LRESULT CALLBACK ReadmeBox::Procedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  ReadmeBox* self = reinterpret_cast<ReadmeBox*>(GetWindowLongPtrA(box, GWLP_USERDATA));
  if (!self || !self->original_) return DefWindowProcA(box, message, wParam, lParam);
  if (message == WM_VSCROLL) self->controller_->OnBoxScrollBar(*self->view_, GetDlgCtrlID(box), HIWORD(wParam));
  return CallWindowProcA(self->original_, box, message, wParam, lParam);
}
