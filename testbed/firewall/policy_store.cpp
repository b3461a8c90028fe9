#include "policy_store.h"

#include <cwchar>

#include "../common/settings.h"

namespace fwstandin {
namespace {

const wchar_t kPolicyKey[] = L"SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\";
const wchar_t kAppsList[] = L"\\AuthorizedApplications\\List";
const wchar_t kPortsList[] = L"\\GloballyOpenPorts\\List";
const wchar_t kAllAddresses[] = L"*";
const wchar_t kLocalSubnet[] = L"LocalSubNet";
const wchar_t kEnabled[] = L"Enabled";
const wchar_t kDisabled[] = L"Disabled";

// File and Printer Sharing's ports, as XP SP2 names them.
struct Port {
  const wchar_t* valueName;
  const wchar_t* name;
};
const Port kFileAndPrintPorts[] = {
    {L"139:TCP", L"@xpsp2res.dll,-22004"},
    {L"445:TCP", L"@xpsp2res.dll,-22005"},
    {L"137:UDP", L"@xpsp2res.dll,-22001"},
    {L"138:UDP", L"@xpsp2res.dll,-22002"},
};

class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// A firewall that refuses every change (as a policy held by the domain
// does): the scenario's setting FirewallRefusesChanges, read at each change.
bool RefusesChanges() { return testbed::ReadDwordSetting("FirewallRefusesChanges", 0) != 0; }

// Opens (or makes) one of the profile's lists.
HRESULT OpenList(NET_FW_PROFILE_TYPE profile, const wchar_t* list, Key& key) {
  const std::wstring path = ProfileKey(profile) + list;
  const LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                      nullptr, key.out(), nullptr);
  return FromWin32(result);
}

LONG ReadString(HKEY key, const wchar_t* name, std::wstring& text) {
  DWORD type = 0, size = 0;
  LONG result = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
  if (result != ERROR_SUCCESS) return result;
  if (type != REG_SZ) return ERROR_INVALID_DATA;
  std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
  result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size);
  if (result != ERROR_SUCCESS) return result;
  text.assign(buffer.c_str());
  return ERROR_SUCCESS;
}

LONG WriteString(HKEY key, const wchar_t* name, const std::wstring& text) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The part after "owner:" of an entry: "scope:Enabled|Disabled:name".
std::wstring FormatTail(const std::wstring& owner, const Scope& scope, bool enabled, const std::wstring& name) {
  return owner + L":" + FormatScope(scope) + L":" + (enabled ? kEnabled : kDisabled) + L":" + name;
}

bool ParseTail(const std::wstring& data, const std::wstring& owner, Scope& scope, bool& enabled,
               std::wstring& name) {
  if (data.size() <= owner.size() || data[owner.size()] != L':' ||
      _wcsnicmp(data.c_str(), owner.c_str(), owner.size()) != 0)
    return false;
  const std::wstring tail = data.substr(owner.size() + 1);
  const size_t scopeEnd = tail.find(L':');
  const size_t stateEnd = scopeEnd == std::wstring::npos ? scopeEnd : tail.find(L':', scopeEnd + 1);
  if (stateEnd == std::wstring::npos) return false;
  scope = ParseScope(tail.substr(0, scopeEnd));
  enabled = _wcsicmp(tail.substr(scopeEnd + 1, stateEnd - scopeEnd - 1).c_str(), kEnabled) == 0;
  name = tail.substr(stateEnd + 1);
  return true;
}

// One port of File and Printer Sharing; a missing one is off and open to the
// local subnet, as XP SP2 lays it down.
HRESULT ReadPort(HKEY list, const Port& port, Scope& scope, bool& enabled) {
  scope = Scope{NET_FW_SCOPE_LOCAL_SUBNET, L""};
  enabled = false;
  std::wstring data, name;
  const LONG result = ReadString(list, port.valueName, data);
  if (result == ERROR_FILE_NOT_FOUND) return S_OK;
  if (result != ERROR_SUCCESS) return FromWin32(result);
  return ParseTail(data, port.valueName, scope, enabled, name) ? S_OK : FromWin32(ERROR_INVALID_DATA);
}

HRESULT WritePort(HKEY list, const Port& port, const Scope& scope, bool enabled) {
  return FromWin32(WriteString(list, port.valueName, FormatTail(port.valueName, scope, enabled, port.name)));
}

// Rewrites every port with `change` applied to its scope and state.
template <typename Change>
HRESULT ChangeFileAndPrint(NET_FW_PROFILE_TYPE profile, Change change) {
  Key list;
  HRESULT hr = OpenList(profile, kPortsList, list);
  for (const Port& port : kFileAndPrintPorts) {
    Scope scope;
    bool enabled = false;
    if (SUCCEEDED(hr)) hr = ReadPort(list.get(), port, scope, enabled);
    if (FAILED(hr)) break;
    change(scope, enabled);
    hr = WritePort(list.get(), port, scope, enabled);
  }
  return hr;
}

}  // namespace

std::wstring FormatScope(const Scope& scope) {
  switch (scope.kind) {
    case NET_FW_SCOPE_LOCAL_SUBNET:
      return kLocalSubnet;
    case NET_FW_SCOPE_CUSTOM:
      return scope.addresses;
    default:
      return kAllAddresses;
  }
}

