// Access to the Windows Firewall policy: the only place where the tool talks
// to the firewall.
//
// Every operation works on one profile and is complete in itself: it
// initialises COM for the calling thread, creates a fresh firewall manager,
// opens the profile, makes its calls one after another up to the first
// failure, releases every interface it obtained (innermost first, the
// profile last) and balances its COM initialisation before it returns.
// Nothing is cached, so the operations may run on any thread. Strings are
// owned by the caller and never freed here.
#ifndef KV_FIREWALL_FIREWALL_POLICY_H
#define KV_FIREWALL_FIREWALL_POLICY_H

#include "win32api.h"

// The HRESULT that Item gives for an image path that is not listed
// (HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)).
const HRESULT FirewallAppNotListed = static_cast<HRESULT>(0x80070002L);

// One opened profile and the COM initialisation that goes with it.
struct FirewallProfileHandle {
  INetFwProfile* profile = nullptr;
  // The CoInitialize of this opening succeeded (S_OK or S_FALSE) and is
  // still to be balanced.
  bool comInitialized = false;
};

// Initialises COM, creates the manager, gets the local policy and the
// profile of `type`; the policy and the manager are released again (policy
// first). Returns the HRESULT of the last call made. When CoInitialize
// fails nothing else is done; otherwise COM stays initialised and the
// caller must follow with CloseFirewallProfile whatever the result.
HRESULT OpenFirewallProfile(NET_FW_PROFILE_TYPE type, FirewallProfileHandle& handle);

// Releases the profile, if any, then balances a successful CoInitialize.
void CloseFirewallProfile(FirewallProfileHandle& handle);

// Makes sure the application with `imagePath` is an authorized application
// of the profile with the given enabled state. A listed entry is switched
// on or off and, when switched on, given `scope`; its name, IP version and
// remote addresses stay. A missing entry is created with every value given;
// `remoteAddresses` is used only with NET_FW_SCOPE_CUSTOM and may otherwise
// be null. `enable`: zero = off.
HRESULT AuthorizeApplication(NET_FW_PROFILE_TYPE type, BSTR displayName, BSTR imagePath,
                             NET_FW_IP_VERSION ipVersion, NET_FW_SCOPE scope, BSTR remoteAddresses,
                             BOOL enable);

// Deletes the application's entry from the profile's list. A path that is
// not listed counts as removed (S_OK); any other failure to look it up still
// leads to Remove, whose result is returned.
HRESULT RemoveAuthorizedApplication(NET_FW_PROFILE_TYPE type, BSTR imagePath);

// Switches a predefined service on or off. Switching on also opens it to
// all addresses; switching off leaves its scope alone.
HRESULT SetFirewallService(NET_FW_PROFILE_TYPE type, NET_FW_SERVICE_TYPE service, BOOL enable);

// Opens the current profile and closes it again: a non-negative result
// means the firewall policy can be reached.
HRESULT ProbeFirewallPolicy();

// 1 when the image path is in the profile's list (enabled or not), 0 when it
// is not or when any step fails.
BOOL IsApplicationListed(NET_FW_PROFILE_TYPE type, BSTR imagePath);

#endif  // KV_FIREWALL_FIREWALL_POLICY_H
