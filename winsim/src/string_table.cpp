// winsim: the program's string table, served by LoadStringA in the simulated
// ANSI code page, and the text conversions of the control API.
//
// The table belongs to the program, not to the machine: Reset keeps it.
// LoadStringA answers as Windows does (measured under Wine too):
//   - only the low word of the id counts;
//   - the text is converted into the code page and cut to bufferMax - 1
//     bytes and a NUL, never inside a double-byte character (the cut then
//     leaves one byte unused);
//   - an id missing from the table gives 0 and an empty buffer; the last
//     error is ERROR_RESOURCE_NAME_NOT_FOUND when no id of its block of 16
//     exists (the block is a resource of its own), else untouched;
//   - bufferMax 0 gives -1 and leaves the buffer alone;
//   - NULL is the program's instance; a simulated module holds none of the
//     program's strings (ERROR_RESOURCE_NAME_NOT_FOUND) and a handle that is
//     no module has no resources (ERROR_RESOURCE_DATA_NOT_FOUND).
#include <cstring>

#include "codepage.h"
#include "machine.h"
#include "winsim/ui_control.h"

namespace winsim {
namespace detail {

namespace {

const DWORD kErrorResourceNameNotFound = 1814;

std::map<UINT, std::string>& Table() {
  static std::map<UINT, std::string> table;  // UTF-8 texts by id
  return table;
}

// A UTF-8 text in the simulated code page, one string per character.
std::vector<std::string> AnsiCharacters(const std::string& utf8) {
  std::u16string wide;
  AnsiToWide(CP_UTF8, utf8.data(), utf8.size(), u'\uFFFD', &wide);
  std::vector<std::string> characters;
  for (size_t i = 0; i < wide.size();) {
    const size_t n = (wide[i] >= 0xD800 && wide[i] < 0xDC00 && i + 1 < wide.size()) ? 2 : 1;
    std::string bytes;
    WideToAnsi(M().acp, &wide[i], n, '?', &bytes);
    characters.push_back(bytes);
    i += n;
  }
  return characters;
}

std::map<DWORD, std::string>& Messages() {
  static std::map<DWORD, std::string> messages;  // UTF-8 texts by full id
  return messages;
}

bool BlockExists(UINT id) {
  auto it = Table().lower_bound(id & ~0xFu);
  return it != Table().end() && (it->first >> 4) == (id >> 4);
}

}  // namespace

}  // namespace detail

using namespace detail;

std::string ToAnsi(const std::string& utf8) {
  auto lock = Lock();
  std::string ansi;
  for (const std::string& character : AnsiCharacters(utf8)) ansi += character;
  return ansi;
}

std::string FromAnsi(const std::string& ansi) {
  auto lock = Lock();
  std::u16string wide;
  AnsiToWide(M().acp, ansi.data(), ansi.size(), u'\uFFFD', &wide);
  std::string utf8;
  WideToAnsi(CP_UTF8, wide.data(), wide.size(), '?', &utf8);
  return utf8;
}

void SetStringTable(const std::map<UINT, std::string>& utf8Texts) {
  auto lock = Lock();
  Table() = utf8Texts;
}

void SetMessageTable(const std::map<DWORD, std::string>& utf8Texts) {
  auto lock = Lock();
  Messages() = utf8Texts;
}

}  // namespace winsim

using namespace winsim::detail;

// The id comes first in the log, so that a fault can name a string.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  ApiCall call("LoadStringA", {Dec(id), Hex(reinterpret_cast<uintptr_t>(instance)), Dec(bufferMax)});
  if (bufferMax == 0) return -1;
  const uintptr_t module = reinterpret_cast<uintptr_t>(instance);
  const UINT key = LOWORD(id);
  std::string text;
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
  } else if (module != 0 && module != kProgramInstance) {
    SetLastError(M().moduleHandles.count(module) ? kErrorResourceNameNotFound : ERROR_RESOURCE_DATA_NOT_FOUND);
  } else if (Table().count(key)) {
    // A negative bufferMax, taken as unsigned, leaves room for everything.
    const size_t room = bufferMax < 0 ? SIZE_MAX : static_cast<size_t>(bufferMax) - 1;
    for (const std::string& character : AnsiCharacters(Table()[key])) {
      if (text.size() + character.size() > room) break;
      text += character;
    }
  } else if (!BlockExists(key)) {
    SetLastError(kErrorResourceNameNotFound);
  }
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return static_cast<int>(text.size());
}

// Only what the program asks of its own message table: the text as it
// stands (inserts ignored), into the caller's buffer. Too small a buffer
// gives ERROR_INSUFFICIENT_BUFFER and 0, a missing id ERROR_MR_MID_NOT_FOUND.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD, LPSTR buffer, DWORD size, va_list*) {
  ApiCall call("FormatMessageA", {Hex(messageId), Hex(flags), Dec(size)});
  DWORD error = 0;
  std::string text;
  if (auto fault = call.Fault())
    error = static_cast<DWORD>(*fault);
  else if (flags != (FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS) || source || !buffer)
    error = ERROR_INVALID_PARAMETER;  // nothing else is modelled
  else if (!Messages().count(messageId))
    error = ERROR_MR_MID_NOT_FOUND;
  else
    for (const std::string& character : AnsiCharacters(Messages()[messageId])) text += character;
  if (!error && text.size() + 1 > size) error = ERROR_INSUFFICIENT_BUFFER;
  if (error) {
    SetLastError(error);
    return 0;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}
