#include "scripted_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/job_protocol.h"
#include "ui/dialog_ids.h"
#include "winsim/control.h"
#include "winsim/thread_control.h"

namespace {

// ---- The templates, as far as the scripted user needs them -------------------
enum class Kind { PushButton, DefaultButton, AutoRadio, AutoCheckBox, Static, Box };

struct TemplateControl {
  int id;
  Kind kind;
  bool tabStop;
  int group;  // radio buttons: the first button of their group
};

struct Template {
  int id;
  std::vector<TemplateControl> controls;
};

const Template kTemplates[] = {
    {kConsentDialogTemplate,
     {{kHeading, Kind::Static, false, 0},
      {kReadmeBox, Kind::Box, true, 0},
      {kAgreeButton, Kind::AutoRadio, true, kAgreeButton},
      {kDisagreeButton, Kind::AutoRadio, false, kAgreeButton},
      {kScopeAnyCheckBox, Kind::AutoCheckBox, true, 0},
      {IDOK, Kind::DefaultButton, true, 0},
      {IDCANCEL, Kind::PushButton, true, 0}}},
    {kRemovalDialogTemplate,
     {{kRemovePermissionCheckBox, Kind::AutoCheckBox, true, 0},
      {kDisableSharingCheckBox, Kind::AutoCheckBox, true, 0},
      {kDisableSharingText, Kind::Static, false, 0},
      {IDOK, Kind::DefaultButton, true, 0},
      {IDCANCEL, Kind::PushButton, true, 0}}},
    {kIntroDialogTemplate, {{IDOK, Kind::DefaultButton, true, 0}, {IDCANCEL, Kind::PushButton, true, 0}}},
};

const unsigned kPageLines = 12;  // lines of the read-me that fit its box
const UINT kMouseWheel = 0x020A;

const Template* FindTemplate(int id) {
  for (const Template& t : kTemplates)
    if (t.id == id) return &t;
  return nullptr;
}

// Lines of a multi-line box's text: its CR LF breaks plus one.
unsigned CountLines(const std::string& text) {
  unsigned lines = 1;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
  return lines;
}

// One showing of a dialog: its window, its controls and the user's hand.
class ScriptedView : public DialogView {
 public:
  ScriptedView(const Template& tmpl, DialogController& controller, bool notifyProgramScrolls)
      : template_(tmpl), controller_(controller), notifyProgramScrolls_(notifyProgramScrolls) {
    window_ = winsim::CreateMessageWindow("dialog " + std::to_string(tmpl.id));
    for (const TemplateControl& c : tmpl.controls) states_[c.id].tabStop = c.tabStop;
  }
  ~ScriptedView() override { winsim::DestroyMessageWindow(window_); }

  bool Ended() const { return ended_; }

  // Initialisation, then the first showing (unless the dialog ended at once).
  void Show() {
    controller_.OnInitDialog(*this);
    if (!ended_) controller_.OnFirstShow(*this);
    record_.shown = states_;
  }

  void DeliverQueued() {
    while (!ended_) {
      auto message = winsim::TakePostedMessage(window_);
      if (!message) return;
      Deliver(*message);
    }
  }

  void Deliver(const winsim::PostedMessage& message) {
    if (controller_.FilterInput(message.message)) return;
    record_.delivered.push_back(message.message);
    if (message.message == WM_JOB_STARTED) {
      jobRunning_ = true;
      controller_.OnJobStarted(*this);
    } else if (message.message == WM_JOB_FINISHED) {
      jobRunning_ = false;
      controller_.OnJobFinished(*this);
    }
  }

  void Play(const UserAction& action);

  DialogRecord Finish(INT_PTR result) {
    record_.templateId = template_.id;
    record_.result = result;
    record_.controls = states_;
    if (const int box = BoxId()) record_.readme = VerticalScroll(box);
    record_.caretAtStart = caretAtStart_;
    record_.cursor = cursor_;
    return record_;
  }
  INT_PTR Result() const { return result_; }

