// winsim: the in-memory file system. Paths are case-insensitive (ASCII
// letters, DBCS-aware), every file and directory has a long and an 8.3 name,
// and files can be read-only, in use, or refused for a full disk.
#include <algorithm>
#include <cstring>

#include "machine.h"

namespace winsim {
namespace detail {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits at backslashes and slashes, never at a DBCS trail byte.
std::vector<std::string> SplitRaw(const std::string& path) {
  std::vector<std::string> components;
  std::string current;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c) && i + 1 < path.size()) {
      current += path[i];
      current += path[++i];
    } else if (IsSeparator(path[i])) {
      components.push_back(current);
      current.clear();
    } else {
      current += path[i];
    }
  }
  components.push_back(current);
  return components;
}

const char* kInvalidShortChars = " +,;=[]";

bool IsValidShortName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  size_t dot = std::string::npos;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(c) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (std::strchr(kInvalidShortChars, c) || c < 0x20) return false;
    if (c == '.') {
      if (dot != std::string::npos || i == 0) return false;
      dot = i;
    }
  }
  const size_t base = dot == std::string::npos ? name.size() : dot;
  const size_t ext = dot == std::string::npos ? 0 : name.size() - dot - 1;
  return base >= 1 && base <= 8 && ext <= 3 && !(dot != std::string::npos && ext == 0);
}

// Up to `limit` bytes of the valid characters of `text`, upper-cased,
// never splitting a double-byte character.
std::string ShortPart(const std::string& text, size_t limit) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c) && i + 1 < text.size()) {
      if (out.size() + 2 > limit) break;
      out += text[i];
      out += text[++i];
      continue;
    }
    if (std::strchr(kInvalidShortChars, c) || c == '.') continue;
    if (out.size() + 1 > limit) break;
    out += static_cast<char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
  }
  return out;
}

bool ShortNameTaken(const Node* dir, const std::string& shortName) {
  const std::string upper = UpperAnsi(shortName);
  for (const auto& child : dir->children)
    if (UpperAnsi(child.second->shortName) == upper || child.first == upper) return true;
  return false;
}

// Windows' scheme: a valid 8.3 name is its own short name; otherwise the first
// six valid characters, "~" and a number, and up to three extension letters.
std::string MakeShortName(const Node* dir, const std::string& name) {
  if (IsValidShortName(name)) return name;
  const size_t dot = name.rfind('.');
  const std::string base = ShortPart(dot == std::string::npos || dot == 0 ? name : name.substr(0, dot), 8);
  const std::string ext = dot == std::string::npos || dot == 0 ? std::string() : ShortPart(name.substr(dot + 1), 3);
  for (int n = 1; n < 1000000; ++n) {
    const std::string tail = "~" + std::to_string(n);
    std::string stem = ShortPart(base, 8 - tail.size());
    std::string candidate = stem + tail + (ext.empty() ? "" : "." + ext);
    if (!ShortNameTaken(dir, candidate)) return candidate;
  }
  return name;
}

Node* Root(char drive) {
  auto& drives = M().drives;
  auto it = drives.find(drive);
  if (it == drives.end()) return nullptr;
  return it->second.get();
}

Node* Child(Node* dir, const std::string& component) {
  const std::string upper = UpperAnsi(component);
  auto it = dir->children.find(upper);
  if (it != dir->children.end()) return it->second.get();
  for (auto& child : dir->children)
    if (UpperAnsi(child.second->shortName) == upper) return child.second.get();
  return nullptr;
}

uint64_t SizeOf(const Node* node) {
  uint64_t total = node->directory ? 0 : node->data.size();
  for (const auto& child : node->children) total += SizeOf(child.second.get());
  return total;
}

bool WildcardMatch(const char* pattern, const char* text) {
  if (*pattern == '\0') return *text == '\0';
  if (*pattern == '*') return WildcardMatch(pattern + 1, text) || (*text && WildcardMatch(pattern, text + 1));
  if (*text == '\0') return *pattern == '.' && WildcardMatch(pattern + 1, text);
  if (*pattern == '?' || *pattern == *text) return WildcardMatch(pattern + 1, text + 1);
  return false;
}

