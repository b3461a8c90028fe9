// Character-wise searches in narrow strings of the system's ANSI code page.
//
// A double-byte character is one character: its trail byte (which in code
// page 932 may be 0x5C, the byte of the backslash) is never matched on its
// own. Positions are byte offsets.
#ifndef KV_COMMON_MBSTRING_H
#define KV_COMMON_MBSTRING_H

#include <cstddef>
#include <string>

namespace kv {

// Byte offset of the last character equal to the single-byte `c`, or npos.
size_t FindLastChar(const std::string& text, char c);

// Byte offset of the first occurrence of `token` that starts on a character
// boundary (byte for byte, case-sensitive), or npos.
size_t FindToken(const std::string& text, const std::string& token);

// Byte offset where the last character of a non-empty text starts.
size_t LastCharStart(const std::string& text);

}  // namespace kv

#endif  // KV_COMMON_MBSTRING_H
