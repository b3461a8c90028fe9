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

// Compares two texts character by character, a double-byte character
// counting as its two bytes read as one number (lead byte high) and a
// single-byte character as its byte, so a double-byte character never sorts
// by its lead byte alone. Negative, 0 or positive, as strcmp.
int CompareText(const std::string& first, const std::string& second);

// The same, with the letters A-Z and a-z of single-byte characters taken as
// equal; the bytes of double-byte characters are compared as they are.
int CompareTextNoCase(const std::string& first, const std::string& second);

}  // namespace kv

#endif  // KV_COMMON_MBSTRING_H