DWORD PublicAttributes(const Node* node) {
  DWORD attributes = node->attributes | (node->directory ? FILE_ATTRIBUTE_DIRECTORY : 0);
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

WIN32_FIND_DATAA FindDataOf(const Node* node, const char* nameOverride = nullptr) {
  WIN32_FIND_DATAA data{};
  data.dwFileAttributes = PublicAttributes(node);
  data.ftCreationTime = node->creationTime;
  data.ftLastAccessTime = node->writeTime;
  data.ftLastWriteTime = node->writeTime;
  data.nFileSizeLow = static_cast<DWORD>(node->data.size());
  const std::string name = nameOverride ? nameOverride : node->name;
  std::strncpy(data.cFileName, name.c_str(), MAX_PATH - 1);
  if (!nameOverride && node->shortName != node->name)
    std::strncpy(data.cAlternateFileName, node->shortName.c_str(), 13);
  return data;
}

Node* NewNode(Node* parent, const std::string& name, bool directory) {
  auto node = std::make_unique<Node>();
  node->name = name;
  node->shortName = MakeShortName(parent, name);
  node->directory = directory;
  node->attributes = directory ? 0 : FILE_ATTRIBUTE_ARCHIVE;
  node->creationTime = node->writeTime = Now();
  node->parent = parent;
  Node* raw = node.get();
  parent->children[UpperAnsi(name)] = std::move(node);
  return raw;
}

// A running program's image (in use with ERROR_ACCESS_DENIED) is mapped, not
// opened for exclusive use: it can be renamed, it cannot be deleted, and
// opening it for writing is a sharing violation.
bool IsRunningImage(const Node* node) { return node->inUseError == ERROR_ACCESS_DENIED; }

BOOL Fail(DWORD error) {
  SetLastErrorInternal(error);
  return FALSE;
}

bool IsDescendantOrSelf(const Node* node, const Node* ancestor) {
  for (; node; node = node->parent)
    if (node == ancestor) return true;
  return false;
}

}  // namespace

DWORD MissingError(const std::string& path) {
  std::string leaf;
  return FindParentDir(path, &leaf) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

// Moves (renames) `source` to `target`; `replace` allows an existing file
// target. Returns 0 or a Win32 error.
DWORD MoveNode(const std::string& sourcePath, const std::string& targetPath, bool replace) {
  Node* source = FindNode(sourcePath);
  if (!source) return MissingError(sourcePath);
  if (source->inUseError && !IsRunningImage(source)) return source->inUseError;
  if (const DWORD error = OpenHandleConflict(source, FileUse::Delete)) return error;
  std::string leaf;
  Node* targetDir = FindParentDir(targetPath, &leaf);
  if (!targetDir || leaf.empty()) return ERROR_PATH_NOT_FOUND;
  if (IsDescendantOrSelf(targetDir, source)) return ERROR_ACCESS_DENIED;
  Node* existing = Child(targetDir, leaf);
  if (existing == source) {
    // A change of letter case only.
    std::unique_ptr<Node> self = std::move(source->parent->children[UpperAnsi(source->name)]);
    source->parent->children.erase(UpperAnsi(source->name));
    self->name = leaf;
    targetDir->children[UpperAnsi(leaf)] = std::move(self);
    return 0;
  }
  if (existing) {
    if (!replace || existing->directory) return ERROR_ALREADY_EXISTS;
    if (existing->inUseError) return existing->inUseError;
    if (const DWORD error = OpenHandleConflict(existing, FileUse::Delete)) return error;
    if (existing->attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
    targetDir->children.erase(UpperAnsi(existing->name));
  }
  std::unique_ptr<Node> moving = std::move(source->parent->children[UpperAnsi(source->name)]);
  source->parent->children.erase(UpperAnsi(source->name));
  moving->name = leaf;
  moving->parent = targetDir;
  moving->shortName = MakeShortName(targetDir, leaf);
  targetDir->children[UpperAnsi(leaf)] = std::move(moving);
  return 0;
}

std::string NormalizePath(const std::string& path) {
  std::string full = path;
  const bool absolute = full.size() >= 2 && full[1] == ':';
  if (!absolute) {
    if (!full.empty() && IsSeparator(full[0]))
      full = M().currentDir.substr(0, 2) + full;
    else
      full = M().currentDir + "\\" + full;
  }
  std::vector<std::string> raw = SplitRaw(full.substr(2));
  std::vector<std::string> components;
  for (const std::string& part : raw) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!components.empty()) components.pop_back();
      continue;
    }
    components.push_back(part);
  }
  std::string result(1, static_cast<char>(std::toupper(static_cast<unsigned char>(full[0]))));
  result += ':';
  for (const std::string& part : components) result += "\\" + part;
  return result;
}

std::vector<std::string> SplitComponents(const std::string& normalized) {
  std::vector<std::string> components = SplitRaw(normalized.substr(2));
  components.erase(std::remove(components.begin(), components.end(), std::string()), components.end());
  return components;
}

