// winsim: message boxes. Nobody sits at the simulated screen: a box is
// answered at once, by the answer a test queued or else by its first
// button, and recorded. An answer the box has no button for can never come,
// so that box would stay open for ever: the call is recorded as one that
// never returns and answers 0.
//
// The button sets modelled are those the tool uses, MB_OK and MB_YESNO,
// with the first button the default; any other set, or another default
// button, fails with ERROR_NOT_SUPPORTED, so that code relying on one shows
// at once.
#include <algorithm>
#include <deque>

#include "machine.h"
#include "winsim/ui_control.h"

namespace winsim {
namespace detail {

namespace {

const UINT kTypeMask = 0x0000000F;
const UINT kDefaultButtonMask = 0x00000F00;

struct Boxes {
  std::vector<MessageBoxRecord> shown;
  std::deque<int> answers;
};

Boxes& B() {
  static Boxes boxes;
  return boxes;
}

// The buttons of a box, in order; empty for a set that is not modelled.
std::vector<int> ButtonsOf(UINT type) {
  if (type & kDefaultButtonMask) return {};
  switch (type & kTypeMask) {
    case MB_OK: return {IDOK};
    case MB_YESNO: return {IDYES, IDNO};
    default: return {};
  }
}

}  // namespace

void ResetMessageBoxes() { B() = Boxes{}; }

}  // namespace detail

using namespace detail;

std::vector<MessageBoxRecord> MessageBoxes() {
  auto lock = Lock();
  return B().shown;
}

void AnswerMessageBox(int answer) {
  auto lock = Lock();
  B().answers.push_back(answer);
}

}  // namespace winsim

using namespace winsim::detail;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  ApiCall call("MessageBoxA", {Arg(text), Arg(caption), Hex(reinterpret_cast<uintptr_t>(owner)), Hex(type)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return 0;
  }
  const std::vector<int> buttons = ButtonsOf(type);
  if (buttons.empty()) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  int answer = 0;
  if (!B().answers.empty()) {
    answer = B().answers.front();
    B().answers.pop_front();
  } else {
    answer = buttons[0];
  }
  if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) {
    RecordBlockedForever("MessageBoxA(" + Arg(text) + ") waiting for answer " + Dec(answer) +
                         ", which it has no button for");
    answer = 0;
  }
  B().shown.push_back(winsim::MessageBoxRecord{text ? text : "", caption ? caption : "", owner, type, answer});
  return answer;
}
