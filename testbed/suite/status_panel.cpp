// ZAMBAZ.EXE: the suite's status panel, a top-level window of class
// "BAZWndClass" titled "Kestrovane" that closes when it receives message
// 1030 (WM_USER + 6) with both parameters 0. What it does with that message
// is chosen by an argument, else by PanelOnClose (see settings.h):
//
//   ZAMBAZ.EXE [/ignore-close | /hang-on-close]
//
// "ignore" keeps the window; "hang" stops the window's thread for good, as a
// panel that no longer answers. Its log (ZAMBAZ.log) has a line for the
// start, each message 1030 and the end.
#include <windows.h>

#include <cstring>
#include <string>

#include "../common/event_log.h"
#include "../common/settings.h"

namespace {

const char kWindowClass[] = "BAZWndClass";
const char kWindowTitle[] = "Kestrovane";
const UINT kCloseMessage = WM_USER + 6;
const char kLog[] = "ZAMBAZ.log";

std::string g_onClose = "close";

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kCloseMessage:
      if (wParam != 0 || lParam != 0) {
        testbed::LogEvent(kLog, "message 1030 with parameters %lu, %ld: not a close request",
                          static_cast<unsigned long>(wParam), static_cast<long>(lParam));
      } else if (g_onClose == "ignore") {
        testbed::LogEvent(kLog, "message 1030: ignored");
      } else if (g_onClose == "hang") {
        testbed::LogEvent(kLog, "message 1030: hanging");
        for (;;) Sleep(INFINITE);
      } else {
        testbed::LogEvent(kLog, "message 1030: closing");
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  g_onClose = testbed::ReadStringSetting("PanelOnClose", "close");
  if (std::strstr(commandLine, "/ignore-close")) g_onClose = "ignore";
  if (std::strstr(commandLine, "/hang-on-close")) g_onClose = "hang";

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PanelProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  const HWND window = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
  if (!window) {
    testbed::LogEvent(kLog, "no window (error %lu)", GetLastError());
    return 1;
  }
  testbed::LogEvent(kLog, "started, window %p, on close: %s", static_cast<void*>(window), g_onClose.c_str());
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  testbed::LogEvent(kLog, "ended");
  return 0;
}
