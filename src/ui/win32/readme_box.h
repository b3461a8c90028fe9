// The consent dialog's read-me box on Windows. It is read-only, yet shows
// the colours of a writable box (window text on the window background)
// instead of the dialog's face; and its own vertical scroll-bar messages
// reach the dialog's behaviour with the position they carry, before the box
// handles them as usual.
#ifndef KV_UI_WIN32_README_BOX_H
#define KV_UI_WIN32_README_BOX_H

#include "ui/dialog_view.h"
#include "ui/win32/gdi_object.h"
#include "win32api.h"

class ReadmeBox {
 public:
  ReadmeBox() = default;
  ~ReadmeBox();
  ReadmeBox(const ReadmeBox&) = delete;
  ReadmeBox& operator=(const ReadmeBox&) = delete;

  // Takes over `box`, a control of the dialog that `view` shows: its window
  // procedure, and the colours and brush it will be painted with.
  void Attach(HWND box, DialogController& controller, DialogView& view);
  // Gives the box its own window procedure back (as the dialog is
  // destroyed). The brush lives on with this object.
  void Detach();
  // The attached box, or null.
  HWND Box() const { return box_; }
  // The answer to the box's colour request (WM_CTLCOLORSTATIC, which a
  // read-only edit control sends): text and background colour set on `dc`,
  // the background brush returned.
  HBRUSH Paint(HDC dc) const;
  // The system colours changed: both read again, and one new brush.
  void ReadSystemColours();

 private:
  static LRESULT CALLBACK Procedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

  HWND box_ = nullptr;
  WNDPROC original_ = nullptr;
  DialogController* controller_ = nullptr;
  DialogView* view_ = nullptr;
  COLORREF textColor_ = 0;
  COLORREF backColor_ = 0;
  UniqueBrush backBrush_;
};

#endif  // KV_UI_WIN32_README_BOX_H
