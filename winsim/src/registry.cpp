// winsim: the registry. One tree of keys per root; names of keys and values
// compare without regard to case. Key paths are split at backslashes
// character by character, so a trail byte 0x5C is part of its name.
#include <algorithm>
#include <cstring>

#include "codepage.h"
#include "machine.h"

namespace winsim {
namespace detail {

namespace {

// Standard and generic access rights, as the SDK numbers them.
const DWORD kDelete = 0x00010000, kWriteDac = 0x00040000, kWriteOwner = 0x00080000;
const DWORD kMaximumAllowed = 0x02000000;
const DWORD kGenericAll = 0x10000000, kGenericExecute = 0x20000000;
// What a plain user may not ask for on HKEY_LOCAL_MACHINE.
const DWORD kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | kDelete | kWriteDac | kWriteOwner;

std::string RootName(HKEY root) {
  switch (static_cast<uint32_t>(reinterpret_cast<uintptr_t>(root))) {
    case 0x80000000u: return "HKCR";
    case 0x80000001u: return "HKCU";
    case 0x80000002u: return "HKLM";
    case 0x80000003u: return "HKU";
    default: return std::string();
  }
}

// The specific rights a mask asks for: generic rights mapped as Windows maps
// them for keys, MAXIMUM_ALLOWED as whatever the user may have.
DWORD MapKeyAccess(DWORD desired, bool mayWrite) {
  DWORD rights = desired & ~(GENERIC_READ | GENERIC_WRITE | kGenericExecute | kGenericAll | kMaximumAllowed);
  if (desired & (GENERIC_READ | kGenericExecute)) rights |= KEY_READ;
  if (desired & GENERIC_WRITE) rights |= KEY_WRITE;
  if (desired & kGenericAll) rights |= KEY_ALL_ACCESS;
  if (desired & kMaximumAllowed) rights |= mayWrite ? KEY_ALL_ACCESS : KEY_READ;
  return rights;
}

// The components of a key path, split at backslashes outside double-byte
// characters; empty components (doubled or trailing backslashes) are dropped.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> names(1);
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c == '\\') {
      if (!names.back().empty()) names.emplace_back();
      continue;
    }
    names.back() += path[i];
    if (IsLeadByte(c) && i + 1 < path.size()) names.back() += path[++i];
  }
  if (names.back().empty()) names.pop_back();
  return names;
}

// The child of `key` named `name`, or null.
RegKey* Child(RegKey& key, const std::string& name) {
  auto it = key.subkeys.find(UpperAnsi(name));
  return it == key.subkeys.end() ? nullptr : it->second.get();
}

// The key at `path` below `from`, or null; `spelling` gets the stored names.
RegKey* Walk(RegKey* from, const std::string& path, std::string* spelling) {
  for (const std::string& part : Components(path)) {
    if (!(from = Child(*from, part))) return nullptr;
    if (spelling) *spelling += "\\" + from->name;
  }
  return from;
}

// The key at `path` below `from`, created with its missing parents; a new
// key, and the parent it is added to, take the clock's time. `spelling`
// gets the stored names.
RegKey* CreatePath(RegKey* from, const std::string& path, std::string* spelling) {
  for (const std::string& part : Components(path)) {
    std::unique_ptr<RegKey>& child = from->subkeys[UpperAnsi(part)];
    if (!child) {
      child.reset(new RegKey);
      child->name = part;
      child->writeTime = from->writeTime = Now();
    }
    from = child.get();
    if (spelling) *spelling += "\\" + from->name;
  }
  return from;
}

// The key at `path` under a root, created with its missing parents.
RegKey* EnsureKey(HKEY root, const std::string& path) {
  const std::string rootName = RootName(root);
  if (rootName.empty()) return nullptr;
  return CreatePath(&M().registry[rootName], path, nullptr);
}

RegKey* FindKey(HKEY root, const std::string& path) {
  const std::string rootName = RootName(root);
  auto it = M().registry.find(rootName);
  return it == M().registry.end() ? nullptr : Walk(&it->second, path, nullptr);
}

// What a handle stands for: a root (all rights) or an open key; null path
// for an unknown handle.
OpenKey Lookup(HKEY key) {
  const std::string root = RootName(key);
  if (!root.empty()) return OpenKey{root, &M().registry[root], KEY_ALL_ACCESS};
  auto it = M().openKeys.find(reinterpret_cast<uintptr_t>(key));
  return it == M().openKeys.end() ? OpenKey{} : it->second;
}

