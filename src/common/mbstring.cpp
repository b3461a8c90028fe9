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

namespace {

// The character starting at `p` as one number, and the start of the next.
unsigned int CharCode(const char*& p, bool foldCase) {
  const char* next = CharNextA(p);
  if (next == p) next = p + 1;  // an embedded NUL
  unsigned int code = static_cast<unsigned char>(*p);
  if (next - p == 2) {
    code = code << 8 | static_cast<unsigned char>(p[1]);
  } else if (foldCase && code >= 'a' && code <= 'z') {
    code -= 'a' - 'A';
  }
  p = next;
  return code;
}

int Compare(const std::string& first, const std::string& second, bool foldCase) {
  const char* a = first.c_str();
  const char* b = second.c_str();
  const char* aEnd = a + first.size();
  const char* bEnd = b + second.size();
  while (a < aEnd && b < bEnd) {
    const unsigned int x = CharCode(a, foldCase);
    const unsigned int y = CharCode(b, foldCase);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a < aEnd) return 1;
  return b < bEnd ? -1 : 0;
}

}  // namespace

int CompareText(const std::string& first, const std::string& second) { return Compare(first, second, false); }

int CompareTextNoCase(const std::string& first, const std::string& second) { return Compare(first, second, true); }

}  // namespace kv
