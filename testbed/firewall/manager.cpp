// The firewall manager, its local policy and the policy's profiles. Each
// object holds only the profile it stands for; the policy itself is read
// from the registry whenever it is asked for.
#include "com_object.h"
#include "policy_store.h"

namespace fwstandin {
namespace {

class Profile : public ComObject<INetFwProfile> {
 public:
  explicit Profile(NET_FW_PROFILE_TYPE profile) : profile_(profile) {}

  HRESULT STDMETHODCALLTYPE get_Type(NET_FW_PROFILE_TYPE* type) override { return HandOutValue(profile_, type); }
  HRESULT STDMETHODCALLTYPE get_AuthorizedApplications(INetFwAuthorizedApplications** apps) override {
    return HandOut(NewApplications(profile_), apps);
  }
  HRESULT STDMETHODCALLTYPE get_Services(INetFwServices** services) override {
    return HandOut(NewServices(profile_), services);
  }

  HRESULT STDMETHODCALLTYPE get_FirewallEnabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_FirewallEnabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ExceptionsNotAllowed(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ExceptionsNotAllowed(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NotificationsDisabled(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_NotificationsDisabled(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_UnicastResponsesToMulticastBroadcastDisabled(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_UnicastResponsesToMulticastBroadcastDisabled(VARIANT_BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_RemoteAdminSettings(INetFwRemoteAdminSettings**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_IcmpSettings(INetFwIcmpSettings**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_GloballyOpenPorts(INetFwOpenPorts**) override { return E_NOTIMPL; }

 private:
  const NET_FW_PROFILE_TYPE profile_;
};

class Policy : public ComObject<INetFwPolicy> {
 public:
  HRESULT STDMETHODCALLTYPE get_CurrentProfile(INetFwProfile** profile) override {
    return GetProfileByType(NET_FW_PROFILE_CURRENT, profile);
  }
  HRESULT STDMETHODCALLTYPE GetProfileByType(NET_FW_PROFILE_TYPE type, INetFwProfile** profile) override {
    if (!profile) return E_POINTER;
    *profile = nullptr;
    NET_FW_PROFILE_TYPE resolved;
    if (!ResolveProfile(type, resolved)) return E_INVALIDARG;
    return HandOut(NewProfile(resolved), profile);
  }
};

class Manager : public ComObject<INetFwMgr> {
 public:
  HRESULT STDMETHODCALLTYPE get_LocalPolicy(INetFwPolicy** policy) override {
    return HandOut<INetFwPolicy>(new Policy, policy);
  }
  HRESULT STDMETHODCALLTYPE get_CurrentProfileType(NET_FW_PROFILE_TYPE* type) override {
    return HandOutValue(kCurrentProfile, type);
  }

  HRESULT STDMETHODCALLTYPE RestoreDefaults() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsPortAllowed(BSTR, NET_FW_IP_VERSION, LONG, BSTR, NET_FW_IP_PROTOCOL, VARIANT*,
                                          VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE IsIcmpTypeAllowed(NET_FW_IP_VERSION, BSTR, BYTE, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }
};

}  // namespace

bool ResolveProfile(NET_FW_PROFILE_TYPE type, NET_FW_PROFILE_TYPE& profile) {
  switch (type) {
    case NET_FW_PROFILE_DOMAIN:
    case NET_FW_PROFILE_STANDARD:
      profile = type;
      return true;
    case NET_FW_PROFILE_CURRENT:
      profile = kCurrentProfile;
      return true;
    default:
      return false;
  }
}

INetFwMgr* NewManager() { return new Manager; }
INetFwProfile* NewProfile(NET_FW_PROFILE_TYPE profile) { return new Profile(profile); }

}  // namespace fwstandin
