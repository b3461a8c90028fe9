// The firewall policy where Windows XP SP2 keeps it, in the registry under
// HKLM\SYSTEM\CurrentControlSet\Services\SharedAccess\Parameters
// \FirewallPolicy\{DomainProfile,StandardProfile}:
//
//   AuthorizedApplications\List   one value per program, named by its image
//                                 path: "path:scope:Enabled|Disabled:name"
//   GloballyOpenPorts\List        one value per port, named "139:TCP":
//                                 "139:TCP:scope:Enabled|Disabled:name"
//
// A scope is "*" (all addresses), "LocalSubNet" or a list of addresses and
// networks ("10.0.0.1,192.168.1.0/255.255.255.0"). File and Printer Sharing
// is the four ports TCP 139 and 445 and UDP 137 and 138, named by XP's
// resource strings (@xpsp2res.dll,-22001 ...).
//
// Nothing is cached: every call reads or writes the registry, so what a
// scenario reads with `reg query` is the policy, and a policy written into
// the registry by hand is what the COM objects see.
#ifndef KV_TESTBED_FIREWALL_POLICY_STORE_H
#define KV_TESTBED_FIREWALL_POLICY_STORE_H

#include <windows.h>
#include <netfw.h>

#include <string>

namespace fwstandin {

// The profile that NET_FW_PROFILE_CURRENT stands for: a machine that is not
// in a domain uses the standard profile.
const NET_FW_PROFILE_TYPE kCurrentProfile = NET_FW_PROFILE_STANDARD;

// A Win32 error as an HRESULT. (The SDK's HRESULT_FROM_WIN32 is a macro
// that evaluates its argument more than once: never give it a call.)
inline HRESULT FromWin32(LONG error) { return HRESULT_FROM_WIN32(error); }

// The answer for an application that is not in a list.
const HRESULT kNotListed = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

// To whom an entry is open.
struct Scope {
  NET_FW_SCOPE kind = NET_FW_SCOPE_ALL;
  std::wstring addresses;  // NET_FW_SCOPE_CUSTOM only
};

// "*", "LocalSubNet" or the address list; and back (names without case).
std::wstring FormatScope(const Scope& scope);
Scope ParseScope(const std::wstring& text);

struct AppEntry {
  std::wstring imagePath;
  std::wstring name;
  Scope scope;
  bool enabled = true;
};

// The profile's key, for NET_FW_PROFILE_DOMAIN and NET_FW_PROFILE_STANDARD.
std::wstring ProfileKey(NET_FW_PROFILE_TYPE profile);

// The application listed under `imagePath` (compared without case), or
// kNotListed.
HRESULT ReadApp(NET_FW_PROFILE_TYPE profile, const std::wstring& imagePath, AppEntry& entry);
// Adds the entry, or replaces the one listed under its path.
HRESULT WriteApp(NET_FW_PROFILE_TYPE profile, const AppEntry& entry);
// Deletes the entry; kNotListed when there is none.
HRESULT DeleteApp(NET_FW_PROFILE_TYPE profile, const std::wstring& imagePath);
HRESULT CountApps(NET_FW_PROFILE_TYPE profile, long& count);

// File and Printer Sharing is on when all four ports are; its scope is that
// of its first port (TCP 139). A port missing from the list counts as off.
HRESULT ReadFileAndPrint(NET_FW_PROFILE_TYPE profile, bool& enabled, Scope& scope);
// Switches all four ports, or gives all four a scope; the other part of
// each port stays.
HRESULT EnableFileAndPrint(NET_FW_PROFILE_TYPE profile, bool enabled);
HRESULT ScopeFileAndPrint(NET_FW_PROFILE_TYPE profile, const Scope& scope);

// Lays down the policy of a fresh XP SP2 in both profiles where none is:
// the firewall on, no applications, File and Printer Sharing off and open
// to the local subnet.
HRESULT SeedPolicy();

}  // namespace fwstandin

#endif  // KV_TESTBED_FIREWALL_POLICY_STORE_H
