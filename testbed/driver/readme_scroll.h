// Scrolling a multi-line box (the consent dialog's read-me) to its end as a
// user does, each way through the messages the system gives the box for
// it, posted so that they pass the program's message loop:
//
//   thumb    the scroll bar's thumb dragged to the end: WM_VSCROLL
//            SB_THUMBTRACK at positions on the way, SB_THUMBPOSITION at the
//            end, SB_ENDSCROLL when the button is let go
//   page     clicks in the scroll bar below the thumb: SB_PAGEDOWN and
//            SB_ENDSCROLL, page by page
//   wheel    the mouse wheel turned towards the user: WM_MOUSEWHEEL of one
//            notch (-120) at a time
//   bottom   the scroll bar's own "to the end": SB_BOTTOM and SB_ENDSCROLL
//
// The end is the last position at which the last page is in view: the
// scroll bar's maximum less the page plus one.
#ifndef KV_TESTBED_DRIVER_README_SCROLL_H
#define KV_TESTBED_DRIVER_README_SCROLL_H

#include <windows.h>

#include <string>

namespace uidriver {

struct ScrollPlace {
  int position = 0;
  int end = 0;
};

// The box's vertical scroll position and its end.
bool ReadScrollPlace(HWND box, ScrollPlace& place);

// Scrolls `box` to its end in `way`; fails if the box stops moving before.
bool ScrollToEnd(HWND box, const std::string& way, std::string& error);

}  // namespace uidriver

#endif  // KV_TESTBED_DRIVER_README_SCROLL_H
