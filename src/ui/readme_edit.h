// The read-me box of the consent dialog: it enables a sibling control (the
// agree button) once the user has scrolled its text to the end.
#ifndef KV_UI_README_EDIT_H
#define KV_UI_README_EDIT_H

#include "ui/dialog_view.h"

// The highest scroll position at which the last page is in view: the maximum
// less (page - 1), in unsigned arithmetic, so that a text that fits the box
// (page beyond the maximum) gives a limit no position reaches.
unsigned ScrollLimit(const ScrollState& scroll);

class ReadmeEdit {
 public:
  // The box told its dialog that it scrolled: its position is read from the
  // view.
  void OnScrolled(DialogView& view, int boxId);
  // The box's own scroll bar moved it to `position`.
  void OnScrollBar(DialogView& view, int boxId, unsigned position);

  // The sibling to enable at the end; 0 for none. Once enabled it is never
  // disabled here.
  int enableAtEndId = 0;
  // Scrolling counts only once the dialog has been shown: some edit controls
  // (Wine's) report the scrolling that filling the box and placing the caret
  // cause, and that is not the user reading to the end.
  bool countsScrolling = false;

 private:
  void EnableAtEnd(DialogView& view, unsigned position, const ScrollState& scroll);
};

#endif  // KV_UI_README_EDIT_H
