// winsim: the firewall policy itself (two profiles with their authorized
// applications and predefined services) and its control API.
#include "firewall_state.h"

#include "com_object.h"

namespace winsim {
namespace detail {

namespace {

char16_t FoldCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);      // Latin-1
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);  // Greek
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);                // Cyrillic
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);              // full-width
  return c;
}

ProfileState& Profile(NET_FW_PROFILE_TYPE type) {
  FirewallState& fw = Firewall();
  const NET_FW_PROFILE_TYPE resolved = type == NET_FW_PROFILE_CURRENT ? fw.current : type;
  return fw.profiles[resolved == NET_FW_PROFILE_DOMAIN ? 0 : 1];
}

std::u16string AddressesForScope(NET_FW_SCOPE scope) { return scope == NET_FW_SCOPE_LOCAL_SUBNET ? u"LocalSubNet" : u"*"; }

FirewallApp ToControl(const AppEntry& entry) {
  FirewallApp app;
  app.name = Utf8(entry.name);
  app.imagePath = Utf8(entry.imagePath);
  app.ipVersion = entry.ipVersion;
  app.scope = entry.scope;
  app.remoteAddresses = Utf8(entry.remoteAddresses);
  app.enabled = entry.enabled;
  return app;
}

}  // namespace

FirewallState& Firewall() {
  static FirewallState state;
  return state;
}

void ResetFirewall() {
  ResetCom();
  FirewallState& fw = Firewall();
  fw = FirewallState{};
  for (ProfileState& profile : fw.profiles)
    for (int type : {NET_FW_SERVICE_FILE_AND_PRINT, NET_FW_SERVICE_UPNP, NET_FW_SERVICE_REMOTE_DESKTOP})
      profile.services[type] = ServiceEntry{};
}

bool SamePath(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

AppEntry* FindApp(ProfileState& profile, const std::u16string& imagePath) {
  for (AppEntry& entry : profile.apps)
    if (SamePath(entry.imagePath, imagePath)) return &entry;
  return nullptr;
}

}  // namespace detail

using namespace detail;

void SetFirewallInstalled(bool installed) {
  auto lock = Lock();
  Firewall().installed = installed;
}

void SetCurrentFirewallProfile(NET_FW_PROFILE_TYPE type) {
  auto lock = Lock();
  Firewall().current = type == NET_FW_PROFILE_DOMAIN ? NET_FW_PROFILE_DOMAIN : NET_FW_PROFILE_STANDARD;
}

void SeedFirewallApp(NET_FW_PROFILE_TYPE profile, const FirewallApp& app) {
  auto lock = Lock();
  AppEntry entry;
  entry.name = Utf16(app.name);
  entry.imagePath = Utf16(app.imagePath);
  entry.ipVersion = app.ipVersion;
  entry.scope = app.scope;
  entry.remoteAddresses = app.scope == NET_FW_SCOPE_CUSTOM ? Utf16(app.remoteAddresses) : AddressesForScope(app.scope);
  entry.enabled = app.enabled;
  ProfileState& state = Profile(profile);
  if (AppEntry* existing = FindApp(state, entry.imagePath))
    *existing = entry;
  else
    state.apps.push_back(entry);
}

std::vector<FirewallApp> FirewallApps(NET_FW_PROFILE_TYPE profile) {
  auto lock = Lock();
  std::vector<FirewallApp> apps;
  for (const AppEntry& entry : Profile(profile).apps) apps.push_back(ToControl(entry));
  return apps;
}

std::optional<FirewallApp> FindFirewallApp(NET_FW_PROFILE_TYPE profile, const std::string& imagePath) {
  auto lock = Lock();
  if (const AppEntry* entry = FindApp(Profile(profile), Utf16(imagePath))) return ToControl(*entry);
  return std::nullopt;
}

void SeedFirewallService(NET_FW_PROFILE_TYPE profile, NET_FW_SERVICE_TYPE type, const FirewallService& state) {
  auto lock = Lock();
  Profile(profile).services[type] = ServiceEntry{state.enabled, state.scope};
}

FirewallService FirewallServiceState(NET_FW_PROFILE_TYPE profile, NET_FW_SERVICE_TYPE type) {
  auto lock = Lock();
  const ServiceEntry& entry = Profile(profile).services[type];
  return FirewallService{entry.enabled, entry.scope};
}

}  // namespace winsim
