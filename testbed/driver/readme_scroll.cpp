#include "readme_scroll.h"

#include "tool_windows.h"
#include "user_input.h"

namespace uidriver {

namespace {

const int kMostSteps = 500;          // pages or wheel notches before giving up
const DWORD kMoveLimitMs = 3000;     // for the box to move after one step
const int kWheelNotch = -WHEEL_DELTA;  // towards the user: down the text

void PostScroll(HWND box, WORD code, int position) {
  PostMessageW(box, WM_VSCROLL, MAKEWPARAM(code, static_cast<WORD>(position)), 0);
}

// Waits until the box has left `from`; false when it has not moved.
bool MovedFrom(HWND box, int from, ScrollPlace& place) {
  const DWORD start = GetTickCount();
  do {
    if (ReadScrollPlace(box, place) && place.position != from) return true;
    Sleep(20);
  } while (GetTickCount() - start < kMoveLimitMs);
  return false;
}

bool DragThumb(HWND box, const ScrollPlace& start) {
  for (int quarter = 1; quarter < 4; ++quarter)
    PostScroll(box, SB_THUMBTRACK, start.position + (start.end - start.position) * quarter / 4);
  PostScroll(box, SB_THUMBTRACK, start.end);
  PostScroll(box, SB_THUMBPOSITION, start.end);
  PostScroll(box, SB_ENDSCROLL, 0);
  return LetProgramTake(box);
}

bool ClickBelowThumb(HWND box, const ScrollPlace&) {
  PostScroll(box, SB_PAGEDOWN, 0);
  PostScroll(box, SB_ENDSCROLL, 0);
  return LetProgramTake(box);
}

bool TurnWheel(HWND box, const ScrollPlace&) {
  RECT area;
  GetWindowRect(box, &area);
  const LPARAM at = MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2);
  PostMessageW(box, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(kWheelNotch)), at);
  return LetProgramTake(box);
}

bool ToBottom(HWND box, const ScrollPlace&) {
  PostScroll(box, SB_BOTTOM, 0);
  PostScroll(box, SB_ENDSCROLL, 0);
  return LetProgramTake(box);
}

struct Way {
  const char* name;
  bool (*step)(HWND box, const ScrollPlace& place);
};
const Way kWays[] = {
    {"thumb", DragThumb},
    {"page", ClickBelowThumb},
    {"wheel", TurnWheel},
    {"bottom", ToBottom},
};

}  // namespace

bool ReadScrollPlace(HWND box, ScrollPlace& place) {
  // The scroll bar's own state (GetScrollInfo) cannot be read from another
  // process under Wine; the edit control tells the same: its position is
  // the first line in view, its range one position per line, its page the
  // lines its formatting rectangle holds (a line's height is the distance
  // between the first two lines' tops).
  LRESULT first = 0, lines = 0;
  if (!SendBounded(box, EM_GETFIRSTVISIBLELINE, 0, 0, first) || !SendBounded(box, EM_GETLINECOUNT, 0, 0, lines))
    return false;
  place.position = static_cast<int>(first);
  place.end = place.position;
  if (lines < 2) return true;  // nothing to scroll
  LRESULT start0 = 0, start1 = 0, top0 = 0, top1 = 0, ignored = 0;
  RECT format = {};
  if (!SendBounded(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format), ignored) ||
      !SendBounded(box, EM_LINEINDEX, 0, 0, start0) || !SendBounded(box, EM_LINEINDEX, 1, 0, start1) ||
      !SendBounded(box, EM_POSFROMCHAR, start0, 0, top0) || !SendBounded(box, EM_POSFROMCHAR, start1, 0, top1))
    return false;
  const int lineHeight = static_cast<short>(HIWORD(top1)) - static_cast<short>(HIWORD(top0));
  if (lineHeight <= 0) return false;
  const int page = (format.bottom - format.top) / lineHeight;
  place.end = static_cast<int>(lines) > page ? static_cast<int>(lines) - page : 0;
  return true;
}

bool ScrollToEnd(HWND box, const std::string& wayName, std::string& error) {
  const Way* way = nullptr;
  for (const Way& candidate : kWays)
    if (wayName == candidate.name) way = &candidate;
  if (!way) {
    error = "unknown way to scroll \"" + wayName + "\" (thumb, page, wheel, bottom)";
    return false;
  }
  ScrollPlace place;
  if (!box || !ReadScrollPlace(box, place)) {
    error = "the program did not tell where the box is scrolled";
    return false;
  }
  for (int step = 0; step < kMostSteps && place.position < place.end; ++step) {
    const int from = place.position;
    if (!way->step(box, place)) {
      error = "the program did not take the scrolling";
      return false;
    }
    if (!MovedFrom(box, from, place)) break;
  }
  if (place.position >= place.end) return true;
  error = "the box stopped at position " + std::to_string(place.position) + " before its end " +
          std::to_string(place.end);
  return false;
}

}  // namespace uidriver