// Windows keeps subkeys sorted by their UTF-16 names, compared as upper
// case. Letters of the scripts code page 932 can hold are upper-cased here.
char16_t UpperUnit(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F))
    return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
  return c;
}

std::u16string SortForm(const std::string& name) {
  std::u16string wide;
  AnsiToWide(M().acp, name.data(), name.size(), u'?', &wide);
  for (char16_t& c : wide) c = UpperUnit(c);
  return wide;
}

std::vector<const RegKey*> SortedSubkeys(const RegKey& key) {
  std::vector<std::pair<std::u16string, const RegKey*>> named;
  for (const auto& entry : key.subkeys) named.emplace_back(SortForm(entry.second->name), entry.second.get());
  std::sort(named.begin(), named.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<const RegKey*> sorted;
  for (const auto& entry : named) sorted.push_back(entry.second);
  return sorted;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

void ReportOpenKeys(std::vector<std::string>& out) {
  for (const auto& key : M().openKeys) out.push_back("registry key " + key.second.path);
}

void ResetRegistry() {
  M().registry.clear();
  M().openKeys.clear();
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) EnsureKey(root, "");
  EnsureKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager");
  EnsureKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
}

}  // namespace detail

using namespace detail;

void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                      const std::vector<uint8_t>& data) {
  auto lock = Lock();
  RegKey* k = EnsureKey(root, key);
  if (!k) return;
  RegValue& value = k->values[UpperAnsi(name)];
  value.name = name;
  value.type = type;
  value.data = data;
  k->writeTime = Now();
}

void SetRegistryString(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                       DWORD type) {
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  SetRegistryValue(root, key, name, type, data);
}

void AddRegistryKey(HKEY root, const std::string& key) {
  auto lock = Lock();
  EnsureKey(root, key);
}

bool RegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD* type,
                   std::vector<uint8_t>* data) {
  auto lock = Lock();
  const RegKey* k = FindKey(root, key);
  if (!k) return false;
  auto v = k->values.find(UpperAnsi(name));
  if (v == k->values.end()) return false;
  if (type) *type = v->second.type;
  if (data) *data = v->second.data;
  return true;
}

void DeleteRegistryValue(HKEY root, const std::string& key, const std::string& name) {
  auto lock = Lock();
  if (RegKey* k = FindKey(root, key)) k->values.erase(UpperAnsi(name));
}

}  // namespace winsim

