// What the driver tells its caller: results on standard output in UTF-8
// (texts of the tool's windows, which the program shows from code page 932,
// as the system holds them in UTF-16), its log and failures on standard
// error.
#ifndef KV_TESTBED_DRIVER_OUTPUT_H
#define KV_TESTBED_DRIVER_OUTPUT_H

#include <windows.h>

#include <string>

namespace uidriver {

std::string ToUtf8(const std::wstring& text);

// A text on one line, written as the program's string table writes it: a
// line feed as \n, a carriage return as \r, a tab as \t, a backslash as
// \\. So a script compares a box's text with its entry in the table.
std::string OnOneLine(const std::string& text);

// One line (a line end added) to standard output, written at once.
void PrintResult(const std::string& line);

// One line to standard error.
void PrintLog(const std::string& line);

}  // namespace uidriver

#endif  // KV_TESTBED_DRIVER_OUTPUT_H
