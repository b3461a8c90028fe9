// Bounds-checked little-endian reads for the test parsers of binary
// formats. A read outside the bytes throws Malformed, which each parser's
// entry point turns into its error message.
#ifndef KV_TESTS_BYTE_READER_H
#define KV_TESTS_BYTE_READER_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvtest {

struct Malformed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ByteReader {
 public:
  explicit ByteReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  void Need(uint64_t offset, uint64_t length, const char* what) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset)
      throw Malformed(std::string(what) + " lies outside its data");
  }
  uint8_t U8(uint64_t offset) const {
    Need(offset, 1, "a field");
    return bytes_[offset];
  }
  uint16_t U16(uint64_t offset) const { return static_cast<uint16_t>(U8(offset) | (U8(offset + 1) << 8)); }
  uint32_t U32(uint64_t offset) const { return U16(offset) | (static_cast<uint32_t>(U16(offset + 2)) << 16); }
  std::vector<uint8_t> Slice(uint64_t offset, uint64_t length, const char* what) const {
    Need(offset, length, what);
    return std::vector<uint8_t>(bytes_.begin() + static_cast<long>(offset),
                                bytes_.begin() + static_cast<long>(offset + length));
  }
  // A NUL-terminated string of bytes, or of UTF-16 units; `offset` is moved
  // past the NUL.
  std::string Text(uint64_t* offset) const {
    std::string text;
    while (const uint8_t c = U8((*offset)++)) text.push_back(static_cast<char>(c));
    return text;
  }
  std::u16string WideText(uint64_t* offset) const {
    std::u16string text;
    for (uint16_t c; (c = U16(*offset)) != 0; *offset += 2) text.push_back(static_cast<char16_t>(c));
    *offset += 2;
    return text;
  }

 private:
  const std::vector<uint8_t>& bytes_;
};

// Runs a parser that may throw Malformed: true, or false with the message.
template <typename Parse>
bool ParseOrExplain(Parse parse, std::string* error) {
  try {
    parse();
    return true;
  } catch (const Malformed& e) {
    *error = e.what();
    return false;
  }
}

}  // namespace kvtest

#endif  // KV_TESTS_BYTE_READER_H
