// The suite's firewall exceptions: the fixed table of its programs and the
// procedures over both profiles.
#include "firewall/firewall_setting.h"

#include <string>

#include "firewall/bstr.h"
#include "firewall/firewall_policy.h"
#include "update/path_utils.h"

const FirewallAppEntry SuiteFirewallApps[SuiteFirewallAppCount] = {
    {"Kestrovane", "%windir%\\system32\\zambaz.exe", NET_FW_IP_VERSION_ANY, NET_FW_SCOPE_LOCAL_SUBNET, nullptr},
    {"ZAM Network Printer Status Server", "%windir%\\system32\\zamwtqnt.exe", NET_FW_IP_VERSION_ANY,
     NET_FW_SCOPE_LOCAL_SUBNET, nullptr},
};

namespace {

const NET_FW_PROFILE_TYPE BothProfiles[] = {NET_FW_PROFILE_DOMAIN, NET_FW_PROFILE_STANDARD};

// Converts a narrow string of the system code page to a BSTR. Null when the
// system has no memory for it or cannot convert it; nothing is thrown.
kv::Bstr AnsiToBstr(const std::string& text) noexcept {
  if (text.empty()) return kv::Bstr(SysAllocStringLen(nullptr, 0));
  const int length = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.c_str(), length, nullptr, 0);
  if (wideLength <= 0) return kv::Bstr();
  kv::Bstr wide(SysAllocStringLen(nullptr, static_cast<UINT>(wideLength)));
  if (!wide) return kv::Bstr();
  if (MultiByteToWideChar(CP_ACP, 0, text.c_str(), length, wide.get(), wideLength) != wideLength) return kv::Bstr();
  return wide;
}

// "X:\..." or "\\server\...": a path that names its drive.
bool NamesItsDrive(const std::string& path) {
  const bool letter = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (letter && path[1] == ':' && path[2] == '\\') return true;
  return path.compare(0, 2, "\\\\") == 0;
}

// A row's string with its directory token expanded, as a BSTR; null when it
// cannot be made. A program path must name its drive: without the directory
// of its token ("\system32\zambaz.exe") it would name a program on
// whatever drive is current. This runs on the worker thread, where running
// out of memory must fail the row, not end the process.
kv::Bstr ExpandToBstr(const char* text, bool isPath) noexcept {
  try {
    std::string expanded;
    ExpandDirToken(text, expanded);
    if (isPath && !NamesItsDrive(expanded)) return kv::Bstr();
    return AnsiToBstr(expanded);
  } catch (...) {
    return kv::Bstr();
  }
}

}  // namespace

BOOL FirewallSetting::IsFirewallAvailable() { return ProbeFirewallPolicy() >= 0 ? 1 : 0; }

BOOL FirewallSetting::HasSuiteExceptions() {
  for (const FirewallAppEntry& row : SuiteFirewallApps) {
    kv::Bstr imagePath = ExpandToBstr(row.imagePath, true);
    // Not known to be absent: the caller must go on as if it were listed,
    // so that a removal is tried and its failure reported.
    if (!imagePath) return 1;
    // Both profiles are always asked.
    const BOOL inDomain = IsApplicationListed(NET_FW_PROFILE_DOMAIN, imagePath.get());
    const BOOL inStandard = IsApplicationListed(NET_FW_PROFILE_STANDARD, imagePath.get());
    imagePath.reset();
    if (inDomain || inStandard) return 1;
  }
  return 0;
}

int FirewallSetting::AddSuiteExceptions() {
  int result = 0;
  const NET_FW_SCOPE scope = scopeAny == 0 ? NET_FW_SCOPE_LOCAL_SUBNET : NET_FW_SCOPE_ALL;
  for (const FirewallAppEntry& row : SuiteFirewallApps) {
    kv::Bstr displayName = ExpandToBstr(row.displayName, false);
    kv::Bstr imagePath = ExpandToBstr(row.imagePath, true);
    if (!displayName || !imagePath) {
      result = -1;  // this row's changes cannot be made
      continue;
    }
    for (int p = 0; p < 2; ++p) {
      if (AuthorizeApplication(BothProfiles[p], displayName.get(), imagePath.get(), row.ipVersion, scope, nullptr,
                               1) < 0)
        result = -1;
      else
        ++changedInProfile[p];
    }
    displayName.reset();
    imagePath.reset();
  }
  sharingResult = 1;
  for (NET_FW_PROFILE_TYPE profile : BothProfiles) {
    if (SetFirewallService(profile, NET_FW_SERVICE_FILE_AND_PRINT, 1) < 0) result = sharingResult = -1;
  }
  return result;
}

int FirewallSetting::RemoveSuiteExceptions() {
  int result = 0;
  for (const FirewallAppEntry& row : SuiteFirewallApps) {
    kv::Bstr imagePath = ExpandToBstr(row.imagePath, true);
    if (!imagePath) {
      result = -1;
      continue;
    }
    for (int p = 0; p < 2; ++p) {
      if (RemoveAuthorizedApplication(BothProfiles[p], imagePath.get()) < 0)
        result = -1;
      else
        ++changedInProfile[p];
    }
    imagePath.reset();
  }
  if (disableFileAndPrintSharing != 0) {
    sharingResult = 1;
    for (NET_FW_PROFILE_TYPE profile : BothProfiles) {
      if (SetFirewallService(profile, NET_FW_SERVICE_FILE_AND_PRINT, 0) < 0) result = sharingResult = -1;
    }
  }
  return result;
}
