// A profile's predefined services. Only File and Printer Sharing is kept:
// its state and scope are those of its four ports.
#include "com_object.h"
#include "policy_store.h"

namespace fwstandin {
namespace {

class FileAndPrintService : public ComObject<INetFwService> {
 public:
  explicit FileAndPrintService(NET_FW_PROFILE_TYPE profile) : profile_(profile) {}

  HRESULT STDMETHODCALLTYPE get_Type(NET_FW_SERVICE_TYPE* type) override {
    return HandOutValue(NET_FW_SERVICE_FILE_AND_PRINT, type);
  }

  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override {
    if (!enabled) return E_POINTER;
    bool on = false;
    Scope scope;
    const HRESULT hr = ReadFileAndPrint(profile_, on, scope);
    if (SUCCEEDED(hr)) *enabled = on ? VARIANT_TRUE : VARIANT_FALSE;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) override {
    return EnableFileAndPrint(profile_, enabled != VARIANT_FALSE);
  }

  HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE* scope) override {
    if (!scope) return E_POINTER;
    bool on = false;
    Scope current;
    const HRESULT hr = ReadFileAndPrint(profile_, on, current);
    if (SUCCEEDED(hr)) *scope = current.kind;
    return hr;
  }
  // A custom scope is made by giving the addresses, not by this property.
  HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE scope) override {
    if (scope != NET_FW_SCOPE_ALL && scope != NET_FW_SCOPE_LOCAL_SUBNET) return E_INVALIDARG;
    return ScopeFileAndPrint(profile_, Scope{scope, L""});
  }

  HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Customized(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IpVersion(NET_FW_IP_VERSION*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_IpVersion(NET_FW_IP_VERSION) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_RemoteAddresses(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_GloballyOpenPorts(INetFwOpenPorts**) override { return E_NOTIMPL; }

 private:
  const NET_FW_PROFILE_TYPE profile_;
};

class Services : public ComObject<INetFwServices> {
 public:
  explicit Services(NET_FW_PROFILE_TYPE profile) : profile_(profile) {}

  HRESULT STDMETHODCALLTYPE Item(NET_FW_SERVICE_TYPE type, INetFwService** service) override {
    if (!service) return E_POINTER;
    *service = nullptr;
    if (type != NET_FW_SERVICE_FILE_AND_PRINT) return E_NOTIMPL;
    return HandOut<INetFwService>(new FileAndPrintService(profile_), service);
  }

  HRESULT STDMETHODCALLTYPE get_Count(long*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

 private:
  const NET_FW_PROFILE_TYPE profile_;
};

}  // namespace

INetFwServices* NewServices(NET_FW_PROFILE_TYPE profile) { return new Services(profile); }

}  // namespace fwstandin
