// winsim: the COM objects of the Windows Firewall (manager, policy, profile,
// authorized applications, services) over the simulated policy.
//
// Behaviour follows Windows XP SP2: a change made through an object takes
// effect at once; Item on an image path that is not listed gives
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); Add overwrites an entry with the
// same image path; Remove of a path that is not listed does nothing and
// succeeds; Scope can only be set to all or local subnet, a custom scope
// comes from writing RemoteAddresses.
#include "com_object.h"
#include "firewall_state.h"

namespace winsim {
namespace detail {

namespace {

const CLSID kClsidNetFwMgr = {0x304CE942, 0x6E39, 0x40D8, {0x94, 0x3A, 0xB9, 0x13, 0xC4, 0x0C, 0x9C, 0xD4}};
const CLSID kClsidNetFwAuthorizedApplication = {0xEC9846B3, 0x2762, 0x4A6B, {0xA2, 0x14, 0x6A, 0xCB, 0x60, 0x34, 0x62, 0xD2}};
const IID kIidMgr = {0xF7898AF5, 0xCAC4, 0x4632, {0xA2, 0xEC, 0xDA, 0x06, 0xE5, 0x11, 0x1A, 0xF2}};
const IID kIidPolicy = {0xD46D2478, 0x9AC9, 0x4008, {0x9D, 0xC7, 0x55, 0x63, 0xCE, 0x55, 0x36, 0xCC}};
const IID kIidProfile = {0x174A0DDA, 0xE9F9, 0x449D, {0x99, 0x3B, 0x21, 0xAB, 0x66, 0x7C, 0xA4, 0x56}};
const IID kIidApps = {0x644EFD52, 0xCCF9, 0x486C, {0x97, 0xA2, 0x39, 0xF3, 0x52, 0x57, 0x0B, 0x30}};
const IID kIidApp = {0xB5E64FFA, 0xC2C5, 0x444E, {0xA3, 0x01, 0xFB, 0x5E, 0x00, 0x01, 0x80, 0x50}};
const IID kIidServices = {0x79649BB4, 0x903E, 0x421B, {0x94, 0xC9, 0x79, 0x84, 0x8E, 0x79, 0xF6, 0xEE}};
const IID kIidService = {0x79FD57C8, 0x908E, 0x4A36, {0x98, 0x88, 0xD5, 0xB3, 0xF0, 0xA4, 0x44, 0xCF}};

const HRESULT kNotListed = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

const char* ProfileName(NET_FW_PROFILE_TYPE type) { return type == NET_FW_PROFILE_DOMAIN ? "DOMAIN" : "STANDARD"; }
ProfileState& StateOf(NET_FW_PROFILE_TYPE type) { return Firewall().profiles[type == NET_FW_PROFILE_DOMAIN ? 0 : 1]; }
bool Empty(BSTR text) { return !text || !*text; }

HRESULT CopyText(const std::u16string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocString(text.c_str());
  return *out ? S_OK : E_OUTOFMEMORY;
}

template <typename T>
HRESULT CopyValue(T value, T* out) {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

// The faults and the apartment rule of every firewall method.
#define FW_METHOD(name, ...)                             \
  ApiCall call(Method(name).c_str(), std::vector<std::string>{__VA_ARGS__}); \
  NoteCall();                                            \
  if (auto fault = call.Fault()) return static_cast<HRESULT>(*fault)

// ---- Authorized application ------------------------------------------------
// Either a new entry of its own (made by CoCreateInstance) or a view of a
// listed entry (given by Item), through which changes reach the list.
class AppObject : public ComObject<INetFwAuthorizedApplication> {
 public:
  AppObject() : ComObject("INetFwAuthorizedApplication", kIidApp) {}
  AppObject(NET_FW_PROFILE_TYPE profile, const std::u16string& imagePath)
      : ComObject("INetFwAuthorizedApplication", kIidApp), bound_(true), profile_(profile), path_(imagePath) {}

  // The entry behind this object; null when a listed entry was removed.
  AppEntry* Entry() { return bound_ ? FindApp(StateOf(profile_), path_) : &own_; }

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
    FW_METHOD("get_Name", );
    AppEntry* e = Entry();
    return e ? CopyText(e->name, name) : kNotListed;
  }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR name) override {
    FW_METHOD("put_Name", QuotedBstr(name));
    if (Empty(name)) return E_INVALIDARG;
    AppEntry* e = Entry();
    if (!e) return kNotListed;
    e->name = name;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ProcessImageFileName(BSTR* imageFileName) override {
    FW_METHOD("get_ProcessImageFileName", );
    AppEntry* e = Entry();
    return e ? CopyText(e->imagePath, imageFileName) : kNotListed;
  }
  HRESULT STDMETHODCALLTYPE put_ProcessImageFileName(BSTR imageFileName) override {
    FW_METHOD("put_ProcessImageFileName", QuotedBstr(imageFileName));
    if (Empty(imageFileName)) return E_INVALIDARG;
    AppEntry* e = Entry();
    if (!e) return kNotListed;
    if (bound_) {
      AppEntry* other = FindApp(StateOf(profile_), imageFileName);
      if (other && other != e) return E_INVALIDARG;
      path_ = imageFileName;
    }
    e->imagePath = imageFileName;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IpVersion(NET_FW_IP_VERSION* ipVersion) override {
    FW_METHOD("get_IpVersion", );
    AppEntry* e = Entry();
    return e ? CopyValue(e->ipVersion, ipVersion) : kNotListed;
  }
  HRESULT STDMETHODCALLTYPE put_IpVersion(NET_FW_IP_VERSION ipVersion) override {
    FW_METHOD("put_IpVersion", Dec(ipVersion));
    if (ipVersion < NET_FW_IP_VERSION_V4 || ipVersion >= NET_FW_IP_VERSION_MAX) return E_INVALIDARG;
    AppEntry* e = Entry();
    if (!e) return kNotListed;
    e->ipVersion = ipVersion;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE* scope) override {
    FW_METHOD("get_Scope", );
    AppEntry* e = Entry();
    return e ? CopyValue(e->scope, scope) : kNotListed;
  }
  HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE scope) override {
    FW_METHOD("put_Scope", Dec(scope));
    if (scope != NET_FW_SCOPE_ALL && scope != NET_FW_SCOPE_LOCAL_SUBNET) return E_INVALIDARG;
    AppEntry* e = Entry();
    if (!e) return kNotListed;
    e->scope = scope;
    e->remoteAddresses = scope == NET_FW_SCOPE_ALL ? u"*" : u"LocalSubNet";
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR* remoteAddrs) override {
    FW_METHOD("get_RemoteAddresses", );
    AppEntry* e = Entry();
    return e ? CopyText(e->remoteAddresses, remoteAddrs) : kNotListed;
  }
  HRESULT STDMETHODCALLTYPE put_RemoteAddresses(BSTR remoteAddrs) override {
    FW_METHOD("put_RemoteAddresses", QuotedBstr(remoteAddrs));
    if (Empty(remoteAddrs)) return E_INVALIDARG;
    AppEntry* e = Entry();
    if (!e) return kNotListed;
    const std::u16string list = remoteAddrs;
    e->remoteAddresses = list;
    e->scope = list == u"*" ? NET_FW_SCOPE_ALL
                            : SamePath(list, u"LocalSubNet") ? NET_FW_SCOPE_LOCAL_SUBNET : NET_FW_SCOPE_CUSTOM;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override {
    FW_METHOD("get_Enabled", );
    AppEntry* e = Entry();
    return e ? CopyValue<VARIANT_BOOL>(e->enabled ? VARIANT_TRUE : VARIANT_FALSE, enabled) : kNotListed;
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) override {
    FW_METHOD("put_Enabled", Dec(enabled));
    AppEntry* e = Entry();
    if (!e) return kNotListed;
    e->enabled = enabled != VARIANT_FALSE;
    return S_OK;
  }

 private:
  bool bound_ = false;
  NET_FW_PROFILE_TYPE profile_ = NET_FW_PROFILE_STANDARD;
  std::u16string path_;
  AppEntry own_;
};

// ---- Authorized applications -----------------------------------------------
class AppsObject : public ComObject<INetFwAuthorizedApplications> {
 public:
  explicit AppsObject(NET_FW_PROFILE_TYPE profile)
      : ComObject("INetFwAuthorizedApplications", kIidApps), profile_(profile) {}

  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    FW_METHOD("get_Count", ProfileName(profile_));
    return CopyValue(static_cast<LONG>(StateOf(profile_).apps.size()), count);
  }
  HRESULT STDMETHODCALLTYPE Add(INetFwAuthorizedApplication* app) override {
    auto* ours = dynamic_cast<AppObject*>(app);
    AppEntry* entry = ours ? ours->Entry() : nullptr;
    FW_METHOD("Add", entry ? "\"" + Utf8(entry->imagePath) + "\"" : "NULL", ProfileName(profile_));
    if (!app) return E_POINTER;
    if (!entry || entry->imagePath.empty()) return E_INVALIDARG;
    const AppEntry copy = *entry;
    ProfileState& state = StateOf(profile_);
    if (AppEntry* existing = FindApp(state, copy.imagePath))
      *existing = copy;
    else
      state.apps.push_back(copy);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Remove(BSTR imageFileName) override {
    FW_METHOD("Remove", QuotedBstr(imageFileName), ProfileName(profile_));
    if (Empty(imageFileName)) return E_INVALIDARG;
    auto& apps = StateOf(profile_).apps;
    for (auto it = apps.begin(); it != apps.end(); ++it) {
      if (SamePath(it->imagePath, imageFileName)) {
        apps.erase(it);
        break;
      }
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Item(BSTR imageFileName, INetFwAuthorizedApplication** app) override {
    if (app) *app = nullptr;
    FW_METHOD("Item", QuotedBstr(imageFileName), ProfileName(profile_));
    if (!app) return E_POINTER;
    if (Empty(imageFileName)) return E_INVALIDARG;
    AppEntry* entry = FindApp(StateOf(profile_), imageFileName);
    if (!entry) return kNotListed;
    *app = new AppObject(profile_, entry->imagePath);
    return S_OK;
  }

 private:
  NET_FW_PROFILE_TYPE profile_;
};

// ---- Services ----------------------------------------------------------------
class ServiceObject : public ComObject<INetFwService> {
 public:
  ServiceObject(NET_FW_PROFILE_TYPE profile, NET_FW_SERVICE_TYPE type)
      : ComObject("INetFwService", kIidService), profile_(profile), type_(type) {}

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
    FW_METHOD("get_Name", ProfileName(profile_));
    static const char16_t* const names[] = {u"File and Printer Sharing", u"UPnP Framework", u"Remote Desktop"};
    return CopyText(names[type_], name);
  }
  HRESULT STDMETHODCALLTYPE get_Type(NET_FW_SERVICE_TYPE* type) override {
    FW_METHOD("get_Type", ProfileName(profile_));
    return CopyValue(type_, type);
  }
  HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE* scope) override {
    FW_METHOD("get_Scope", ProfileName(profile_));
    return CopyValue(Entry().scope, scope);
  }
  HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE scope) override {
    FW_METHOD("put_Scope", ProfileName(profile_), Dec(scope));
    if (scope != NET_FW_SCOPE_ALL && scope != NET_FW_SCOPE_LOCAL_SUBNET) return E_INVALIDARG;
    Entry().scope = scope;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR* remoteAddrs) override {
    FW_METHOD("get_RemoteAddresses", ProfileName(profile_));
    return CopyText(Entry().scope == NET_FW_SCOPE_ALL ? u"*" : u"LocalSubNet", remoteAddrs);
  }
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override {
    FW_METHOD("get_Enabled", ProfileName(profile_));
    return CopyValue<VARIANT_BOOL>(Entry().enabled ? VARIANT_TRUE : VARIANT_FALSE, enabled);
  }
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) override {
    FW_METHOD("put_Enabled", ProfileName(profile_), Dec(enabled));
    Entry().enabled = enabled != VARIANT_FALSE;
    return S_OK;
  }