Node* FindNode(const std::string& path) {
  if (path.empty()) return nullptr;
  const std::string normalized = NormalizePath(path);
  Node* node = Root(normalized[0]);
  for (const std::string& part : SplitComponents(normalized)) {
    if (!node || !node->directory) return nullptr;
    node = Child(node, part);
  }
  return node;
}

Node* FindParentDir(const std::string& path, std::string* leaf) {
  if (path.empty()) return nullptr;
  const std::string normalized = NormalizePath(path);
  std::vector<std::string> components = SplitComponents(normalized);
  if (components.empty()) return nullptr;
  *leaf = components.back();
  components.pop_back();
  Node* node = Root(normalized[0]);
  for (const std::string& part : components) {
    if (!node || !node->directory) return nullptr;
    node = Child(node, part);
  }
  return node && node->directory ? node : nullptr;
}

std::string FullPathOf(const Node* node) {
  std::vector<std::string> names;
  for (; node && node->parent; node = node->parent) names.push_back(node->name);
  std::string path = node ? node->name : std::string();
  for (auto it = names.rbegin(); it != names.rend(); ++it) path += "\\" + *it;
  return path;
}

uint64_t DiskUsed() {
  uint64_t total = 0;
  for (const auto& drive : M().drives) total += SizeOf(drive.second.get());
  return total;
}

uint64_t DiskFreeBytes() {
  if (!M().diskLimited) return UINT64_MAX;
  const uint64_t used = DiskUsed();
  return used >= M().diskFree ? 0 : M().diskFree - used;
}

DWORD WriteFileNode(const std::string& path, const std::vector<uint8_t>& data, Node** result) {
  std::string leaf;
  Node* dir = FindParentDir(path, &leaf);
  if (!dir || leaf.empty()) return ERROR_PATH_NOT_FOUND;
  Node* node = Child(dir, leaf);
  if (node) {
    if (node->directory) return ERROR_ACCESS_DENIED;
    if (IsRunningImage(node)) return ERROR_SHARING_VIOLATION;
    if (node->inUseError) return node->inUseError;
    if (const DWORD error = OpenHandleConflict(node, FileUse::Write)) return error;
    if (node->attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
  }
  const uint64_t old = node ? node->data.size() : 0;
  if (data.size() > old && data.size() - old > DiskFreeBytes()) return ERROR_DISK_FULL;
  if (!node) node = NewNode(dir, leaf, false);
  node->data = data;
  node->writeTime = Now();
  if (result) *result = node;
  return 0;
}

DWORD DeleteFileNode(const std::string& path) {
  Node* node = FindNode(path);
  if (!node) return MissingError(path);
  if (node->directory || (node->attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  if (node->inUseError) return node->inUseError;
  if (const DWORD error = OpenHandleConflict(node, FileUse::Delete)) return error;
  node->parent->children.erase(UpperAnsi(node->name));
  return 0;
}

void ResetFileSystem() {
  Machine& m = M();
  m.drives.clear();
  auto root = std::make_unique<Node>();
  root->name = "C:";
  root->shortName = "C:";
  root->directory = true;
  m.drives['C'] = std::move(root);
}

}  // namespace detail

using namespace detail;

// ---- Control API -----------------------------------------------------------

void AddDirectory(const std::string& path) {
  auto lock = Lock();
  const std::string normalized = NormalizePath(path);
  Node* node = Root(normalized[0]);
  if (!node) {
    auto root = std::make_unique<Node>();
    root->name = root->shortName = normalized.substr(0, 2);
    root->directory = true;
    node = root.get();
    M().drives[normalized[0]] = std::move(root);
  }
  for (const std::string& part : SplitComponents(normalized)) {
    Node* child = Child(node, part);
    node = child ? child : NewNode(node, part, true);
  }
}

void AddFile(const std::string& path, const std::vector<uint8_t>& content) {
  auto lock = Lock();
  std::string leaf;
  if (!FindParentDir(path, &leaf)) {
    const std::string normalized = NormalizePath(path);
    AddDirectory(normalized.substr(0, normalized.rfind('\\')));
  }
  Node* node = FindNode(path);
  if (node && (node->attributes & FILE_ATTRIBUTE_READONLY)) node->attributes &= ~FILE_ATTRIBUTE_READONLY;
  const bool limited = M().diskLimited;
  M().diskLimited = false;
  WriteFileNode(path, content, nullptr);
  M().diskLimited = limited;
}

void AddFile(const std::string& path, const std::string& content) {
  AddFile(path, std::vector<uint8_t>(content.begin(), content.end()));
}

bool Exists(const std::string& path) {
  auto lock = Lock();
  return FindNode(path) != nullptr;
}

bool IsDirectory(const std::string& path) {
  auto lock = Lock();
  Node* node = FindNode(path);
  return node && node->directory;
}

std::vector<uint8_t> FileContent(const std::string& path) {
  auto lock = Lock();
  Node* node = FindNode(path);
  return node ? node->data : std::vector<uint8_t>();
}

std::string FileText(const std::string& path) {
  std::vector<uint8_t> data = FileContent(path);
  return std::string(data.begin(), data.end());
}

FILETIME WriteTime(const std::string& path) {
  auto lock = Lock();
  Node* node = FindNode(path);
  return node ? node->writeTime : FILETIME{};
}

void SetWriteTime(const std::string& path, FILETIME time) {
  auto lock = Lock();
  if (Node* node = FindNode(path)) node->writeTime = time;
}

DWORD Attributes(const std::string& path) {
  auto lock = Lock();
  Node* node = FindNode(path);
  return node ? PublicAttributes(node) : INVALID_FILE_ATTRIBUTES;
}

void SetAttributes(const std::string& path, DWORD attributes) {
  auto lock = Lock();
  if (Node* node = FindNode(path)) node->attributes = attributes & ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL);
}

std::vector<std::string> ListDirectory(const std::string& path) {
  auto lock = Lock();
  std::vector<std::string> names;
  Node* node = FindNode(path);
  if (node && node->directory)
    for (const auto& child : node->children) names.push_back(child.second->name);
  return names;
}

void SetInUse(const std::string& path, DWORD error) {
  auto lock = Lock();
  if (Node* node = FindNode(path)) node->inUseError = error;
}

void ClearInUse(const std::string& path) {
  auto lock = Lock();
  SetInUse(path, 0);
  if (Node* node = FindNode(path)) node->heldAccess = node->heldShare = 0;
}

void SetDiskFree(uint64_t bytes) {
  auto lock = Lock();
  M().diskLimited = true;
  M().diskFree = DiskUsed() + bytes;  // kept as the disk's capacity
}

void SetDiskUnlimited() {
  auto lock = Lock();
  M().diskLimited = false;
}

namespace detail {

void ReportOpenLzFiles(std::vector<std::string>& out);  // lz32.cpp

void ReportOpenFiles(std::vector<std::string>& out) {
  for (const auto& find : M().finds) out.push_back("find handle " + Hex(find.first));
  ReportOpenLzFiles(out);
}

}  // namespace detail

int OpenHandleCount() {
  auto lock = Lock();
  return static_cast<int>(M().finds.size() + M().lzFiles.size() + M().openKeys.size()) + OpenFileHandleCount();
}

}  // namespace winsim

