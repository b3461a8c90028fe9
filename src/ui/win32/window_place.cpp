#include "ui/win32/window_place.h"

void CenterWhenUnowned(HWND window) {
  if (GetWindow(window, GW_OWNER)) return;
  RECT area = {};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
    area.right = GetSystemMetrics(SM_CXSCREEN);
    area.bottom = GetSystemMetrics(SM_CYSCREEN);
  }
  RECT place = {};
  if (!GetWindowRect(window, &place)) return;
  const LONG width = place.right - place.left;
  const LONG height = place.bottom - place.top;
  LONG left = area.left + (area.right - area.left - width) / 2;
  LONG top = area.top + (area.bottom - area.top - height) / 2;
  // Larger than the work area: its top left corner stays visible.
  if (left < area.left) left = area.left;
  if (top < area.top) top = area.top;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
