// The common part of the stand-in's COM objects: reference counting,
// QueryInterface for IUnknown, IDispatch and the object's own interface, and
// an IDispatch without type information (the tool calls the vtable).
#ifndef KV_TESTBED_FIREWALL_COM_OBJECT_H
#define KV_TESTBED_FIREWALL_COM_OBJECT_H

#include <windows.h>
#include <netfw.h>

#include <string>

namespace fwstandin {

// Objects alive and class-factory locks, for DllCanUnloadNow.
extern LONG g_liveObjects;
extern LONG g_serverLocks;

template <typename Interface>
class ComObject : public Interface {
 public:
  ComObject() { InterlockedIncrement(&g_liveObjects); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  virtual ~ComObject() { InterlockedDecrement(&g_liveObjects); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, __uuidof(Interface))) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

 private:
  LONG references_ = 1;  // the creator's
};

// Hands a new object (holding the creator's one reference) to an out
// parameter.
template <typename Interface>
HRESULT HandOut(Interface* object, Interface** out) {
  if (!out) {
    object->Release();
    return E_POINTER;
  }
  *out = object;
  return S_OK;
}

// A plain value for an out parameter.
template <typename Value>
HRESULT HandOutValue(Value value, Value* out) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

// A BSTR copy of `text` for an out parameter.
inline HRESULT HandOutString(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

inline std::wstring FromBstr(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

// The profile a profile type names (the current one is resolved), or false
// for a type that names none.
bool ResolveProfile(NET_FW_PROFILE_TYPE type, NET_FW_PROFILE_TYPE& profile);

// Object makers of the stand-in's classes; each hands out one reference.
INetFwMgr* NewManager();
INetFwProfile* NewProfile(NET_FW_PROFILE_TYPE profile);
INetFwAuthorizedApplications* NewApplications(NET_FW_PROFILE_TYPE profile);
INetFwServices* NewServices(NET_FW_PROFILE_TYPE profile);
// A new entry, in no list yet (CoCreateInstance of the entry class).
INetFwAuthorizedApplication* NewApplication();

}  // namespace fwstandin

#endif  // KV_TESTBED_FIREWALL_COM_OBJECT_H