  // ---- DialogView ----
  HWND Window() const override { return window_; }
  void EnableControl(int id, bool enabled) override { State(id).enabled = enabled; }
  bool IsChecked(int id) const override { return StateOf(id).checked; }
  void SetChecked(int id, bool checked) override { State(id).checked = checked; }
  void SetControlText(int id, const std::string& text) override {
    State(id).text = text;
    if (KindOf(id) != Kind::Box) return;
    boxLines_ = CountLines(text);
    // Filling the box leaves the caret after the new text, then goes back
    // to the top.
    ProgramScroll(id, EndPosition());
    ProgramScroll(id, 0);
  }
  void MakeFontBold(int id) override { State(id).bold = true; }
  void PutCaretAtStart(int id) override {
    ProgramScroll(id, 0);
    caretAtStart_ = true;
  }
  void AddTabStop(int id) override { State(id).tabStop = true; }
  void SetButtonPressed(int id, bool pressed) override {
    State(id).pressed = pressed;
    if (step_) step_->pressedSet.emplace_back(id, pressed);
  }
  void ShowCursor(DialogCursor cursor) override { cursor_ = cursor; }
  ScrollState VerticalScroll(int id) const override {
    if (KindOf(id) != Kind::Box) ADD_FAILURE() << "control " << id << " of dialog " << template_.id << " is no box";
    ScrollState scroll;
    scroll.position = position_;
    scroll.maximum = boxLines_ - 1;
    scroll.page = kPageLines;
    return scroll;
  }
  void EndDialog(INT_PTR result) override {
    ended_ = true;
    result_ = result;
  }

 private:
  const TemplateControl* Find(int id) const {
    for (const TemplateControl& c : template_.controls)
      if (c.id == id) return &c;
    return nullptr;
  }
  Kind KindOf(int id) const {
    const TemplateControl* c = Find(id);
    return c ? c->kind : Kind::Static;
  }
  ControlState& State(int id) {
    if (!Find(id)) ADD_FAILURE() << "dialog " << template_.id << " has no control " << id;
    return states_[id];
  }
  ControlState StateOf(int id) const {
    if (!Find(id)) ADD_FAILURE() << "dialog " << template_.id << " has no control " << id;
    auto it = states_.find(id);
    return it == states_.end() ? ControlState{} : it->second;
  }
  int BoxId() const {
    for (const TemplateControl& c : template_.controls)
      if (c.kind == Kind::Box) return c.id;
    return 0;
  }
  // The first line shown when the last page is in view.
  unsigned EndPosition() const { return boxLines_ > kPageLines ? boxLines_ - kPageLines : 0; }
  void ProgramScroll(int id, unsigned position) {
    if (position == position_) return;
    position_ = position;
    caretAtStart_ = false;
    if (notifyProgramScrolls_) controller_.OnBoxScrolled(*this, id);
  }

  // Input through the dialog's filter; true when it was swallowed.
  bool Filter(UINT message) {
    const bool swallowed = controller_.FilterInput(message);
    if (swallowed && step_) step_->swallowed.push_back(message);
    return swallowed;
  }
  void CursorRequest() {
    if (!controller_.OnSetCursor(*this)) cursor_ = DialogCursor::Arrow;  // the dialog's class cursor
  }
  void ClickControl(int id);
  void Scroll(unsigned line, ScrollWay way);
  void PressDefaultButton();
  // Alt+F4 and the close box: Cancel, unless the Cancel button is disabled.
  void Close();

