#include "ui/win32/input_filter.h"

#include "ui/win32/win32_dialog.h"

namespace {

// The innermost filter. The program's dialogs all run on its main thread,
// one modal loop inside another at most.
InputFilter* current = nullptr;

}  // namespace

InputFilter::InputFilter(const Win32Dialog& dialog)
    : dialog_(dialog),
      outer_(current),
      hook_(SetWindowsHookExA(WH_MSGFILTER, &InputFilter::Hook, nullptr, GetCurrentThreadId())) {
  current = this;
}

InputFilter::~InputFilter() {
  if (hook_) UnhookWindowsHookEx(hook_);
  current = outer_;
}

LRESULT CALLBACK InputFilter::Hook(int code, WPARAM wParam, LPARAM lParam) {
  const InputFilter* filter = current;
  if (code == MSGF_DIALOGBOX && filter && filter->dialog_.Refuses(*reinterpret_cast<const MSG*>(lParam)))
    return TRUE;
  return CallNextHookEx(filter ? filter->hook_ : nullptr, code, wParam, lParam);
}
