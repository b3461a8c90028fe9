#include "ui/string_table.h"

#include <vector>

std::string LoadTableText(UINT id) {
  const HINSTANCE program = GetModuleHandleA(nullptr);
  // LoadStringA cuts a text that does not fit, possibly before a double-byte
  // character: a text that nearly fills the buffer is loaded again into a
  // larger one. A string table entry holds at most 65535 characters.
  for (int size = 512;; size *= 2) {
    std::vector<char> buffer(static_cast<size_t>(size));
    const int length = LoadStringA(program, id, buffer.data(), size);
    if (length <= 0) return std::string();
    if (length < size - 2 || size >= 0x40000) return std::string(buffer.data(), static_cast<size_t>(length));
  }
}
