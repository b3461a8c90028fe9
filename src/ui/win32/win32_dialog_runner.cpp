#include "ui/win32/win32_dialog_runner.h"

#include "ui/win32/input_filter.h"
#include "ui/win32/win32_dialog.h"

INT_PTR Win32DialogRunner::RunModal(int templateId, DialogController& controller) {
  Win32Dialog dialog(controller);
  InputFilter filter(dialog);
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr, &Win32Dialog::Procedure,
                         reinterpret_cast<LPARAM>(&dialog));
}