Scope ParseScope(const std::wstring& text) {
  if (text == kAllAddresses) return Scope{NET_FW_SCOPE_ALL, L""};
  if (_wcsicmp(text.c_str(), kLocalSubnet) == 0) return Scope{NET_FW_SCOPE_LOCAL_SUBNET, L""};
  return Scope{NET_FW_SCOPE_CUSTOM, text};
}

std::wstring ProfileKey(NET_FW_PROFILE_TYPE profile) {
  return std::wstring(kPolicyKey) + (profile == NET_FW_PROFILE_DOMAIN ? L"DomainProfile" : L"StandardProfile");
}

HRESULT ReadApp(NET_FW_PROFILE_TYPE profile, const std::wstring& imagePath, AppEntry& entry) {
  Key list;
  const HRESULT hr = OpenList(profile, kAppsList, list);
  if (FAILED(hr)) return hr;
  std::wstring data;
  const LONG result = ReadString(list.get(), imagePath.c_str(), data);
  if (result != ERROR_SUCCESS) return FromWin32(result);
  // The entry keeps the path as it was listed, whatever its case here.
  entry.imagePath = data.substr(0, imagePath.size());
  return ParseTail(data, imagePath, entry.scope, entry.enabled, entry.name) ? S_OK
                                                                             : FromWin32(ERROR_INVALID_DATA);
}

HRESULT WriteApp(NET_FW_PROFILE_TYPE profile, const AppEntry& entry) {
  if (RefusesChanges()) return E_ACCESSDENIED;
  Key list;
  const HRESULT hr = OpenList(profile, kAppsList, list);
  if (FAILED(hr)) return hr;
  // A listed path in another case is replaced, not listed twice.
  RegDeleteValueW(list.get(), entry.imagePath.c_str());
  return FromWin32(WriteString(list.get(), entry.imagePath.c_str(),
                                        FormatTail(entry.imagePath, entry.scope, entry.enabled, entry.name)));
}

HRESULT DeleteApp(NET_FW_PROFILE_TYPE profile, const std::wstring& imagePath) {
  if (RefusesChanges()) return E_ACCESSDENIED;
  Key list;
  const HRESULT hr = OpenList(profile, kAppsList, list);
  return FAILED(hr) ? hr : FromWin32(RegDeleteValueW(list.get(), imagePath.c_str()));
}

HRESULT CountApps(NET_FW_PROFILE_TYPE profile, long& count) {
  Key list;
  HRESULT hr = OpenList(profile, kAppsList, list);
  if (FAILED(hr)) return hr;
  DWORD values = 0;
  hr = FromWin32(RegQueryInfoKeyW(list.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                           &values, nullptr, nullptr, nullptr, nullptr));
  if (SUCCEEDED(hr)) count = static_cast<long>(values);
  return hr;
}

HRESULT ReadFileAndPrint(NET_FW_PROFILE_TYPE profile, bool& enabled, Scope& scope) {
  Key list;
  HRESULT hr = OpenList(profile, kPortsList, list);
  enabled = true;
  for (size_t i = 0; SUCCEEDED(hr) && i < sizeof kFileAndPrintPorts / sizeof kFileAndPrintPorts[0]; ++i) {
    Scope portScope;
    bool portEnabled = false;
    hr = ReadPort(list.get(), kFileAndPrintPorts[i], portScope, portEnabled);
    if (i == 0) scope = portScope;
    enabled = enabled && portEnabled;
  }
  return hr;
}

HRESULT EnableFileAndPrint(NET_FW_PROFILE_TYPE profile, bool enabled) {
  if (RefusesChanges()) return E_ACCESSDENIED;
  return ChangeFileAndPrint(profile, [enabled](Scope&, bool& portEnabled) { portEnabled = enabled; });
}

HRESULT ScopeFileAndPrint(NET_FW_PROFILE_TYPE profile, const Scope& scope) {
  if (RefusesChanges()) return E_ACCESSDENIED;
  return ChangeFileAndPrint(profile, [&scope](Scope& portScope, bool&) { portScope = scope; });
}

HRESULT SeedPolicy() {
  for (const NET_FW_PROFILE_TYPE profile : {NET_FW_PROFILE_DOMAIN, NET_FW_PROFILE_STANDARD}) {
    Key key;
    HRESULT hr = FromWin32(RegCreateKeyExW(HKEY_LOCAL_MACHINE, ProfileKey(profile).c_str(), 0, nullptr, 0,
                                                    KEY_READ | KEY_WRITE, nullptr, key.out(), nullptr));
    DWORD on = 1;
    if (SUCCEEDED(hr) && RegQueryValueExW(key.get(), L"EnableFirewall", nullptr, nullptr, nullptr, nullptr) ==
                             ERROR_FILE_NOT_FOUND)
      hr = FromWin32(
          RegSetValueExW(key.get(), L"EnableFirewall", 0, REG_DWORD, reinterpret_cast<BYTE*>(&on), sizeof on));
    Key apps;
    if (SUCCEEDED(hr)) hr = OpenList(profile, kAppsList, apps);
    // Writing what ReadPort gives lays down the missing ports and keeps the others.
    if (SUCCEEDED(hr)) hr = ChangeFileAndPrint(profile, [](Scope&, bool&) {});
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace fwstandin
