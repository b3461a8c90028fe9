// What a user sees of a control: shown, enabled, checked, held pressed.
// Named by words, each with its opposite: visible/hidden, enabled/disabled,
// checked/unchecked, pressed/released.
#ifndef KV_TESTBED_DRIVER_CONTROL_STATE_H
#define KV_TESTBED_DRIVER_CONTROL_STATE_H

#include <windows.h>

#include <string>

namespace uidriver {

// False when the program did not answer.
bool ReadControlState(HWND control, std::string& words);

// Whether `control` is in every state of `wanted` (words separated by
// commas); false in `holds` if not. False on an unknown word (`error` says
// which) or when the program did not answer.
bool CheckControlState(HWND control, const std::string& wanted, bool& holds, std::string& error);

}  // namespace uidriver

#endif  // KV_TESTBED_DRIVER_CONTROL_STATE_H