// ---- Simulated calls -------------------------------------------------------
using namespace winsim::detail;

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
  ApiCall call("FindFirstFileA", {Arg(fileName)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = fileName ? fileName : "";
  if (path.empty() || IsSeparator(path.back())) {
    SetLastError(path.empty() ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::string leaf;
  Node* dir = FindParentDir(path, &leaf);
  if (!dir) {
    SetLastError(FindNode(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  FindHandle handle;
  if (leaf.find_first_of("*?") == std::string::npos) {
    if (Node* node = Child(dir, leaf)) handle.entries.push_back(FindDataOf(node));
  } else {
    const std::string pattern = UpperAnsi(leaf);
    if (dir->parent) {
      for (const char* dots : {".", ".."})
        if (WildcardMatch(pattern.c_str(), dots)) handle.entries.push_back(FindDataOf(dir, dots));
    }
    for (const auto& child : dir->children)
      if (WildcardMatch(pattern.c_str(), child.first.c_str()) ||
          WildcardMatch(pattern.c_str(), UpperAnsi(child.second->shortName).c_str()))
        handle.entries.push_back(FindDataOf(child.second.get()));
  }
  if (handle.entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *findData = handle.entries[0];
  const uintptr_t id = M().nextHandle += 4;
  M().finds[id] = std::move(handle);
  return reinterpret_cast<HANDLE>(id);
}

BOOL FindClose(HANDLE findFile) {
  ApiCall call("FindClose", {Hex(reinterpret_cast<uintptr_t>(findFile))});
  if (M().finds.erase(reinterpret_cast<uintptr_t>(findFile)) == 0) return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

DWORD GetFileAttributesA(LPCSTR fileName) {
  ApiCall call("GetFileAttributesA", {Arg(fileName)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return INVALID_FILE_ATTRIBUTES;
  }
  Node* node = fileName && *fileName ? FindNode(fileName) : nullptr;
  if (!node) {
    SetLastError(fileName && *fileName ? MissingError(fileName) : ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  return PublicAttributes(node);
}

BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
  ApiCall call("SetFileAttributesA", {Arg(fileName), Hex(attributes)});
  if (auto fault = call.Fault()) return Fail(static_cast<DWORD>(*fault));
  Node* node = fileName && *fileName ? FindNode(fileName) : nullptr;
  if (!node) return Fail(fileName && *fileName ? MissingError(fileName) : ERROR_PATH_NOT_FOUND);
  node->attributes = attributes & ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL);
  return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName) {
  ApiCall call("DeleteFileA", {Arg(fileName)});
  if (auto fault = call.Fault()) return Fail(static_cast<DWORD>(*fault));
  if (!fileName || !*fileName) return Fail(ERROR_PATH_NOT_FOUND);
  const DWORD error = DeleteFileNode(fileName);
  return error ? Fail(error) : TRUE;
}

BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName) {
  ApiCall call("MoveFileA", {Arg(existingFileName), Arg(newFileName)});
  if (auto fault = call.Fault()) return Fail(static_cast<DWORD>(*fault));
  if (!existingFileName || !newFileName || !*existingFileName || !*newFileName) return Fail(ERROR_PATH_NOT_FOUND);
  const DWORD error = MoveNode(existingFileName, newFileName, false);
  return error ? Fail(error) : TRUE;
}

BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) {
  ApiCall call("CopyFileA", {Arg(existingFileName), Arg(newFileName), Dec(failIfExists)});
  if (auto fault = call.Fault()) return Fail(static_cast<DWORD>(*fault));
  Node* source = existingFileName && *existingFileName ? FindNode(existingFileName) : nullptr;
  if (!source) return Fail(existingFileName && *existingFileName ? MissingError(existingFileName) : ERROR_PATH_NOT_FOUND);
  if (source->directory) return Fail(ERROR_ACCESS_DENIED);
  if (const DWORD error = OpenHandleConflict(source, FileUse::Read)) return Fail(error);
  if (!newFileName || !*newFileName) return Fail(ERROR_PATH_NOT_FOUND);
  Node* target = FindNode(newFileName);
  if (target == source) return Fail(ERROR_SHARING_VIOLATION);
  if (target && failIfExists) return Fail(ERROR_FILE_EXISTS);
  const std::vector<uint8_t> data = source->data;
  const DWORD attributes = source->attributes;
  const FILETIME time = source->writeTime;
  Node* written = nullptr;
  if (const DWORD error = WriteFileNode(newFileName, data, &written)) return Fail(error);
  // A copy keeps the source's attributes and last-write time.
  written->attributes = attributes | FILE_ATTRIBUTE_ARCHIVE;
  written->writeTime = time;
  return TRUE;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
  ApiCall call("CreateDirectoryA", {Arg(pathName)});
  if (auto fault = call.Fault()) return Fail(static_cast<DWORD>(*fault));
  if (!pathName || !*pathName) return Fail(ERROR_PATH_NOT_FOUND);
  std::string leaf;
  Node* dir = FindParentDir(pathName, &leaf);
  if (!dir) return Fail(FindNode(pathName) ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
  if (Child(dir, leaf)) return Fail(ERROR_ALREADY_EXISTS);
  NewNode(dir, leaf, true);
  return TRUE;
}

DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
  ApiCall call("GetShortPathNameA", {Arg(longPath), Dec(size)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return 0;
  }
  if (!longPath || !*longPath) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string input = longPath;
  if (!FindNode(input)) {
    // Every component is looked up in turn; whichever is missing, the answer
    // is ERROR_FILE_NOT_FOUND.
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  // Walk the path as given: every component is replaced by the entry's short
  // name as stored, which for a name that is already 8.3 is the name itself
  // in its stored case.
  std::vector<std::string> components = SplitRaw(input);
  std::string result;
  Node* node = nullptr;
  for (size_t i = 0; i < components.size(); ++i) {
    const std::string& part = components[i];
    if (i > 0) result += "\\";
    if (i == 0 && part.size() == 2 && part[1] == ':') {
      node = Root(static_cast<char>(std::toupper(static_cast<unsigned char>(part[0]))));
      result += part;
      continue;
    }
    if (part.empty() || part == "." || part == "..") {
      result += part;
      if (part == ".." && node && node->parent) node = node->parent;
      continue;
    }
    node = node ? Child(node, part) : FindNode(part);
    result += node ? node->shortName : part;
  }
  if (result.size() + 1 > size) return static_cast<DWORD>(result.size() + 1);
  std::memcpy(shortPath, result.c_str(), result.size() + 1);
  return static_cast<DWORD>(result.size());
}
