// winsim: the registry, as far as the tool reads it. Keys are addressed by
// their full path under a root ("HKLM\SOFTWARE\..."), case-insensitively.
#include <cstring>

#include "machine.h"

namespace winsim {
namespace detail {

namespace {

std::string RootName(HKEY root) {
  switch (static_cast<uint32_t>(reinterpret_cast<uintptr_t>(root))) {
    case 0x80000000u: return "HKCR";
    case 0x80000001u: return "HKCU";
    case 0x80000002u: return "HKLM";
    case 0x80000003u: return "HKU";
    default: return std::string();
  }
}

std::string TrimSlashes(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  while (!path.empty() && path.front() == '\\') path.erase(0, 1);
  return path;
}

// The full path of an open key or root; empty when the handle is unknown.
std::string KeyPath(HKEY key) {
  std::string root = RootName(key);
  if (!root.empty()) return root;
  auto it = M().openKeys.find(reinterpret_cast<uintptr_t>(key));
  return it == M().openKeys.end() ? std::string() : it->second;
}

std::string Join(const std::string& base, const std::string& sub) {
  const std::string trimmed = TrimSlashes(sub);
  return trimmed.empty() ? base : base + "\\" + trimmed;
}

RegKey& EnsureKey(const std::string& path) {
  // Every ancestor exists too.
  size_t pos = 0;
  while ((pos = path.find('\\', pos + 1)) != std::string::npos) {
    RegKey& parent = M().registry[UpperAnsi(path.substr(0, pos))];
    if (parent.name.empty()) parent.name = path.substr(0, pos);
  }
  RegKey& key = M().registry[UpperAnsi(path)];
  if (key.name.empty()) key.name = path;
  return key;
}

}  // namespace

void ReportOpenKeys(std::vector<std::string>& out) {
  for (const auto& key : M().openKeys) out.push_back("registry key " + key.second);
}

void ResetRegistry() {
  M().registry.clear();
  M().openKeys.clear();
  EnsureKey("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager");
  EnsureKey("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
}

}  // namespace detail

using namespace detail;

void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                      const std::vector<uint8_t>& data) {
  auto lock = Lock();
  RegKey& k = EnsureKey(Join(RootName(root), key));
  RegValue& value = k.values[UpperAnsi(name)];
  value.name = name;
  value.type = type;
  value.data = data;
}

bool RegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD* type,
                   std::vector<uint8_t>* data) {
  auto lock = Lock();
  auto k = M().registry.find(UpperAnsi(Join(RootName(root), key)));
  if (k == M().registry.end()) return false;
  auto v = k->second.values.find(UpperAnsi(name));
  if (v == k->second.values.end()) return false;
  if (type) *type = v->second.type;
  if (data) *data = v->second.data;
  return true;
}

void DeleteRegistryValue(HKEY root, const std::string& key, const std::string& name) {
  auto lock = Lock();
  auto k = M().registry.find(UpperAnsi(Join(RootName(root), key)));
  if (k != M().registry.end()) k->second.values.erase(UpperAnsi(name));
}

}  // namespace winsim

using namespace winsim::detail;

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
  const std::string base = KeyPath(key);
  ApiCall call("RegOpenKeyExA", {base.empty() ? Hex(reinterpret_cast<uintptr_t>(key)) : base, Arg(subKey),
                                 Dec(options), Hex(desired)});
  if (auto fault = call.Fault()) return static_cast<LONG>(*fault);
  if (!result) return ERROR_INVALID_PARAMETER;
  if (base.empty()) return ERROR_INVALID_HANDLE;
  const std::string path = Join(base, subKey ? subKey : "");
  auto it = M().registry.find(UpperAnsi(path));
  if (it == M().registry.end() && path.find('\\') != std::string::npos) return ERROR_FILE_NOT_FOUND;
  const uintptr_t id = M().nextHandle += 4;
  M().openKeys[id] = it == M().registry.end() ? path : it->second.name;
  *result = reinterpret_cast<HKEY>(id);
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataLength) {
  const std::string path = KeyPath(key);
  ApiCall call("RegQueryValueExA", {path, Arg(valueName)});
  if (auto fault = call.Fault()) return static_cast<LONG>(*fault);
  if (reserved) return ERROR_INVALID_PARAMETER;
  if (path.empty()) return ERROR_INVALID_HANDLE;
  auto k = M().registry.find(UpperAnsi(path));
  if (k == M().registry.end()) return ERROR_FILE_NOT_FOUND;
  auto v = k->second.values.find(UpperAnsi(valueName ? valueName : ""));
  if (v == k->second.values.end()) return ERROR_FILE_NOT_FOUND;
  const RegValue& value = v->second;
  if (type) *type = value.type;
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (data) {
    if (!dataLength) return ERROR_INVALID_PARAMETER;
    if (*dataLength < size) {
      *dataLength = size;
      return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(data, value.data.data(), size);
  }
  if (dataLength) *dataLength = size;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  ApiCall call("RegCloseKey", {KeyPath(key)});
  if (!RootName(key).empty()) return ERROR_SUCCESS;
  return M().openKeys.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
