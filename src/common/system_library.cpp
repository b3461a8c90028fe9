#include "common/system_library.h"

#include <string>

#include "common/mbstring.h"

namespace kv {

HMODULE LoadSystemLibrary(const char* fileName) {
  char directory[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::string path(directory, length);
  if (FindLastChar(path, '\\') != path.size() - 1) path += '\\';
  path += fileName;
  return LoadLibraryA(path.c_str());
}

}  // namespace kv
