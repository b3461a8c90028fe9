#include "common/mbstring.h"

#include <cstring>

#include "win32api.h"

namespace kv {

namespace {

// Calls `visit` with the byte offset of every character of the text.
template <typename Visit>
void ForEachChar(const std::string& text, Visit visit) {
  const char* begin = text.c_str();
  const char* end = begin + text.size();
  for (const char* p = begin; p < end;) {
    visit(static_cast<size_t>(p - begin));
    const char* next = CharNextA(p);
    // An embedded NUL stops CharNextA; step over it as one byte.
    p = next == p ? p + 1 : next;
  }
}

}  // namespace

size_t FindLastChar(const std::string& text, char c) {
  size_t found = std::string::npos;
  ForEachChar(text, [&](size_t at) {
    if (text[at] == c) found = at;
  });
  return found;
}

size_t FindToken(const std::string& text, const std::string& token) {
  if (token.empty() || token.size() > text.size()) return token.empty() ? 0 : std::string::npos;
  size_t found = std::string::npos;
  ForEachChar(text, [&](size_t at) {
    if (found == std::string::npos && text.compare(at, token.size(), token) == 0) found = at;
  });
  return found;
}

size_t LastCharStart(const std::string& text) {
  size_t last = 0;
  ForEachChar(text, [&](size_t at) { last = at; });
  return last;
}

}  // namespace kv
