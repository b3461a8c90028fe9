#include "steps.h"

#include <cstdlib>

#include "control_state.h"
#include "output.h"
#include "readme_scroll.h"
#include "user_input.h"

namespace uidriver {

namespace {

const int kMostSeconds = 600;
const DWORD kPollMs = 50;

bool ParseNumber(const std::string& word, long& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  value = std::strtol(word.c_str(), &end, 0);
  return *end == '\0';
}

// The optional time limit at `index`, or `fallback` when the step has none.
bool Seconds(const Words& words, size_t index, int fallback, DWORD& limitMs, std::string& error) {
  long seconds = fallback;
  if (index < words.size() && (!ParseNumber(words[index], seconds) || seconds < 0 || seconds > kMostSeconds)) {
    error = "a time limit is 0 to " + std::to_string(kMostSeconds) + " seconds, not \"" + words[index] + "\"";
    return false;
  }
  limitMs = static_cast<DWORD>(seconds) * 1000;
  return true;
}

// Polls `done` until it holds or `limitMs` has passed; it is asked at least
// once.
template <typename Done>
bool Within(DWORD limitMs, Done done) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= limitMs) return false;
    Sleep(kPollMs);
  }
}

bool NeedWindow(const Session& session, std::string& error) {
  if (session.window && IsWindow(session.window)) return true;
  error = session.window ? "the window has gone" : "no window yet: \"wait\" for one first";
  return false;
}

bool Control(const Session& session, const Words& words, size_t index, HWND& control, std::string& error) {
  long id = 0;
  if (index >= words.size() || !ParseNumber(words[index], id)) {
    error = "a control id is needed";
    return false;
  }
  if (!NeedWindow(session, error)) return false;
  control = FindControl(session.window, static_cast<int>(id));
  if (control) return true;
  error = "the window has no control " + words[index];
  return false;
}

bool PrintText(HWND control, std::string& error) {
  std::wstring text;
  if (!ReadWindowText(control, text)) {
    error = "the program did not give the text";
    return false;
  }
  PrintResult(OnOneLine(ToUtf8(text)));
  return true;
}

bool Gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

bool Wait(Session& session, const Words& words, std::string& error) {
  WindowKind kind;
  if (words.size() < 2 || !ParseWindowKind(words[1], kind)) {
    error = "wait for intro, consent, removal or box";
    return false;
  }
  DWORD limitMs = 0;
  if (!Seconds(words, 2, 30, limitMs, error)) return false;
  HWND found = nullptr;
  if (!Within(limitMs, [&] { return (found = FindToolWindow(session.caption, kind)) != nullptr; })) {
    error = "no " + words[1] + " window was shown";
    return false;
  }
  // Wine calls a thread hung while it has not looked at its queue for five
  // seconds, and answers a bounded send at once then; a window that takes
  // input within the wait is ready.
  if (!Within(limitMs, [&] { return IsWindow(found) && ProgramIsIdle(found); })) {
    error = "the " + words[1] + " window does not take input";
    return false;
  }
  session.window = found;
  session.kind = kind;
  return true;
}

bool WaitGone(Session& session, const Words& words, std::string& error) {
  DWORD limitMs = 0;
  if (!session.window) return NeedWindow(session, error);
  if (!Seconds(words, 1, 30, limitMs, error)) return false;
  if (Within(limitMs, [&] { return Gone(session.window); })) return true;
  error = "the window is still there";
  return false;
}

bool ClickStep(Session& session, const Words& words, std::string& error) {
  HWND control = nullptr;
  return Control(session, words, 1, control, error) && Click(control, error);
}

bool KeyStep(Session& session, const Words& words, std::string& error) {
  if (words.size() < 2) {
    error = "which key?";
    return false;
  }
  return NeedWindow(session, error) && PressKey(session.window, words[1], error);
}

bool CloseStep(Session& session, const Words&, std::string& error) {
  return NeedWindow(session, error) && ClickCloseBox(session.window, error);
}

bool ScrollStep(Session& session, const Words& words, std::string& error) {
  HWND box = nullptr;
  if (!Control(session, words, 1, box, error)) return false;
  if (words.size() < 3) {
    error = "scroll how? (thumb, page, wheel, bottom)";
    return false;
  }
  return ScrollToEnd(box, words[2], error);
}

bool ExpectStep(Session& session, const Words& words, std::string& error) {
  HWND control = nullptr;
  DWORD limitMs = 0;
  if (!Control(session, words, 1, control, error)) return false;
  if (words.size() < 3) {
    error = "expect which states?";
    return false;
  }
  if (!Seconds(words, 3, 0, limitMs, error)) return false;
  bool holds = false;
  bool answered = true;
  Within(limitMs, [&] {
    answered = CheckControlState(control, words[2], holds, error);
    return !answered || holds;
  });
  if (!answered) return false;
  if (holds) return true;
  std::string now;
  ReadControlState(control, now);
  error = "control " + words[1] + " is " + now;
  return false;
}

