// winsim: the control API of COM and the Windows Firewall for tests.
//
// A fresh machine has the firewall of Windows XP SP2 installed, the standard
// profile current, no authorized applications, and in both profiles the File
// and Printer Sharing, UPnP and Remote Desktop services switched off with
// scope local subnet. Texts cross this API as UTF-8.
//
// Every method of a simulated firewall interface is a logged call named
// "Interface::Method" (for example "INetFwProfile::get_AuthorizedApplications")
// and can be made to fail with InjectFault(name, hresult, match, ...). The
// first argument of each call, which `match` looks at, is:
//   INetFwPolicy::GetProfileByType           the profile type as a number
//   INetFwProfile::*, INetFwServices::Item,
//   INetFwService::*                         "DOMAIN" or "STANDARD"
//   INetFwAuthorizedApplications::Item/Remove the image path, quoted
//   INetFwAuthorizedApplications::Add        the new entry's image path, quoted
//   INetFwAuthorizedApplication::put_*       the value written
// AddRef and Release are logged as "Interface::AddRef" / "Interface::Release"
// and cannot fail. CoInitialize, CoUninitialize, CoCreateInstance (first
// argument: the class identifier in braces, upper case), SysAllocString,
// SysAllocStringLen and SysFreeString are logged under their own names; a
// fault on an allocation makes it return NULL.
#ifndef WINSIM_FIREWALL_CONTROL_H
#define WINSIM_FIREWALL_CONTROL_H

#include <optional>
#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

// ---- COM ---------------------------------------------------------------------
// Successful CoInitialize calls not yet balanced on the calling thread.
int ComInitCount();
// CoUninitialize calls made on a thread that had nothing left to balance.
int UnbalancedCoUninitializeCount();
// Simulated COM objects still alive, and the references held on them (in all,
// or on objects of one interface, e.g. "INetFwProfile").
int LiveComObjects();
int ComReferences();
int ComReferences(const std::string& interfaceName);
// Calls on simulated objects (Release included) made by a thread on which
// COM was not initialised at that moment.
int ComCallsOutsideApartment();
// BSTRs allocated and not yet freed; SysFreeString calls on a pointer that
// was not a live BSTR.
int LiveBstrCount();
int InvalidBstrFrees();

// ---- Firewall ---------------------------------------------------------------
// Without the firewall (Windows before XP SP2) its classes are not
// registered: CoCreateInstance gives REGDB_E_CLASSNOTREG.
void SetFirewallInstalled(bool installed);
// The profile that NET_FW_PROFILE_CURRENT stands for (domain or standard).
void SetCurrentFirewallProfile(NET_FW_PROFILE_TYPE type);

struct FirewallApp {
  std::string name;
  std::string imagePath;
  NET_FW_IP_VERSION ipVersion = NET_FW_IP_VERSION_ANY;
  NET_FW_SCOPE scope = NET_FW_SCOPE_ALL;
  std::string remoteAddresses = "*";  // "*", "LocalSubNet", or a custom list
  bool enabled = true;
};
// Adds or replaces (by image path, case ignored) an authorized application.
// The remote addresses follow the scope unless it is custom.
void SeedFirewallApp(NET_FW_PROFILE_TYPE profile, const FirewallApp& app);
std::vector<FirewallApp> FirewallApps(NET_FW_PROFILE_TYPE profile);
std::optional<FirewallApp> FindFirewallApp(NET_FW_PROFILE_TYPE profile, const std::string& imagePath);

// A predefined service; switching it on or off does not change its scope.
struct FirewallService {
  bool enabled = false;
  NET_FW_SCOPE scope = NET_FW_SCOPE_LOCAL_SUBNET;
};
void SeedFirewallService(NET_FW_PROFILE_TYPE profile, NET_FW_SERVICE_TYPE type, const FirewallService& state);
FirewallService FirewallServiceState(NET_FW_PROFILE_TYPE profile, NET_FW_SERVICE_TYPE type);

}  // namespace winsim

#endif  // WINSIM_FIREWALL_CONTROL_H
