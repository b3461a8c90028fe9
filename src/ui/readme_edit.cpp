#include "ui/readme_edit.h"

unsigned ScrollLimit(const ScrollState& scroll) { return scroll.maximum - (scroll.page - 1); }

void ReadmeEdit::OnScrolled(DialogView& view, int boxId) {
  const ScrollState scroll = view.VerticalScroll(boxId);
  EnableAtEnd(view, scroll.position, scroll);
}

void ReadmeEdit::OnScrollBar(DialogView& view, int boxId, unsigned position) {
  EnableAtEnd(view, position, view.VerticalScroll(boxId));
}

void ReadmeEdit::EnableAtEnd(DialogView& view, unsigned position, const ScrollState& scroll) {
  if (!countsScrolling || enableAtEndId == 0) return;
  if (position >= ScrollLimit(scroll)) view.EnableControl(enableAtEndId, true);
}
