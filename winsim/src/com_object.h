// winsim internals: COM bookkeeping (apartments per thread, live objects and
// their references, BSTRs) and the base of every simulated COM object.
#ifndef WINSIM_COM_OBJECT_H
#define WINSIM_COM_OBJECT_H

#include <map>
#include <set>
#include <string>
#include <thread>

#include "machine.h"
#include "winsim/firewall_control.h"

namespace winsim {
namespace detail {

struct ComState {
  std::map<std::thread::id, int> apartments;  // unbalanced CoInitialize per thread
  int unbalancedUninitialize = 0;
  std::map<const void*, std::pair<std::string, ULONG>> objects;  // interface name, references
  // Objects still referenced when the machine was reset: they keep working
  // until released, but are no longer counted.
  std::map<const void*, std::pair<std::string, ULONG>> orphans;
  int callsOutsideApartment = 0;
  std::set<const void*> bstrs;
  int invalidBstrFrees = 0;
};

// The state above; the machine lock must be held.
ComState& Com();
int ApartmentCountOfThisThread();
void ResetCom();

extern const IID kIidIUnknown;

// UTF-16 <-> UTF-8 for logs and the control API.
std::string Utf8(const std::u16string& text);
std::string Utf8(const WCHAR* text);  // "" for NULL
std::u16string Utf16(const std::string& utf8);
std::string QuotedBstr(BSTR text);   // quoted UTF-8, or NULL
std::string GuidText(REFGUID guid);  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}

// A simulated object implementing one interface. Construction and
// destruction happen with the machine lock held; the object registers itself
// as alive with one reference and ends itself in its last Release.
template <typename Interface>
class ComObject : public Interface {
 public:
  ComObject(const char* interfaceName, REFIID iid) : name_(interfaceName), iid_(iid) {
    Com().objects[this] = {name_, 1};
  }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
    ApiCall call(Method("QueryInterface").c_str(), {GuidText(riid)});
    NoteCall();
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (!IsEqualGUID(riid, iid_) && !IsEqualGUID(riid, kIidIUnknown)) return E_NOINTERFACE;
    ++Refs();
    *ppvObject = static_cast<Interface*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    ApiCall call(Method("AddRef").c_str(), {});
    NoteCall();
    return ++Refs();
  }
  ULONG STDMETHODCALLTYPE Release() override {
    ApiCall call(Method("Release").c_str(), {});
    NoteCall();
    const ULONG left = --Refs();
    if (left == 0) {
      Com().objects.erase(this);
      Com().orphans.erase(this);
      delete this;
    }
    return left;
  }

 protected:
  virtual ~ComObject() = default;

  std::string Method(const char* method) const { return name_ + "::" + method; }
  // Every call on an object counts against the apartment rule.
  ULONG& Refs() {
    auto it = Com().objects.find(this);
    return it != Com().objects.end() ? it->second.second : Com().orphans[this].second;
  }
  static void NoteCall() {
    if (ApartmentCountOfThisThread() == 0) ++Com().callsOutsideApartment;
  }

 private:
  std::string name_;
  IID iid_;
};

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_COM_OBJECT_H
