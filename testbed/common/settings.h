// How a scenario tells the stand-ins to behave: values under
// HKLM\SOFTWARE\KvTestbed, read each time they matter, so that a scenario
// can change them while the stand-ins run (with `reg add`).
//
//   ServerStopDelayMs  DWORD  how long ZAMWTQNT takes to stop (default 500)
//   PanelOnClose       SZ     what ZAMBAZ does with message 1030:
//                             "close" (default), "ignore" or "hang"
//   FirewallRefusesChanges DWORD  not 0: the firewall stand-in answers
//                             every change of its policy (an application
//                             listed, removed or changed, File and Printer
//                             Sharing switched or scoped) with
//                             E_ACCESSDENIED (default 0)
#ifndef KV_TESTBED_SETTINGS_H
#define KV_TESTBED_SETTINGS_H

#include <windows.h>

#include <string>

namespace testbed {

const char kSettingsKey[] = "SOFTWARE\\KvTestbed";

// The value's bytes when it exists with `type`.
inline bool ReadSetting(const char* name, DWORD type, void* data, DWORD size) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD actualType = 0;
  const LONG result = RegQueryValueExA(key, name, nullptr, &actualType, static_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && actualType == type;
}

inline DWORD ReadDwordSetting(const char* name, DWORD fallback) {
  DWORD value = 0;
  return ReadSetting(name, REG_DWORD, &value, sizeof value) ? value : fallback;
}

inline std::string ReadStringSetting(const char* name, const char* fallback) {
  char value[256] = {};
  return ReadSetting(name, REG_SZ, value, sizeof value - 1) ? value : fallback;
}

}  // namespace testbed

#endif  // KV_TESTBED_SETTINGS_H