 private:
  ServiceEntry& Entry() { return StateOf(profile_).services[type_]; }
  NET_FW_PROFILE_TYPE profile_;
  NET_FW_SERVICE_TYPE type_;
};

class ServicesObject : public ComObject<INetFwServices> {
 public:
  explicit ServicesObject(NET_FW_PROFILE_TYPE profile) : ComObject("INetFwServices", kIidServices), profile_(profile) {}

  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    FW_METHOD("get_Count", ProfileName(profile_));
    return CopyValue(static_cast<LONG>(StateOf(profile_).services.size()), count);
  }
  HRESULT STDMETHODCALLTYPE Item(NET_FW_SERVICE_TYPE svcType, INetFwService** service) override {
    if (service) *service = nullptr;
    FW_METHOD("Item", ProfileName(profile_), Dec(svcType));
    if (!service) return E_POINTER;
    if (svcType < NET_FW_SERVICE_FILE_AND_PRINT || svcType > NET_FW_SERVICE_REMOTE_DESKTOP) return E_INVALIDARG;
    *service = new ServiceObject(profile_, svcType);
    return S_OK;
  }

 private:
  NET_FW_PROFILE_TYPE profile_;
};

// ---- Profile, policy, manager ----------------------------------------------
class ProfileObject : public ComObject<INetFwProfile> {
 public:
  explicit ProfileObject(NET_FW_PROFILE_TYPE profile) : ComObject("INetFwProfile", kIidProfile), profile_(profile) {}

