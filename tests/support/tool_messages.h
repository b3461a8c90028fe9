// The tool's message table, the texts of src/ui/resources/events.mc (UTF-8
// by full message id, lines ended by CR LF), generated at build time from
// that file.
#ifndef KV_TESTS_TOOL_MESSAGES_H
#define KV_TESTS_TOOL_MESSAGES_H

#include <map>
#include <string>

#include "winsim/win_types.h"

std::map<DWORD, std::string> ToolMessageTable();

#endif  // KV_TESTS_TOOL_MESSAGES_H