  const Template& template_;
  DialogController& controller_;
  const bool notifyProgramScrolls_;
  HWND window_ = nullptr;
  ControlStates states_;
  unsigned boxLines_ = 1;  // an empty box has one line
  unsigned position_ = 0;
  bool caretAtStart_ = false;
  DialogCursor cursor_ = DialogCursor::Arrow;
  bool ended_ = false;
  INT_PTR result_ = -1;
  bool jobRunning_ = false;
  StepRecord* step_ = nullptr;
  DialogRecord record_;
};

void ScriptedView::Play(const UserAction& action) {
  StepRecord step;
  step.action = action.Describe();
  step.clockMs = winsim::NowMs();
  step.jobRunning = jobRunning_;
  step.workerAlive = winsim::LiveThreadCount() > 0;
  step_ = &step;
  switch (action.kind) {
    case UserAction::Kind::Click:
    case UserAction::Kind::DoubleClick: {
      CursorRequest();
      const bool downSwallowed = Filter(WM_LBUTTONDOWN);
      const bool upSwallowed = Filter(WM_LBUTTONUP);
      if (!downSwallowed && !upSwallowed) ClickControl(action.id);
      if (action.kind == UserAction::Kind::Click || ended_) break;
      const bool doubleSwallowed = Filter(WM_LBUTTONDBLCLK);
      const bool secondUpSwallowed = Filter(WM_LBUTTONUP);
      if (!doubleSwallowed && !secondUpSwallowed) ClickControl(action.id);
      break;
    }
    case UserAction::Kind::Scroll:
      Scroll(action.line, action.way);
      break;
    case UserAction::Kind::Enter:
      if (!Filter(WM_KEYDOWN)) PressDefaultButton();
      Filter(WM_KEYUP);
      break;
    case UserAction::Kind::Esc:
      if (!Filter(WM_KEYDOWN)) controller_.OnCancel(*this);
      Filter(WM_KEYUP);
      break;
    case UserAction::Kind::AltF4:
      if (!Filter(WM_SYSKEYDOWN)) Close();
      Filter(WM_SYSKEYUP);
      break;
    case UserAction::Kind::CloseBox:
      CursorRequest();
      if (!Filter(WM_NCLBUTTONDOWN)) Close();
      break;
    case UserAction::Kind::MoveMouse:
      cursor_ = DialogCursor::Arrow;  // the pointer comes from the desktop
      CursorRequest();
      Filter(WM_MOUSEMOVE);
      break;
    case UserAction::Kind::ClockTo:
      while (winsim::NowMs() < action.timeMs && winsim::AdvanceToNextWake(action.timeMs)) {
      }
      break;
    case UserAction::Kind::Post:
      if (!PostMessageA(window_, action.message, 0, 0)) ADD_FAILURE() << "posting to dialog " << template_.id;
      break;
  }
  step_ = nullptr;
  step.cursor = cursor_;
  step.controls = states_;
  record_.steps.push_back(step);
}

void ScriptedView::ClickControl(int id) {
  const TemplateControl* control = Find(id);
  if (!control) {
    ADD_FAILURE() << "the user clicked control " << id << ", which dialog " << template_.id << " does not have";
    return;
  }
  if (!states_[id].enabled) return;
  switch (control->kind) {
    case Kind::Static:
    case Kind::Box:
      return;
    case Kind::AutoCheckBox:
      states_[id].checked = !states_[id].checked;
      break;
    case Kind::AutoRadio:
      for (const TemplateControl& c : template_.controls)
        if (c.kind == Kind::AutoRadio && c.group == control->group) states_[c.id].checked = c.id == id;
      break;
    case Kind::PushButton:
    case Kind::DefaultButton:
      if (id == IDOK) return controller_.OnOK(*this);
      if (id == IDCANCEL) return controller_.OnCancel(*this);
      break;
  }
  controller_.OnClicked(*this, id);
}

void ScriptedView::Scroll(unsigned line, ScrollWay way) {
  const int box = BoxId();
  if (!box) {
    ADD_FAILURE() << "dialog " << template_.id << " has no box to scroll";
    return;
  }
  const unsigned target = std::min(line, EndPosition());
  if (way == ScrollWay::ScrollBar) {
    CursorRequest();
    if (Filter(WM_NCLBUTTONDOWN)) return;
    // The box's own scroll-bar message, carrying the thumb's position; the
    // box moves once the message has been handled.
    controller_.OnBoxScrollBar(*this, box, target);
    if (target != position_) caretAtStart_ = false;
    position_ = target;
    return;
  }
  if (Filter(kMouseWheel)) return;
  if (target != position_) caretAtStart_ = false;
  position_ = target;
  controller_.OnBoxScrolled(*this, box);
}

void ScriptedView::PressDefaultButton() {
  for (const TemplateControl& c : template_.controls) {
    if (c.kind != Kind::DefaultButton) continue;
    if (!states_[c.id].enabled) return;
    if (c.id == IDOK) return controller_.OnOK(*this);
    return controller_.OnClicked(*this, c.id);
  }
}

void ScriptedView::Close() {
  if (Find(IDCANCEL) && !states_[IDCANCEL].enabled) return;
  controller_.OnCancel(*this);
}

}  // namespace

// ---- Actions -----------------------------------------------------------------------
std::string UserAction::Describe() const {
  return (atOnce ? "at once: " : "") + DescribeKind();
}