bool StateStep(Session& session, const Words& words, std::string& error) {
  HWND control = nullptr;
  std::string now;
  if (!Control(session, words, 1, control, error)) return false;
  if (!ReadControlState(control, now)) {
    error = "the program did not answer";
    return false;
  }
  PrintResult(words[1] + " " + now);
  return true;
}

bool TextStep(Session& session, const Words& words, std::string& error) {
  Words withId = words;
  if (withId.size() < 2) withId.push_back("0xFFFF");
  HWND control = nullptr;
  return Control(session, withId, 1, control, error) && PrintText(control, error);
}

bool AnswerStep(Session& session, const Words& words, std::string& error) {
  static const struct {
    const char* word;
    int id;
  } kButtons[] = {{"ok", IDOK}, {"yes", IDYES}, {"no", IDNO}};
  if (!NeedWindow(session, error)) return false;
  if (session.kind != WindowKind::Box) {
    error = "the window is no message box";
    return false;
  }
  int id = 0;
  for (const auto& button : kButtons)
    if (words.size() >= 2 && words[1] == button.word) id = button.id;
  DWORD limitMs = 0;
  if (id == 0) {
    error = "answer ok, yes or no";
    return false;
  }
  if (!Seconds(words, 2, 10, limitMs, error)) return false;
  HWND button = FindVisibleControl(session.window, id);
  if (!button) {
    error = "the box has no " + words[1] + " button";
    return false;
  }
  if (!PrintText(FindControl(session.window, 0xFFFF), error) || !Click(button, error)) return false;
  if (Within(limitMs, [&] { return Gone(session.window); })) return true;
  error = "the box is still there";
  return false;
}

bool PointStep(Session& session, const Words& words, std::string& error) {
  HWND control = nullptr;
  return Control(session, words, 1, control, error) && PointAt(control, error);
}

bool RectStep(Session& session, const Words&, std::string& error) {
  RECT area;
  if (!NeedWindow(session, error)) return false;
  GetWindowRect(session.window, &area);
  PrintResult(std::to_string(area.left) + " " + std::to_string(area.top) + " " +
              std::to_string(area.right - area.left) + " " + std::to_string(area.bottom - area.top));
  return true;
}

// The window's middle against the middle of the screen (the desktop
// window): "centred", or how far off it is.
bool CentredStep(Session& session, const Words&, std::string& error) {
  RECT place, area;
  if (!NeedWindow(session, error)) return false;
  GetWindowRect(session.window, &place);
  GetWindowRect(GetDesktopWindow(), &area);
  const long dx = (place.left + place.right) / 2 - (area.left + area.right) / 2;
  const long dy = (place.top + place.bottom) / 2 - (area.top + area.bottom) / 2;
  if (dx < -1 || dx > 1 || dy < -1 || dy > 1) {
    error = "not centred: " + std::to_string(dx) + " " + std::to_string(dy) + " px off the screen's middle";
    return false;
  }
  PrintResult("centred");
  return true;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
  wchar_t className[64] = {};
  GetClassNameW(control, className, 64);
  std::string states;
  std::wstring text;
  ReadControlState(control, states);
  ReadWindowText(control, text);
  PrintResult(std::to_string(GetDlgCtrlID(control) & 0xFFFF) + " " + ToUtf8(className) + " " + states + " " +
              OnOneLine(ToUtf8(text)));
  return TRUE;
}

bool ControlsStep(Session& session, const Words&, std::string& error) {
  if (!NeedWindow(session, error)) return false;
  EnumChildWindows(session.window, PrintControl, 0);
  return true;
}

struct Step {
  const char* name;
  bool (*run)(Session& session, const Words& words, std::string& error);
};
const Step kSteps[] = {
    {"wait", Wait},         {"gone", WaitGone},     {"click", ClickStep},   {"key", KeyStep},
    {"close", CloseStep},   {"scroll", ScrollStep}, {"expect", ExpectStep}, {"state", StateStep},
    {"text", TextStep},     {"answer", AnswerStep}, {"point", PointStep},   {"rect", RectStep},
    {"controls", ControlsStep}, {"centred", CentredStep},
};

}  // namespace

Words SplitStep(const std::string& step) {
  Words words;
  size_t start = 0;
  while (start < step.size()) {
    const size_t blank = step.find_first_of(" \t\r\n", start);
    const size_t end = blank == std::string::npos ? step.size() : blank;
    if (end > start) words.push_back(step.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

bool RunStep(Session& session, const Words& words, std::string& error) {
  if (words.empty()) return true;
  for (const Step& step : kSteps)
    if (words[0] == step.name) return step.run(session, words, error);
  error = "unknown step \"" + words[0] + "\"";
  return false;
}

}  // namespace uidriver
