// winsim: message boxes. Nobody sits at the simulated screen: a box is
// answered at once, by the answer a test queued or else by its default
// button, and recorded. An answer the box has no button for can never come,
// so that box would stay open for ever: the call is recorded as one that
// never returns and answers 0.
//
// The button sets modelled are those of MB_OK, MB_OKCANCEL and MB_YESNO;
// any other fails with ERROR_NOT_SUPPORTED, so that code relying on one
// shows at once.
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
  switch (type & kTypeMask) {
    case MB_OK: return {IDOK};
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
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
    // A default button beyond the box's buttons leaves the first one the
    // default.
    const size_t index = (type & kDefaultButtonMask) >> 8;
    answer = buttons[index < buttons.size() ? index : 0];
  }
  if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) {
    RecordBlockedForever("MessageBoxA(" + Arg(text) + ") waiting for answer " + Dec(answer) +
                         ", which it has no button for");
    answer = 0;
  }
  B().shown.push_back(winsim::MessageBoxRecord{text ? text : "", caption ? caption : "", owner, type, answer});
  return answer;
}
