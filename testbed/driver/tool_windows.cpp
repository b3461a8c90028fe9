#include "tool_windows.h"

#include <cstring>

namespace uidriver {

namespace {

const int kMessageBoxText = 0xFFFF;

struct KindName {
  const char* word;
  WindowKind kind;
};
const KindName kKindNames[] = {
    {"intro", WindowKind::Intro},
    {"consent", WindowKind::Consent},
    {"removal", WindowKind::Removal},
    {"box", WindowKind::Box},
};

bool Shows(HWND dialog, int id) { return FindVisibleControl(dialog, id) != nullptr; }

bool IsOfKind(HWND dialog, WindowKind kind) {
  switch (kind) {
    case WindowKind::Consent:
      return Shows(dialog, 1004);
    case WindowKind::Removal:
      return Shows(dialog, 1001) && Shows(dialog, 1002) && Shows(dialog, 1003) && !Shows(dialog, 1004);
    case WindowKind::Intro:
      if (!Shows(dialog, IDOK) || !Shows(dialog, IDCANCEL)) return false;
      for (int id = 1000; id <= 1006; ++id)
        if (Shows(dialog, id)) return false;
      return true;
    case WindowKind::Box:
      return Shows(dialog, kMessageBoxText) && (Shows(dialog, IDOK) || Shows(dialog, IDYES)) &&
             !Shows(dialog, IDCANCEL);
  }
  return false;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM parameter) {
  ControlSearch& search = *reinterpret_cast<ControlSearch*>(parameter);
  if ((GetDlgCtrlID(child) & 0xFFFF) != (search.id & 0xFFFF)) return TRUE;
  search.found = child;
  return FALSE;
}

struct WindowSearch {
  const std::wstring* caption;
  WindowKind kind;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  WindowSearch& search = *reinterpret_cast<WindowSearch*>(parameter);
  if (!IsWindowVisible(window)) return TRUE;
  wchar_t className[16] = {};
  if (!GetClassNameW(window, className, 16) || wcscmp(className, L"#32770") != 0) return TRUE;
  std::wstring title;
  if (!ReadWindowText(window, title) || title != *search.caption) return TRUE;
  if (!IsOfKind(window, search.kind)) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

bool ParseWindowKind(const std::string& word, WindowKind& kind) {
  for (const KindName& name : kKindNames) {
    if (word == name.word) {
      kind = name.kind;
      return true;
    }
  }
  return false;
}

bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendLimitMs, &answer)) return false;
  result = static_cast<LRESULT>(answer);
  return true;
}

HWND FindControl(HWND dialog, int id) {
  ControlSearch search = {id, nullptr};
  EnumChildWindows(dialog, MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindVisibleControl(HWND dialog, int id) {
  HWND control = FindControl(dialog, id);
  return control && IsWindowVisible(control) ? control : nullptr;
}

HWND FindToolWindow(const std::wstring& caption, WindowKind kind) {
  WindowSearch search = {&caption, kind, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ReadWindowText(HWND window, std::wstring& text) {
  LRESULT length = 0;
  if (!SendBounded(window, WM_GETTEXTLENGTH, 0, 0, length)) return false;
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = 0;
  if (!SendBounded(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0]), copied)) return false;
  if (copied < 0 || copied > length) copied = 0;
  buffer.resize(static_cast<size_t>(copied));
  text = buffer;
  return true;
}

bool ProgramIsIdle(HWND window) {
  LRESULT ignored = 0;
  return SendBounded(window, WM_NULL, 0, 0, ignored);
}

}  // namespace uidriver
