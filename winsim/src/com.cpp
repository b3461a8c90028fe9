// winsim: COM apartments, object creation and the bookkeeping of live
// objects.
#include <cstdio>

#include "com_object.h"
#include "firewall_state.h"

namespace winsim {
namespace detail {

const IID kIidIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

ComState& Com() {
  static ComState state;
  return state;
}

int ApartmentCountOfThisThread() {
  auto it = Com().apartments.find(std::this_thread::get_id());
  return it == Com().apartments.end() ? 0 : it->second;
}

void ReportComLeftovers(std::vector<std::string>& out) {
  for (const auto& object : Com().objects)
    out.push_back("COM object " + object.second.first + " with " + std::to_string(object.second.second) +
                  " reference(s)");
  if (!Com().bstrs.empty()) out.push_back(std::to_string(Com().bstrs.size()) + " BSTR(s) not freed");
  for (const auto& apartment : Com().apartments)
    if (apartment.second > 0)
      out.push_back("COM initialised " + std::to_string(apartment.second) + " time(s) on a thread without CoUninitialize");
}

void ResetCom() {
  ComState& com = Com();
  for (const auto& object : com.objects) com.orphans[object.first] = object.second;
  com.objects.clear();
  com.apartments.clear();
  com.unbalancedUninitialize = 0;
  com.callsOutsideApartment = 0;
  com.bstrs.clear();  // those still allocated stay valid memory, uncounted
  com.invalidBstrFrees = 0;
}

std::string Utf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Utf8(const WCHAR* text) { return text ? Utf8(std::u16string(text)) : std::string(); }

std::u16string Utf16(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    uint32_t c = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += 1 + extra;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string QuotedBstr(BSTR text) { return text ? "\"" + Utf8(text) + "\"" : "NULL"; }

std::string GuidText(REFGUID g) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buffer;
}

}  // namespace detail

using namespace detail;

int ComInitCount() {
  auto lock = Lock();
  return ApartmentCountOfThisThread();
}

int UnbalancedCoUninitializeCount() {
  auto lock = Lock();
  return Com().unbalancedUninitialize;
}

int LiveComObjects() {
  auto lock = Lock();
  return static_cast<int>(Com().objects.size());
}

int ComReferences() {
  auto lock = Lock();
  int total = 0;
  for (const auto& object : Com().objects) total += static_cast<int>(object.second.second);
  return total;
}

int ComReferences(const std::string& interfaceName) {
  auto lock = Lock();
  int total = 0;
  for (const auto& object : Com().objects)
    if (object.second.first == interfaceName) total += static_cast<int>(object.second.second);
  return total;
}

int ComCallsOutsideApartment() {
  auto lock = Lock();
  return Com().callsOutsideApartment;
}

}  // namespace winsim

// ---- Simulated calls -------------------------------------------------------
using namespace winsim::detail;

HRESULT CoInitialize(LPVOID pvReserved) {
  ApiCall call("CoInitialize", {pvReserved ? "non-NULL" : "NULL"});
  if (auto fault = call.Fault()) return static_cast<HRESULT>(*fault);
  int& count = Com().apartments[std::this_thread::get_id()];
  return count++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  ApiCall call("CoUninitialize", {});
  auto it = Com().apartments.find(std::this_thread::get_id());
  if (it == Com().apartments.end() || it->second == 0) {
    // Windows ignores it; the simulation remembers it.
    ++Com().unbalancedUninitialize;
    return;
  }
  if (--it->second == 0) Com().apartments.erase(it);
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
  ApiCall call("CoCreateInstance", {GuidText(rclsid), pUnkOuter ? "outer" : "NULL", Hex(dwClsContext), GuidText(riid)});
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (auto fault = call.Fault()) return static_cast<HRESULT>(*fault);
  if (ApartmentCountOfThisThread() == 0) return CO_E_NOTINITIALIZED;
  // The firewall's classes are in-process servers only.
  if (!(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  if (pUnkOuter && FirewallClassRegistered(rclsid)) return CLASS_E_NOAGGREGATION;
  return CreateFirewallObject(rclsid, riid, ppv);
}
