#include "ui/win32/window_place.h"

void CenterWhenUnowned(HWND window) {
  if (GetWindow(window, GW_OWNER)) return;
  // The screen is the desktop window's rectangle: asking the system for
  // its work area can wait on the shell while the dialog is being made.
  RECT screen = {};
  RECT place = {};
  if (!GetWindowRect(GetDesktopWindow(), &screen) || !GetWindowRect(window, &place)) return;
  const LONG width = place.right - place.left;
  const LONG height = place.bottom - place.top;
  LONG left = screen.left + (screen.right - screen.left - width) / 2;
  LONG top = screen.top + (screen.bottom - screen.top - height) / 2;
  // Larger than the screen: its top left corner stays visible.
  if (left < screen.left) left = screen.left;
  if (top < screen.top) top = screen.top;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
