// Access to the Windows Firewall policy through its COM interfaces.
#include "firewall/firewall_policy.h"

#include "firewall/com_ptr.h"

namespace {

// One operation's profile: opened on construction, closed (profile
// released, COM balanced) on every way out. Interfaces obtained from it are
// declared after it, so they are released before it.
class OpenedProfile {
 public:
  explicit OpenedProfile(NET_FW_PROFILE_TYPE type) : result_(OpenFirewallProfile(type, handle_)) {}
  OpenedProfile(const OpenedProfile&) = delete;
  OpenedProfile& operator=(const OpenedProfile&) = delete;
  ~OpenedProfile() { CloseFirewallProfile(handle_); }

  HRESULT result() const { return result_; }
  INetFwProfile* operator->() const { return handle_.profile; }

 private:
  FirewallProfileHandle handle_;
  HRESULT result_;
};

VARIANT_BOOL ToVariantBool(BOOL flag) { return flag ? VARIANT_TRUE : VARIANT_FALSE; }

// The opened profile's authorized-application list; the opening's failure,
// if it failed.
HRESULT GetApplications(const OpenedProfile& profile, kv::ComPtr<INetFwAuthorizedApplications>& apps) {
  const HRESULT hr = profile.result();
  return FAILED(hr) ? hr : profile->get_AuthorizedApplications(apps.out());
}

}  // namespace

HRESULT OpenFirewallProfile(NET_FW_PROFILE_TYPE type, FirewallProfileHandle& handle) {
  handle.profile = nullptr;
  handle.comInitialized = false;

  HRESULT hr = CoInitialize(nullptr);
  if (FAILED(hr)) return hr;
  handle.comInitialized = true;

  kv::ComPtr<INetFwMgr> manager;
  kv::ComPtr<INetFwPolicy> policy;
  hr = CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr, manager.outVoid());
  if (SUCCEEDED(hr)) hr = manager->get_LocalPolicy(policy.out());
  if (SUCCEEDED(hr)) hr = policy->GetProfileByType(type, &handle.profile);
  policy.reset();
  manager.reset();
  return hr;
}

void CloseFirewallProfile(FirewallProfileHandle& handle) {
  if (handle.profile) {
    handle.profile->Release();
    handle.profile = nullptr;
  }
  if (handle.comInitialized) {
    CoUninitialize();
    handle.comInitialized = false;
  }
}

HRESULT AuthorizeApplication(NET_FW_PROFILE_TYPE type, BSTR displayName, BSTR imagePath,
                             NET_FW_IP_VERSION ipVersion, NET_FW_SCOPE scope, BSTR remoteAddresses,
                             BOOL enable) {
  OpenedProfile profile(type);
  kv::ComPtr<INetFwAuthorizedApplications> apps;
  HRESULT hr = GetApplications(profile, apps);
  if (FAILED(hr)) return hr;

  kv::ComPtr<INetFwAuthorizedApplication> app;
  if (SUCCEEDED(apps->Item(imagePath, app.out()))) {
    // Listed already: switch it, never re-create it. A custom scope needs
    // its address list, which an existing entry keeps, so only all and
    // local subnet are written here.
    hr = app->put_Enabled(ToVariantBool(enable));
    if (SUCCEEDED(hr) && enable && scope != NET_FW_SCOPE_CUSTOM) hr = app->put_Scope(scope);
    return hr;
  }

  // Not listed (or not readable, whatever the reason): build a new entry.
  hr = CoCreateInstance(CLSID_NetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                        IID_INetFwAuthorizedApplication, app.outVoid());
  if (FAILED(hr)) return hr;
  hr = app->put_Name(displayName);
  if (FAILED(hr)) return hr;
  hr = app->put_ProcessImageFileName(imagePath);
  if (FAILED(hr)) return hr;
  hr = app->put_IpVersion(ipVersion);
  if (FAILED(hr)) return hr;
  // The firewall takes all or local subnet as a scope; a custom scope is
  // made by writing the remote-address list instead.
  hr = scope == NET_FW_SCOPE_CUSTOM ? app->put_RemoteAddresses(remoteAddresses) : app->put_Scope(scope);
  if (FAILED(hr)) return hr;
  hr = app->put_Enabled(ToVariantBool(enable));
  if (FAILED(hr)) return hr;
  return apps->Add(app.get());
}

HRESULT RemoveAuthorizedApplication(NET_FW_PROFILE_TYPE type, BSTR imagePath) {
  OpenedProfile profile(type);
  kv::ComPtr<INetFwAuthorizedApplications> apps;
  HRESULT hr = GetApplications(profile, apps);
  if (FAILED(hr)) return hr;

  kv::ComPtr<INetFwAuthorizedApplication> app;
  hr = apps->Item(imagePath, app.out());
  if (hr == FirewallAppNotListed) return S_OK;
  // Found, or the lookup failed some other way: Remove decides.
  return apps->Remove(imagePath);
}

HRESULT SetFirewallService(NET_FW_PROFILE_TYPE type, NET_FW_SERVICE_TYPE serviceType, BOOL enable) {
  OpenedProfile profile(type);
  HRESULT hr = profile.result();
  if (FAILED(hr)) return hr;

  kv::ComPtr<INetFwServices> services;
  hr = profile->get_Services(services.out());
  if (FAILED(hr)) return hr;

  kv::ComPtr<INetFwService> service;
  hr = services->Item(serviceType, service.out());
  if (FAILED(hr)) return hr;

  hr = service->put_Enabled(ToVariantBool(enable));
  if (SUCCEEDED(hr) && enable) hr = service->put_Scope(NET_FW_SCOPE_ALL);
  return hr;
}

HRESULT ProbeFirewallPolicy() {
  FirewallProfileHandle handle;
  const HRESULT hr = OpenFirewallProfile(NET_FW_PROFILE_CURRENT, handle);
  CloseFirewallProfile(handle);
  return hr;
}

BOOL IsApplicationListed(NET_FW_PROFILE_TYPE type, BSTR imagePath) {
  OpenedProfile profile(type);
  kv::ComPtr<INetFwAuthorizedApplications> apps;
  if (FAILED(GetApplications(profile, apps))) return 0;

  kv::ComPtr<INetFwAuthorizedApplication> app;
  return SUCCEEDED(apps->Item(imagePath, app.out())) ? 1 : 0;
}
