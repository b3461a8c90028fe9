// winsim internals: the Windows Firewall policy of the simulated machine and
// the creation of its COM classes.
#ifndef WINSIM_FIREWALL_STATE_H
#define WINSIM_FIREWALL_STATE_H

#include <map>
#include <string>
#include <vector>

#include "machine.h"
#include "winsim/firewall_control.h"

namespace winsim {
namespace detail {

struct AppEntry {
  std::u16string name;
  std::u16string imagePath;
  NET_FW_IP_VERSION ipVersion = NET_FW_IP_VERSION_ANY;
  NET_FW_SCOPE scope = NET_FW_SCOPE_ALL;
  std::u16string remoteAddresses = u"*";
  bool enabled = true;
};

struct ServiceEntry {
  bool enabled = false;
  NET_FW_SCOPE scope = NET_FW_SCOPE_LOCAL_SUBNET;
};

struct ProfileState {
  std::vector<AppEntry> apps;  // in the order they were added
  std::map<int, ServiceEntry> services;
};

struct FirewallState {
  bool installed = true;
  NET_FW_PROFILE_TYPE current = NET_FW_PROFILE_STANDARD;
  ProfileState profiles[2];  // domain, standard
};

// The state above; the machine lock must be held.
FirewallState& Firewall();
void ResetFirewall();

// Image paths compare as Windows compares file names: case ignored.
bool SamePath(const std::u16string& a, const std::u16string& b);
AppEntry* FindApp(ProfileState& profile, const std::u16string& imagePath);

// Class registration for CoCreateInstance.
bool FirewallClassRegistered(REFCLSID clsid);
// REGDB_E_CLASSNOTREG for a class that is not registered, E_NOINTERFACE for
// an interface the class does not have, else S_OK with one reference in *out.
HRESULT CreateFirewallObject(REFCLSID clsid, REFIID iid, void** out);

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_FIREWALL_STATE_H
