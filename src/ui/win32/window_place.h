// Where a dialog opens.
#ifndef KV_UI_WIN32_WINDOW_PLACE_H
#define KV_UI_WIN32_WINDOW_PLACE_H

#include "win32api.h"

// A window without an owner (the tool's dialogs have none) is moved to the
// middle of the screen, its top left corner kept on it; an owned one stays
// where its template puts it. The template itself is left as it is.
void CenterWhenUnowned(HWND window);

#endif  // KV_UI_WIN32_WINDOW_PLACE_H
