// winsim internals: the ANSI code pages, through glibc's iconv.
#ifndef WINSIM_CODEPAGE_H
#define WINSIM_CODEPAGE_H

#include <string>

#include "winsim/win_types.h"

namespace winsim {
namespace detail {

// Lead bytes of the double-byte code pages (932, 936, 949, 950).
bool IsLeadByteIn(UINT codePage, unsigned char c);

// ANSI text in `codePage` to UTF-16, character by character; a character
// without a mapping becomes `unmapped` and sets *hadUnmapped. NUL bytes are
// converted too. False when the code page is not supported.
bool AnsiToWide(UINT codePage, const char* text, size_t length, char16_t unmapped, std::u16string* out,
                bool* hadUnmapped = nullptr);

// UTF-16 to ANSI text in `codePage`; a character without a mapping becomes
// `unmapped`. False when the code page is not supported.
bool WideToAnsi(UINT codePage, const char16_t* units, size_t count, char unmapped, std::string* out);

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_CODEPAGE_H
