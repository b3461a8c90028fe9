#include "update/path_utils.h"

#include "common/mbstring.h"
#include "win32api.h"

namespace {

const char* const kDirTokens[] = {"%windir%", "%CurrentDir%"};
const int kDirTokenCount = 2;
const UINT kPathBufferSize = MAX_PATH;

bool EndsWithBackslash(const std::string& path) {
  return !path.empty() && kv::FindLastChar(path, '\\') == path.size() - 1;
}

}  // namespace

std::string AddBackslash(std::string& path) {
  if (!path.empty() && !EndsWithBackslash(path)) path += '\\';
  return path;
}

std::string RemoveBackslash(std::string& path) {
  if (EndsWithBackslash(path)) path.erase(path.size() - 1);
  return path;
}

void SplitPath(const std::string& fullPath, std::string& directory, std::string& fileName) {
  const size_t slash = kv::FindLastChar(fullPath, '\\');
  if (slash == std::string::npos) {
    directory.clear();
    fileName = fullPath;
    return;
  }
  directory = fullPath.substr(0, slash + 1);
  fileName = fullPath.substr(slash + 1);
}

void JoinPath(const std::string& directory, const std::string& fileName, std::string& path) {
  std::string result = directory;
  AddBackslash(result);
  path = result + fileName;
}

std::string GetTokenDirectory(int index) {
  char buffer[kPathBufferSize] = {};
  std::string directory;
  if (index == DirTokenWindows) {
    const UINT length = GetWindowsDirectoryA(buffer, kPathBufferSize);
    if (length == 0 || length >= kPathBufferSize) return std::string();  // failed, or did not fit
    directory.assign(buffer, length);
  } else if (index == DirTokenCurrent) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer, kPathBufferSize);
    // A name that filled the whole buffer was cut short (and, on XP, left
    // unterminated): it names no real directory.
    if (length == 0 || length >= kPathBufferSize) return std::string();
    const std::string moduleName(buffer, length);
    const size_t slash = kv::FindLastChar(moduleName, '\\');
    if (slash == std::string::npos) return std::string();
    directory = moduleName.substr(0, slash + 1);
  } else {
    return std::string();
  }
  RemoveBackslash(directory);
  return directory;
}

void ExpandDirToken(const std::string& text, std::string& expanded) {
  for (int index = 0; index < kDirTokenCount; ++index) {
    const std::string token = kDirTokens[index];
    const size_t at = kv::FindToken(text, token);
    if (at == std::string::npos) continue;
    expanded = GetTokenDirectory(index) + text.substr(at + token.size());
    return;
  }
  expanded = text;
}
