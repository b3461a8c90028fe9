#include "output.h"

namespace uidriver {

namespace {

// Written raw: the C runtime's text mode would turn line ends into CR LF.
void WriteLine(DWORD handleId, std::string line) {
  line += '\n';
  HANDLE handle = GetStdHandle(handleId);
  DWORD written = 0;
  if (handle && handle != INVALID_HANDLE_VALUE)
    WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string result(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &result[0], size, nullptr, nullptr);
  return result;
}

std::string OnOneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    switch (c) {
      case '\n': line += "\\n"; break;
      case '\r': line += "\\r"; break;
      case '\t': line += "\\t"; break;
      case '\\': line += "\\\\"; break;
      default: line += c;
    }
  }
  return line;
}

void PrintResult(const std::string& line) { WriteLine(STD_OUTPUT_HANDLE, line); }

void PrintLog(const std::string& line) { WriteLine(STD_ERROR_HANDLE, line); }

}  // namespace uidriver
