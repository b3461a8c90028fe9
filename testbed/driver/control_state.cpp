#include "control_state.h"

#include "tool_windows.h"

namespace uidriver {

namespace {

struct State {
  bool visible;
  bool enabled;
  bool checked;
  bool pressed;
};

struct Aspect {
  const char* yes;
  const char* no;
  bool State::*field;
};
const Aspect kAspects[] = {
    {"visible", "hidden", &State::visible},
    {"enabled", "disabled", &State::enabled},
    {"checked", "unchecked", &State::checked},
    {"pressed", "released", &State::pressed},
};

bool Read(HWND control, State& state) {
  LRESULT check = 0;
  LRESULT look = 0;
  if (!SendBounded(control, BM_GETCHECK, 0, 0, check) || !SendBounded(control, BM_GETSTATE, 0, 0, look))
    return false;
  state.visible = IsWindowVisible(control) != FALSE;
  state.enabled = IsWindowEnabled(control) != FALSE;
  state.checked = check == BST_CHECKED;
  state.pressed = (look & BST_PUSHED) != 0;
  return true;
}

}  // namespace

bool ReadControlState(HWND control, std::string& words) {
  State state;
  if (!Read(control, state)) return false;
  words.clear();
  for (const Aspect& aspect : kAspects) {
    if (!words.empty()) words += ' ';
    words += state.*aspect.field ? aspect.yes : aspect.no;
  }
  return true;
}

bool CheckControlState(HWND control, const std::string& wanted, bool& holds, std::string& error) {
  State state;
  if (!Read(control, state)) {
    error = "the program did not answer";
    return false;
  }
  holds = true;
  size_t start = 0;
  while (start <= wanted.size()) {
    size_t comma = wanted.find(',', start);
    if (comma == std::string::npos) comma = wanted.size();
    const std::string word = wanted.substr(start, comma - start);
    bool known = false;
    for (const Aspect& aspect : kAspects) {
      if (word != aspect.yes && word != aspect.no) continue;
      known = true;
      if ((state.*aspect.field) != (word == aspect.yes)) holds = false;
    }
    if (!known) {
      error = "unknown state \"" + word + "\" (visible, hidden, enabled, disabled, checked, unchecked, " +
              "pressed, released)";
      return false;
    }
    start = comma + 1;
  }
  return true;
}

}  // namespace uidriver
