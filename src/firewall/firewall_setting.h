// The suite's firewall work end to end: whether the firewall can be reached,
// whether the suite's programs are exceptions already, and adding or taking
// away those exceptions together with File and Printer Sharing.
#ifndef KV_FIREWALL_FIREWALL_SETTING_H
#define KV_FIREWALL_FIREWALL_SETTING_H

#include <cstdint>

#include "win32api.h"

// One program of the suite to authorize. Texts are narrow strings in the
// system code page and may start with a directory token.
struct FirewallAppEntry {
  const char* displayName;
  const char* imagePath;
  NET_FW_IP_VERSION ipVersion;
  NET_FW_SCOPE scope;           // the same as the default scope choice
  const char* remoteAddresses;  // none for the suite's programs
};

// The suite's status panel program and its network printer status server,
// processed in this order.
const int SuiteFirewallAppCount = 2;
extern const FirewallAppEntry SuiteFirewallApps[SuiteFirewallAppCount];

class FirewallSetting {
 public:
  FirewallSetting() = default;
  virtual ~FirewallSetting() = default;

  // 1 when the firewall policy can be opened, else 0.
  BOOL IsFirewallAvailable();
  // 1 when the image path of a suite program is listed, enabled or not, in
  // the domain or the standard profile; a firewall that cannot be opened
  // counts as not listed. A program path that cannot be made (its directory
  // unreadable, no memory) cannot be asked about and counts as listed, so
  // that a removal is still tried and reports what it could not do.
  BOOL HasSuiteExceptions();
  // Authorizes both programs in the domain and the standard profile (scope
  // local subnet, or all when scopeAny is set) and switches File and Printer
  // Sharing on in both, in that order, trying every change even after a
  // failure. 0, or -1 when any change failed; a program whose path cannot
  // be made (its directory unreadable, no memory) is a failed change, never
  // an exception for a path without its drive.
  int AddSuiteExceptions();
  // Removes both programs from both profiles and, when chosen, switches File
  // and Printer Sharing off in both. 0, or -1 when any change failed, a
  // program whose path cannot be made included.
  int RemoveSuiteExceptions();

  void SetScopeAny(BOOL scopeAny) { this->scopeAny = scopeAny; }
  void SetDisableFileAndPrintSharing(BOOL disable) { disableFileAndPrintSharing = disable; }

  // What the last Add or Remove did, for the run's report: per profile
  // (domain, standard) the programs authorized or removed; File and Printer
  // Sharing switched in both profiles (1), refused in one (-1), or not
  // touched (0).
  int32_t changedInProfile[2] = {0, 0};
  int32_t sharingResult = 0;

 private:
  int32_t disableFileAndPrintSharing = 0;  // Removal: also switch File and Printer Sharing off
  int32_t scopeAny = 0;                    // Setup: open the exceptions to any address
};

#endif  // KV_FIREWALL_FIREWALL_SETTING_H
