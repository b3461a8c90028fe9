#include "codepage.h"

#include <iconv.h>

namespace winsim {
namespace detail {

namespace {

const char* IconvName(UINT codePage) {
  switch (codePage) {
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "BIG5";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case CP_UTF8: return "UTF-8";
    default: return nullptr;
  }
}

// One iconv conversion descriptor, converting one character at a time.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Appends the conversion of exactly `length` bytes; false when they do not
  // form one convertible character.
  bool One(const char* in, size_t length, std::string* out) {
    char buffer[16];
    char* inPtr = const_cast<char*>(in);
    char* outPtr = buffer;
    size_t inLeft = length, outLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
    out->append(buffer, sizeof buffer - outLeft);
    return true;
  }

 private:
  iconv_t cd_;
};

size_t CharLength(UINT codePage, const char* text, size_t left) {
  const unsigned char c = static_cast<unsigned char>(*text);
  size_t n = 1;
  if (codePage == CP_UTF8)
    n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  else if (IsLeadByteIn(codePage, c))
    n = 2;
  return n > left ? left : n;
}

}  // namespace

bool IsLeadByteIn(UINT codePage, unsigned char c) {
  switch (codePage) {
    case 932: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:
    case 949:
    case 950: return c >= 0x81 && c <= 0xFE;
    default: return false;
  }
}

bool AnsiToWide(UINT codePage, const char* text, size_t length, char16_t unmapped, std::u16string* out,
                bool* hadUnmapped) {
  const char* name = IconvName(codePage);
  if (!name) return false;
  Converter converter("UTF-16LE", name);
  if (!converter.valid()) return false;
  if (hadUnmapped) *hadUnmapped = false;
  for (size_t i = 0; i < length;) {
    const size_t n = CharLength(codePage, text + i, length - i);
    std::string units;
    if (text[i] == '\0') {
      out->push_back(u'\0');
    } else if (converter.One(text + i, n, &units)) {
      for (size_t k = 0; k + 1 < units.size(); k += 2)
        out->push_back(static_cast<char16_t>(static_cast<uint8_t>(units[k]) | (static_cast<uint8_t>(units[k + 1]) << 8)));
    } else {
      out->push_back(unmapped);
      if (hadUnmapped) *hadUnmapped = true;
    }
    i += n;
  }
  return true;
}

bool WideToAnsi(UINT codePage, const char16_t* units, size_t count, char unmapped, std::string* out) {
  const char* name = IconvName(codePage);
  if (!name) return false;
  Converter converter(name, "UTF-16LE");
  if (!converter.valid()) return false;
  for (size_t i = 0; i < count;) {
    const char16_t unit = units[i];
    const size_t n = (unit >= 0xD800 && unit < 0xDC00 && i + 1 < count) ? 2 : 1;
    char bytes[4];
    for (size_t k = 0; k < n; ++k) {
      bytes[2 * k] = static_cast<char>(units[i + k] & 0xFF);
      bytes[2 * k + 1] = static_cast<char>(units[i + k] >> 8);
    }
    if (unit == 0)
      out->push_back('\0');
    else if (!converter.One(bytes, 2 * n, out))
      out->push_back(unmapped);
    i += n;
  }
  return true;
}

}  // namespace detail
}  // namespace winsim
