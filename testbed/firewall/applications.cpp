// Authorized applications: an entry, either new (made by CoCreateInstance,
// kept in memory until Add lists it) or listed (read from a profile's list;
// every change to it is written back at once), and a profile's list.
#include "com_object.h"
#include "policy_store.h"

namespace fwstandin {
namespace {

// An image path as the list keys it: made absolute, as the firewall does
// (no change of case, no lookup of the file).
std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return length == 0 || length >= MAX_PATH ? path : std::wstring(full, length);
}

class Application : public ComObject<INetFwAuthorizedApplication> {
 public:
  Application() = default;
  Application(NET_FW_PROFILE_TYPE profile, const AppEntry& entry) : entry_(entry), listed_(true), profile_(profile) {}

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override { return HandOutString(entry_.name, name); }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR name) override {
    if (SysStringLen(name) == 0) return E_INVALIDARG;
    entry_.name = FromBstr(name);
    return Store();
  }

  HRESULT STDMETHODCALLTYPE get_ProcessImageFileName(BSTR* path) override {
    if (!path) return E_POINTER;
    if (entry_.imagePath.empty()) {
      *path = nullptr;
      return S_OK;
    }
    return HandOutString(entry_.imagePath, path);
  }
  HRESULT STDMETHODCALLTYPE put_ProcessImageFileName(BSTR path) override {
    if (SysStringLen(path) == 0) return E_INVALIDARG;
    // A listed entry moves to its new path.
    if (listed_) DeleteApp(profile_, entry_.imagePath);
    entry_.imagePath = FullPath(FromBstr(path));
    return Store();
  }

  // The list does not record an IP version: a listed entry says "any".
  HRESULT STDMETHODCALLTYPE get_IpVersion(NET_FW_IP_VERSION* version) override {
    return HandOutValue(ipVersion_, version);
  }
  HRESULT STDMETHODCALLTYPE put_IpVersion(NET_FW_IP_VERSION version) override {
    if (version != NET_FW_IP_VERSION_V4 && version != NET_FW_IP_VERSION_V6 && version != NET_FW_IP_VERSION_ANY)
      return E_INVALIDARG;
    ipVersion_ = version;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE* scope) override { return HandOutValue(entry_.scope.kind, scope); }
  // A custom scope is made by giving the addresses, not by this property.
  HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE scope) override {
    if (scope != NET_FW_SCOPE_ALL && scope != NET_FW_SCOPE_LOCAL_SUBNET) return E_INVALIDARG;
    entry_.scope = Scope{scope, L""};
    return Store();
  }

  HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR* addresses) override {
    return HandOutString(FormatScope(entry_.scope), addresses);
  }
  HRESULT STDMETHODCALLTYPE put_RemoteAddresses(BSTR addresses) override {
    if (SysStringLen(addresses) == 0) return E_INVALIDARG;
    entry_.scope = ParseScope(FromBstr(addresses));
    return Store();
  }

  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override {
    return HandOutValue<VARIANT_BOOL>(entry_.enabled ? VARIANT_TRUE : VARIANT_FALSE, enabled);
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) override {
    entry_.enabled = enabled != VARIANT_FALSE;
    return Store();
  }

 private:
  HRESULT Store() { return listed_ ? WriteApp(profile_, entry_) : S_OK; }

  AppEntry entry_;  // a new entry: enabled, open to all, no name or path yet
  NET_FW_IP_VERSION ipVersion_ = NET_FW_IP_VERSION_ANY;
  const bool listed_ = false;
  const NET_FW_PROFILE_TYPE profile_ = NET_FW_PROFILE_STANDARD;
};

class Applications : public ComObject<INetFwAuthorizedApplications> {
 public:
  explicit Applications(NET_FW_PROFILE_TYPE profile) : profile_(profile) {}

  HRESULT STDMETHODCALLTYPE get_Count(long* count) override {
    return count ? CountApps(profile_, *count) : E_POINTER;
  }

  // Lists the entry (any implementation of the interface), replacing one
  // listed under the same path.
  HRESULT STDMETHODCALLTYPE Add(INetFwAuthorizedApplication* app) override {
    if (!app) return E_POINTER;
    BSTR path = nullptr, name = nullptr, addresses = nullptr;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    HRESULT hr = app->get_ProcessImageFileName(&path);
    if (SUCCEEDED(hr)) hr = app->get_Name(&name);
    if (SUCCEEDED(hr)) hr = app->get_RemoteAddresses(&addresses);
    if (SUCCEEDED(hr)) hr = app->get_Enabled(&enabled);
    if (SUCCEEDED(hr) && (SysStringLen(path) == 0 || SysStringLen(name) == 0)) hr = E_INVALIDARG;
    if (SUCCEEDED(hr)) {
      AppEntry entry;
      entry.imagePath = FullPath(FromBstr(path));
      entry.name = FromBstr(name);
      entry.scope = ParseScope(FromBstr(addresses));
      entry.enabled = enabled != VARIANT_FALSE;
      hr = WriteApp(profile_, entry);
    }
    SysFreeString(path);
    SysFreeString(name);
    SysFreeString(addresses);
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Remove(BSTR path) override {
    if (SysStringLen(path) == 0) return E_INVALIDARG;
    return DeleteApp(profile_, FullPath(FromBstr(path)));
  }

  HRESULT STDMETHODCALLTYPE Item(BSTR path, INetFwAuthorizedApplication** app) override {
    if (!app) return E_POINTER;
    *app = nullptr;
    if (SysStringLen(path) == 0) return E_INVALIDARG;
    AppEntry entry;
    const HRESULT hr = ReadApp(profile_, FullPath(FromBstr(path)), entry);
    return FAILED(hr) ? hr : HandOut<INetFwAuthorizedApplication>(new Application(profile_, entry), app);
  }

  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

 private:
  const NET_FW_PROFILE_TYPE profile_;
};

}  // namespace

INetFwAuthorizedApplications* NewApplications(NET_FW_PROFILE_TYPE profile) { return new Applications(profile); }
INetFwAuthorizedApplication* NewApplication() { return new Application; }

}  // namespace fwstandin