  HRESULT STDMETHODCALLTYPE get_Type(NET_FW_PROFILE_TYPE* type) override {
    FW_METHOD("get_Type", ProfileName(profile_));
    return CopyValue(profile_, type);
  }
  HRESULT STDMETHODCALLTYPE get_Services(INetFwServices** services) override {
    if (services) *services = nullptr;
    FW_METHOD("get_Services", ProfileName(profile_));
    if (!services) return E_POINTER;
    *services = new ServicesObject(profile_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_AuthorizedApplications(INetFwAuthorizedApplications** apps) override {
    if (apps) *apps = nullptr;
    FW_METHOD("get_AuthorizedApplications", ProfileName(profile_));
    if (!apps) return E_POINTER;
    *apps = new AppsObject(profile_);
    return S_OK;
  }

 private:
  NET_FW_PROFILE_TYPE profile_;
};

class PolicyObject : public ComObject<INetFwPolicy> {
 public:
  PolicyObject() : ComObject("INetFwPolicy", kIidPolicy) {}

  HRESULT STDMETHODCALLTYPE get_CurrentProfile(INetFwProfile** profile) override {
    if (profile) *profile = nullptr;
    FW_METHOD("get_CurrentProfile", );
    if (!profile) return E_POINTER;
    *profile = new ProfileObject(Firewall().current);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetProfileByType(NET_FW_PROFILE_TYPE profileType, INetFwProfile** profile) override {
    if (profile) *profile = nullptr;
    FW_METHOD("GetProfileByType", Dec(profileType));
    if (!profile) return E_POINTER;
    if (profileType < NET_FW_PROFILE_DOMAIN || profileType > NET_FW_PROFILE_CURRENT) return E_INVALIDARG;
    *profile = new ProfileObject(profileType == NET_FW_PROFILE_CURRENT ? Firewall().current : profileType);
    return S_OK;
  }
};

class MgrObject : public ComObject<INetFwMgr> {
 public:
  MgrObject() : ComObject("INetFwMgr", kIidMgr) {}

  HRESULT STDMETHODCALLTYPE get_LocalPolicy(INetFwPolicy** localPolicy) override {
    if (localPolicy) *localPolicy = nullptr;
    FW_METHOD("get_LocalPolicy", );
    if (!localPolicy) return E_POINTER;
    *localPolicy = new PolicyObject();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_CurrentProfileType(NET_FW_PROFILE_TYPE* profileType) override {
    FW_METHOD("get_CurrentProfileType", );
    return CopyValue(Firewall().current, profileType);
  }
};

#undef FW_METHOD

}  // namespace

bool FirewallClassRegistered(REFCLSID clsid) {
  return Firewall().installed &&
         (IsEqualGUID(clsid, kClsidNetFwMgr) || IsEqualGUID(clsid, kClsidNetFwAuthorizedApplication));
}

HRESULT CreateFirewallObject(REFCLSID clsid, REFIID iid, void** out) {
  *out = nullptr;
  if (!FirewallClassRegistered(clsid)) return REGDB_E_CLASSNOTREG;
  if (IsEqualGUID(clsid, kClsidNetFwMgr)) {
    if (!IsEqualGUID(iid, kIidMgr) && !IsEqualGUID(iid, kIidIUnknown)) return E_NOINTERFACE;
    *out = static_cast<INetFwMgr*>(new MgrObject());
    return S_OK;
  }
  if (!IsEqualGUID(iid, kIidApp) && !IsEqualGUID(iid, kIidIUnknown)) return E_NOINTERFACE;
  *out = static_cast<INetFwAuthorizedApplication*>(new AppObject());
  return S_OK;
}

}  // namespace detail
}  // namespace winsim
