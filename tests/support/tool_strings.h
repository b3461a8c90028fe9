// The tool's string table, the texts of src/ui/resources/strings.rc (UTF-8
// by id), generated at build time from that file; and its installation in
// the simulated machine, for every host test and the host probe.
#ifndef KV_TESTS_TOOL_STRINGS_H
#define KV_TESTS_TOOL_STRINGS_H

#include <map>
#include <string>

#include "winsim/win_types.h"

std::map<UINT, std::string> ToolStringTable();

#endif  // KV_TESTS_TOOL_STRINGS_H