using namespace winsim::detail;

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
  auto lock = Lock();
  const OpenKey base = Lookup(key);
  ApiCall call("RegOpenKeyExA",
               {base.key ? base.path : Hex(reinterpret_cast<uintptr_t>(key)), Arg(subKey), Dec(options), Hex(desired)});
  if (auto fault = call.Fault()) return static_cast<LONG>(*fault);
  if (!result) return ERROR_INVALID_PARAMETER;
  const bool root = !RootName(key).empty();
  // A root with no subkey named is answered with the root itself.
  if (root && (!subKey || !*subKey)) {
    *result = key;
    return ERROR_SUCCESS;
  }
  if (!base.key) return ERROR_INVALID_HANDLE;
  *result = nullptr;
  std::string name = subKey ? subKey : "";
  if (key == HKEY_CLASSES_ROOT && !name.empty() && name[0] == '\\') name.erase(0, 1);
  if (!name.empty() && name[0] == '\\') return ERROR_BAD_PATHNAME;
  std::string path = base.path;
  RegKey* target = Walk(base.key, name, &path);
  if (!target) return ERROR_FILE_NOT_FOUND;
  const bool mayWrite = M().administrator || path.compare(0, 4, "HKLM") != 0;
  const DWORD rights = MapKeyAccess(desired, mayWrite);
  if (!mayWrite && (rights & kWriteRights)) return ERROR_ACCESS_DENIED;
  const uintptr_t id = M().nextHandle += 4;
  M().openKeys[id] = OpenKey{path, target, rights};
  *result = reinterpret_cast<HKEY>(id);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR, DWORD options, REGSAM desired, LPVOID,
                     PHKEY result, LPDWORD disposition) {
  auto lock = Lock();
  const OpenKey base = Lookup(key);
  ApiCall call("RegCreateKeyExA",
               {base.key ? base.path : Hex(reinterpret_cast<uintptr_t>(key)), Arg(subKey), Hex(desired)});
  if (auto fault = call.Fault()) return static_cast<LONG>(*fault);
  if (!result || reserved || options != REG_OPTION_NON_VOLATILE) return ERROR_INVALID_PARAMETER;
  if (!base.key) return ERROR_INVALID_HANDLE;
  *result = nullptr;
  const std::string name = subKey ? subKey : "";
  if (!name.empty() && name[0] == '\\') return ERROR_BAD_PATHNAME;
  const bool mayWrite = M().administrator || base.path.compare(0, 4, "HKLM") != 0;
  const DWORD rights = MapKeyAccess(desired, mayWrite);
  std::string path = base.path;
  RegKey* target = Walk(base.key, name, &path);
  const bool created = !target;
  if (created) {
    if (!mayWrite || !(base.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    path = base.path;
    target = CreatePath(base.key, name, &path);
  }
  if (!mayWrite && (rights & kWriteRights)) return ERROR_ACCESS_DENIED;
  const uintptr_t id = M().nextHandle += 4;
  M().openKeys[id] = OpenKey{path, target, rights};
  *result = reinterpret_cast<HKEY>(id);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataLength) {
  auto lock = Lock();
  const OpenKey open = Lookup(key);
  ApiCall call("RegSetValueExA", {open.key ? open.path : Hex(reinterpret_cast<uintptr_t>(key)), Arg(valueName),
                                  Dec(type), Dec(dataLength)});
  if (auto fault = call.Fault()) return static_cast<LONG>(*fault);
  if (reserved || (!data && dataLength)) return ERROR_INVALID_PARAMETER;
  if (!open.key) return ERROR_INVALID_HANDLE;
  if (!(open.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  const std::string name = valueName ? valueName : "";
  RegValue& value = open.key->values[UpperAnsi(name)];
  value.name = name;
  value.type = type;
  value.data.assign(data, data + dataLength);
  open.key->writeTime = Now();
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataLength) {
  auto lock = Lock();
  const OpenKey open = Lookup(key);
  ApiCall call("RegQueryValueExA", {open.key ? open.path : Hex(reinterpret_cast<uintptr_t>(key)), Arg(valueName)});
  if (auto fault = call.Fault()) return static_cast<LONG>(*fault);
  if ((data && !dataLength) || reserved) return ERROR_INVALID_PARAMETER;
  if (!open.key) return ERROR_INVALID_HANDLE;
  if (!(open.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (!data && dataLength) *dataLength = 0;
  auto v = open.key->values.find(UpperAnsi(valueName ? valueName : ""));
  if (v == open.key->values.end()) return ERROR_FILE_NOT_FOUND;
  const RegValue& value = v->second;
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (type) *type = value.type;
  if (data) {
    // Too small: the buffer is left as it was, and the size needed is given.
    if (size > *dataLength) {
      *dataLength = size;
      return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(data, value.data.data(), size);
    // A string stored without its NUL gets one when there is room; the
    // size reported stays the stored size.
    if (IsStringType(value.type) && size > 0 && size < *dataLength && data[size - 1] != 0) data[size] = 0;
  }
  if (dataLength) *dataLength = size;
  return ERROR_SUCCESS;
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPSTR className,
                   LPDWORD classLength, PFILETIME lastWriteTime) {
  auto lock = Lock();
  const OpenKey open = Lookup(key);
  ApiCall call("RegEnumKeyExA", {open.key ? open.path : Hex(reinterpret_cast<uintptr_t>(key)), Dec(index)});
  if (auto fault = call.Fault()) return static_cast<LONG>(*fault);
  if (reserved || !name || !nameLength || (className && !classLength)) return ERROR_INVALID_PARAMETER;
  if (!open.key) return ERROR_INVALID_HANDLE;
  if (!(open.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  const std::vector<const RegKey*> subkeys = SortedSubkeys(*open.key);
  if (index >= subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const RegKey& subkey = *subkeys[index];
  if (lastWriteTime) *lastWriteTime = subkey.writeTime;
  // Sizes count characters without the NUL, which needs room too. Too
  // small: buffer and size are left as they were. Keys have no class here.
  const DWORD length = static_cast<DWORD>(subkey.name.size());
  if (length >= *nameLength || (className && *classLength == 0)) return ERROR_MORE_DATA;
  std::memcpy(name, subkey.name.c_str(), length + 1);
  *nameLength = length;
  if (classLength) *classLength = 0;
  if (className) *className = '\0';
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  auto lock = Lock();
  const OpenKey open = Lookup(key);
  ApiCall call("RegCloseKey", {open.key ? open.path : Hex(reinterpret_cast<uintptr_t>(key))});
  if (auto fault = call.Fault()) return static_cast<LONG>(*fault);
  if (!RootName(key).empty()) return ERROR_SUCCESS;
  return M().openKeys.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
