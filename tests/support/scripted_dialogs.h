// A scripted user for host tests: a DialogRunner that shows each dialog as a
// DialogView over winsim and plays a script of user actions on it.
//
// A shown dialog is a message window of winsim (the job's worker posts
// WM_JOB_STARTED and WM_JOB_FINISHED to it) with the controls of its
// template (103, 104, 105): their kinds, enabled and checked states and tab
// stops, and for the read-me box the lines of its text, a page of 12 lines
// and a scroll position. Automatic check boxes and radio buttons change
// their own state on a click before the dialog hears of it (a radio button
// clears the others of its group); a disabled control cannot be clicked.
//
// The modal loop: before each action the scripted user waits until the
// other threads are idle, then hands the dialog the messages posted to it,
// in order, then plays the action. With no action left it blocks for the
// next posted message, which lets the clock move. A dialog that can never
// end (no action left, nothing that could ever post) fails the test and
// returns -1 instead of hanging.
//
// Input goes through the dialog's input filter as Windows delivers it: a
// click is a cursor request, then left button down and up (the control acts
// only when neither is swallowed); a double-click is a click, then left
// double-click and up (the control acts again when neither is swallowed,
// as a button takes a double-click for a second press); Enter and Esc are key down and up (Enter
// presses the default button when it is enabled, Esc cancels); Alt+F4 and
// the close box are system input the filter lets through, and cancel unless
// the Cancel button is disabled. Scrolling by the scroll bar moves the box
// to the position the message carries; scrolling by the wheel makes the box
// notify its dialog, which reads the position.
#ifndef KV_TESTS_SCRIPTED_DIALOGS_H
#define KV_TESTS_SCRIPTED_DIALOGS_H

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialog_view.h"

// ---- What the user does ----------------------------------------------------
// Each way reaches the dialog by one path only, so that a test sees each of
// the dialog's two paths alone.
enum class ScrollWay {
  ScrollBar,     // the thumb dragged: the box's own scroll-bar message, carrying the position
  Notification,  // the wheel: the box notifies its dialog, which reads the position
};

struct UserAction {
  enum class Kind { Click, DoubleClick, Scroll, Enter, Esc, AltF4, CloseBox, MoveMouse, ClockTo, Post };
  Kind kind = Kind::Click;
  int id = 0;                 // Click, DoubleClick: the control
  unsigned line = 0;          // Scroll: the first line to show (kScrollEnd: the last page)
  ScrollWay way = ScrollWay::ScrollBar;
  uint64_t timeMs = 0;        // ClockTo: the clock time to reach
  UINT message = 0;           // Post: the message
  bool atOnce = false;        // played right after the previous action (see AtOnce)
  std::string Describe() const;

 private:
  std::string DescribeKind() const;
};

const unsigned kScrollEnd = 0xFFFFFFFFu;

UserAction Click(int id);
UserAction PressOk();  // a click on OK
UserAction DoubleClick(int id);
UserAction ScrollReadmeToEnd(ScrollWay way);
UserAction ScrollReadmeTo(unsigned line, ScrollWay way);
UserAction PressEnter();
UserAction PressEsc();
UserAction PressAltF4();
UserAction ClickCloseBox();
// The pointer comes over the dialog from the desktop (with the arrow): a
// cursor request, then a mouse move.
UserAction MoveMouse();
// Lets the clock run on to `timeMs` (an absolute time), the worker's waits
// ending on the way.
UserAction LetClockReach(uint64_t timeMs);
// Another party posts `message` (both parameters 0) to the dialog, as the
// job's worker does; the dialog receives it before the next action.
UserAction PostToDialog(UINT message);
// The action follows the previous one at once: the other threads are not
// waited for and nothing posted meanwhile is handed over first (a second
// click on OK before the worker's first message arrives).
UserAction AtOnce(UserAction action);

// ---- What a test can check ---------------------------------------------------
struct ControlState {
  bool enabled = true;
  bool checked = false;
  bool tabStop = false;
  bool pressed = false;  // shown pressed (push buttons)
  bool bold = false;     // given a bold font
  std::string text;      // as set by the dialog
};
using ControlStates = std::map<int, ControlState>;

struct StepRecord {
  std::string action;            // UserAction::Describe
  uint64_t clockMs = 0;          // when it was played
  bool jobRunning = false;       // WM_JOB_STARTED delivered, WM_JOB_FINISHED not yet
  bool workerAlive = false;      // a thread made by CreateThread had not finished
  std::vector<UINT> swallowed;   // input the dialog's filter swallowed
  // The pressed look the dialog gave (true) or took (false), by button, in
  // order: the view keeps a look until the dialog changes it, so this shows
  // what the dialog itself did during the action.
  std::vector<std::pair<int, bool>> pressedSet;
  DialogCursor cursor = DialogCursor::Arrow;  // after the action
  ControlStates controls;        // after the action
};

struct DialogRecord {
  int templateId = 0;
  INT_PTR result = -1;
  ControlStates shown;       // when first shown, before any action
  ControlStates controls;    // at the end
  std::vector<StepRecord> steps;
  std::vector<UINT> delivered;  // posted messages handed to the dialog, in order
  ScrollState readme;        // the read-me box at the end
  bool caretAtStart = false; // the caret was put at the start of the box and not moved since
  DialogCursor cursor = DialogCursor::Arrow;  // at the end
};

// ---- The runner ----------------------------------------------------------------
class ScriptedDialogs : public DialogRunner {
 public:
  // The user's actions for the next showing of `templateId`. Several scripts
  // for one template serve its showings in turn; a showing without one gets
  // no action.
  void Script(int templateId, std::vector<UserAction> actions);
  // The read-me box reports the scrolling that the program causes (filling
  // it moves it to the end of the new text and back to the top, each move
  // notified), as Wine's edit control does; Windows notifies only the
  // user's scrolling, and so does the scripted box by default.
  void NotifyProgramScrolls(bool notify) { notifyProgramScrolls_ = notify; }

  INT_PTR RunModal(int templateId, DialogController& controller) override;

  // Every dialog shown, in order.
  const std::vector<DialogRecord>& Shown() const { return shown_; }
  // The last showing of `templateId`; fails the test when there was none.
  const DialogRecord& Last(int templateId) const;

 private:
  std::map<int, std::deque<std::vector<UserAction>>> scripts_;
  std::vector<DialogRecord> shown_;
  bool notifyProgramScrolls_ = false;
};

#endif  // KV_TESTS_SCRIPTED_DIALOGS_H
