// winsim: automation strings. A BSTR is a length prefix (bytes, 32-bit)
// followed by the characters and a terminating zero; the pointer handed out
// points at the first character, as on Windows.
#include <cstdlib>
#include <cstring>

#include "com_object.h"

namespace {

BSTR Allocate(const OLECHAR* source, UINT length) {
  auto* block = static_cast<unsigned char*>(std::malloc(sizeof(DWORD) + (size_t(length) + 1) * sizeof(OLECHAR)));
  if (!block) return nullptr;
  const DWORD bytes = static_cast<DWORD>(length * sizeof(OLECHAR));
  std::memcpy(block, &bytes, sizeof bytes);
  BSTR text = reinterpret_cast<BSTR>(block + sizeof(DWORD));
  if (source)
    std::memcpy(text, source, length * sizeof(OLECHAR));
  else
    std::memset(text, 0, length * sizeof(OLECHAR));
  text[length] = 0;
  winsim::detail::Com().bstrs.insert(text);
  return text;
}

}  // namespace

namespace winsim {

int LiveBstrCount() {
  auto lock = detail::Lock();
  return static_cast<int>(detail::Com().bstrs.size());
}

int InvalidBstrFrees() {
  auto lock = detail::Lock();
  return detail::Com().invalidBstrFrees;
}

}  // namespace winsim

using namespace winsim::detail;

BSTR SysAllocString(const OLECHAR* psz) {
  ApiCall call("SysAllocString", {psz ? "\"" + Utf8(psz) + "\"" : "NULL"});
  if (call.Fault() || !psz) return nullptr;
  return Allocate(psz, static_cast<UINT>(std::u16string(psz).size()));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  ApiCall call("SysAllocStringLen", {strIn ? "\"" + Utf8(std::u16string(strIn, ui)) + "\"" : "NULL", Dec(ui)});
  if (call.Fault()) return nullptr;
  return Allocate(strIn, ui);
}

void SysFreeString(BSTR bstrString) {
  auto lock = Lock();
  const bool live = bstrString && Com().bstrs.count(bstrString) != 0;
  ApiCall call("SysFreeString", {live ? QuotedBstr(bstrString) : bstrString ? "invalid" : "NULL"});
  if (!bstrString) return;
  if (!live) {
    // On Windows this corrupts the heap; here it is only counted.
    ++Com().invalidBstrFrees;
    return;
  }
  Com().bstrs.erase(bstrString);
  std::free(reinterpret_cast<unsigned char*>(bstrString) - sizeof(DWORD));
}

UINT SysStringLen(BSTR pbstr) {
  if (!pbstr) return 0;
  DWORD bytes;
  std::memcpy(&bytes, reinterpret_cast<unsigned char*>(pbstr) - sizeof(DWORD), sizeof bytes);
  return bytes / sizeof(OLECHAR);
}