std::string UserAction::DescribeKind() const {
  switch (kind) {
    case Kind::Click: return "click " + std::to_string(id);
    case Kind::DoubleClick: return "double-click " + std::to_string(id);
    case Kind::Scroll:
      return std::string(way == ScrollWay::ScrollBar ? "scroll bar" : "wheel") + " to " +
             (line == kScrollEnd ? std::string("end") : "line " + std::to_string(line));
    case Kind::Enter: return "Enter";
    case Kind::Esc: return "Esc";
    case Kind::AltF4: return "Alt+F4";
    case Kind::CloseBox: return "close box";
    case Kind::MoveMouse: return "mouse move";
    case Kind::ClockTo: return "clock to " + std::to_string(timeMs) + " ms";
    case Kind::Post: return "posted " + std::to_string(message);
  }
  return "?";
}

namespace {
UserAction Make(UserAction::Kind kind, int id = 0) {
  UserAction action;
  action.kind = kind;
  action.id = id;
  return action;
}
}  // namespace

UserAction Click(int id) { return Make(UserAction::Kind::Click, id); }
UserAction PressOk() { return Click(IDOK); }
UserAction DoubleClick(int id) { return Make(UserAction::Kind::DoubleClick, id); }
UserAction ScrollReadmeTo(unsigned line, ScrollWay way) {
  UserAction action = Make(UserAction::Kind::Scroll);
  action.line = line;
  action.way = way;
  return action;
}
UserAction ScrollReadmeToEnd(ScrollWay way) { return ScrollReadmeTo(kScrollEnd, way); }
UserAction PressEnter() { return Make(UserAction::Kind::Enter); }
UserAction PressEsc() { return Make(UserAction::Kind::Esc); }
UserAction PressAltF4() { return Make(UserAction::Kind::AltF4); }
UserAction ClickCloseBox() { return Make(UserAction::Kind::CloseBox); }
UserAction MoveMouse() { return Make(UserAction::Kind::MoveMouse); }
UserAction LetClockReach(uint64_t timeMs) {
  UserAction action = Make(UserAction::Kind::ClockTo);
  action.timeMs = timeMs;
  return action;
}
UserAction PostToDialog(UINT message) {
  UserAction action = Make(UserAction::Kind::Post);
  action.message = message;
  return action;
}
UserAction AtOnce(UserAction action) {
  action.atOnce = true;
  return action;
}

// ---- The runner --------------------------------------------------------------------
void ScriptedDialogs::Script(int templateId, std::vector<UserAction> actions) {
  scripts_[templateId].push_back(std::move(actions));
}

const DialogRecord& ScriptedDialogs::Last(int templateId) const {
  for (auto it = shown_.rbegin(); it != shown_.rend(); ++it)
    if (it->templateId == templateId) return *it;
  ADD_FAILURE() << "dialog " << templateId << " was never shown";
  static const DialogRecord none;
  return none;
}

INT_PTR ScriptedDialogs::RunModal(int templateId, DialogController& controller) {
  const Template* tmpl = FindTemplate(templateId);
  if (!tmpl) {
    DialogRecord record;
    record.templateId = templateId;
    shown_.push_back(record);
    return -1;
  }
  std::vector<UserAction> script;
  auto& queue = scripts_[templateId];
  if (!queue.empty()) {
    script = std::move(queue.front());
    queue.pop_front();
  }

  ScriptedView view(*tmpl, controller, notifyProgramScrolls_);
  view.Show();
  size_t next = 0;
  bool stuck = false;
  while (!view.Ended()) {
    if (next < script.size()) {
      if (!script[next].atOnce) {
        winsim::WaitUntilOthersIdle();
        view.DeliverQueued();
      }
      if (!view.Ended()) view.Play(script[next++]);
      continue;
    }
    auto message = winsim::WaitForPostedMessage(view.Window());
    if (!message) {
      ADD_FAILURE() << "dialog " << templateId << " can never end: no action left and nothing will be posted";
      stuck = true;
      break;
    }
    view.Deliver(*message);
  }
  if (next < script.size())
    ADD_FAILURE() << "dialog " << templateId << " ended before its user's action " << script[next].Describe()
                  << " (" << script.size() - next << " left)";
  const INT_PTR result = stuck ? -1 : view.Result();
  shown_.push_back(view.Finish(result));
  return result;
}
