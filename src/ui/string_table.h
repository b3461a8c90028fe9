// Texts of the program's own string table.
#ifndef KV_UI_STRING_TABLE_H
#define KV_UI_STRING_TABLE_H

#include <string>

#include "win32api.h"

// Text `id` of the program's string table (ids in src/ui/dialog_ids.h), in
// the system's ANSI code page, loaded now; empty when it cannot be loaded.
std::string LoadTableText(UINT id);

#endif  // KV_UI_STRING_TABLE_H
