#include "suite/registry_access.h"

#include "common/unique_handle.h"

namespace {

const DWORD kNameBufferSize = MAX_PATH;
const DWORD kStringBufferSize = MAX_PATH;

}  // namespace

int QueryRegistryValue(HKEY root, const std::string& keyPath, const std::string& valueName, DWORD* type,
                       BYTE* data, DWORD* size) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return -1;
  kv::UniqueRegKey key(opened);
  return RegQueryValueExA(key.get(), valueName.c_str(), nullptr, type, data, size) == ERROR_SUCCESS ? 0 : -1;
}

int ReadRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName, std::string& text) {
  BYTE buffer[kStringBufferSize] = {};
  DWORD size = kStringBufferSize;
  DWORD type = REG_NONE;
  const int read = QueryRegistryValue(root, keyPath, valueName, &type, buffer, &size);
  if (read != 0) return read;
  if (type != REG_SZ) return -2;
  // Up to the first NUL; a value that fills the buffer without one ends with it.
  size_t length = 0;
  while (length < kStringBufferSize && buffer[length] != 0) ++length;
  text.assign(reinterpret_cast<const char*>(buffer), length);
  return 0;
}

int RegistryEntryExists(HKEY root, const std::string& keyPath, const std::string& valueName) {
  if (!valueName.empty()) return QueryRegistryValue(root, keyPath, valueName, nullptr, nullptr, nullptr) == 0 ? 1 : 0;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return 0;
  RegCloseKey(opened);
  return 1;
}

int EnumerateSubkeys(HKEY root, const std::string& keyPath, std::vector<std::string>& names) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return -1;
  kv::UniqueRegKey key(opened);
  int appended = 0;
  for (DWORD index = 0;; ++index) {
    char name[kNameBufferSize] = {};
    DWORD length = kNameBufferSize;
    FILETIME written;
    if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, &written) != ERROR_SUCCESS) break;
    names.push_back(std::string(name, length));
    ++appended;
  }
  return appended;
}
