// winsim: moves and replacements registered for the next start of Windows,
// the profile (INI) file calls that WININIT.INI is written with, and the
// simulated restart that carries both out.
#include <cstring>

#include "machine.h"

namespace winsim {
namespace detail {

namespace {

const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char* kPendingValue = "PendingFileRenameOperations";

// The raw value holds pairs of NUL-terminated strings (the target may be
// empty) and ends with one more NUL where a source would begin.
std::vector<std::string> SplitPairs(const std::vector<uint8_t>& data) {
  std::vector<std::string> items;
  size_t i = 0;
  while (i < data.size()) {
    std::string current;
    while (i < data.size() && data[i] != 0) current += static_cast<char>(data[i++]);
    ++i;
    if (current.empty() && items.size() % 2 == 0) break;  // the list's end
    items.push_back(current);
  }
  return items;
}

std::string ProfilePath(LPCSTR fileName) {
  const std::string name = fileName;
  const bool bare = name.find('\\') == std::string::npos && name.find('/') == std::string::npos;
  return bare ? M().windowsDir + "\\" + name : name;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (char c : text) {
    if (c == '\n') {
      if (!current.empty() && current.back() == '\r') current.pop_back();
      lines.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

bool IsSection(const std::string& line, std::string* name) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const size_t close = t.find(']');
  if (close == std::string::npos) return false;
  *name = t.substr(1, close - 1);
  return true;
}

// The key=value pairs of one section, in file order.
std::vector<std::pair<std::string, std::string>> SectionEntries(const std::string& text, const std::string& section) {
  std::vector<std::pair<std::string, std::string>> entries;
  bool inSection = false;
  for (const std::string& line : Lines(text)) {
    std::string name;
    if (IsSection(line, &name)) {
      inSection = UpperAnsi(name) == UpperAnsi(section);
      continue;
    }
    const size_t eq = line.find('=');
    if (inSection && eq != std::string::npos) entries.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
  }
  return entries;
}

}  // namespace
}  // namespace detail

using namespace detail;

std::vector<PendingMove> PendingFileRenameOperations() {
  std::vector<uint8_t> data;
  std::vector<PendingMove> moves;
  if (!RegistryValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, nullptr, &data)) return moves;
  const std::vector<std::string> items = SplitPairs(data);
  for (size_t i = 0; i < items.size(); i += 2)
    moves.push_back(PendingMove{items[i], i + 1 < items.size() ? items[i + 1] : std::string()});
  return moves;
}

void SimulateRestart() {
  auto lock = Lock();
  // Nothing runs any more: no file is in use.
  std::vector<Node*> stack;
  for (auto& drive : M().drives) stack.push_back(drive.second.get());
  while (!stack.empty()) {
    Node* node = stack.back();
    stack.pop_back();
    node->inUseError = 0;
    node->heldAccess = node->heldShare = 0;
    for (auto& child : node->children) stack.push_back(child.second.get());
  }

  // The NT family: the session manager's list, in order.
  auto strip = [](std::string path) {
    if (path.rfind("\\??\\", 0) == 0) path.erase(0, 4);
    return path;
  };
  for (const PendingMove& move : PendingFileRenameOperations()) {
    const std::string source = strip(move.source);
    if (move.target.empty()) {
      if (Node* node = FindNode(source)) {
        node->attributes &= ~FILE_ATTRIBUTE_READONLY;
        DeleteFileNode(source);
      }
      continue;
    }
    const bool replace = move.target[0] == '!';
    MoveNode(source, strip(replace ? move.target.substr(1) : move.target), replace);
  }
  DeleteRegistryValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);

  // The 95 family: WININIT.INI, [rename] lines DEST=SOURCE (NUL=SOURCE deletes).
  if (M().version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) return;
  const std::string ini = M().windowsDir + "\\WININIT.INI";
  Node* file = FindNode(ini);
  if (!file) return;
  const std::string text(file->data.begin(), file->data.end());
  for (const auto& entry : SectionEntries(text, "rename")) {
    if (UpperAnsi(entry.first) == "NUL") {
      DeleteFileNode(entry.second);
      continue;
    }
    if (Node* target = FindNode(entry.first)) {
      target->attributes &= ~FILE_ATTRIBUTE_READONLY;
      DeleteFileNode(entry.first);
    }
    MoveNode(entry.second, entry.first, true);
  }
  DeleteFileNode(M().windowsDir + "\\WININIT.BAK");
  MoveNode(ini, M().windowsDir + "\\WININIT.BAK", true);
}

}  // namespace winsim

using namespace winsim::detail;

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  ApiCall call("MoveFileExA", {Arg(existingFileName), Arg(newFileName), Hex(flags)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  if (M().version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
    // The 95 family has no MoveFileEx; WININIT.INI takes its place.
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  if (!existingFileName || !*existingFileName) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
    // Recorded as Windows records it: pairs of NT paths in a REG_MULTI_SZ
    // value; an empty target deletes, a "!" target replaces an existing file.
    std::vector<uint8_t> data;
    DWORD type = REG_MULTI_SZ;
    winsim::RegistryValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, &type, &data);
    if (!data.empty()) data.pop_back();  // drop the list's final NUL, append, end it again
    auto append = [&data](const std::string& text) {
      data.insert(data.end(), text.begin(), text.end());
      data.push_back(0);
    };
    append("\\??\\" + NormalizePath(existingFileName));
    if (newFileName && *newFileName)
      append(std::string((flags & MOVEFILE_REPLACE_EXISTING) ? "!" : "") + "\\??\\" + NormalizePath(newFileName));
    else
      append("");
    data.push_back(0);
    winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, REG_MULTI_SZ, data);
    return TRUE;
  }
  if (!newFileName || !*newFileName) {
    const DWORD error = DeleteFileNode(existingFileName);
    SetLastError(error);
    return error ? FALSE : TRUE;
  }
  const DWORD error = MoveNode(existingFileName, newFileName, (flags & MOVEFILE_REPLACE_EXISTING) != 0);
  if (error) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR string, LPCSTR fileName) {
  ApiCall call("WritePrivateProfileStringA", {Arg(appName), Arg(keyName), Arg(string), Arg(fileName)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  if (!appName || !fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string path = ProfilePath(fileName);
  Node* file = FindNode(path);
  const std::string text = file ? std::string(file->data.begin(), file->data.end()) : std::string();
  std::vector<std::string> lines = Lines(text);
  // Find the section and, inside it, the key.
  int sectionAt = -1, keyAt = -1, sectionEnd = static_cast<int>(lines.size());
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    std::string name;
    if (IsSection(lines[i], &name)) {
      if (sectionAt >= 0) {
        sectionEnd = i;
        break;
      }
      if (UpperAnsi(name) == UpperAnsi(appName)) sectionAt = i;
      continue;
    }
    const size_t eq = lines[i].find('=');
    if (sectionAt >= 0 && keyName && eq != std::string::npos &&
        UpperAnsi(Trim(lines[i].substr(0, eq))) == UpperAnsi(keyName) && keyAt < 0)
      keyAt = i;
  }
  if (sectionAt >= 0 && sectionEnd > static_cast<int>(lines.size())) sectionEnd = static_cast<int>(lines.size());
  if (!keyName) {
    if (sectionAt >= 0) lines.erase(lines.begin() + sectionAt, lines.begin() + sectionEnd);
  } else if (!string) {
    if (keyAt >= 0) lines.erase(lines.begin() + keyAt);
  } else {
    const std::string entry = std::string(keyName) + "=" + string;
    if (keyAt >= 0) {
      // An existing key keeps its own spelling; only the value changes.
      const std::string& line = lines[keyAt];
      lines[keyAt] = Trim(line.substr(0, line.find('='))) + "=" + string;
    } else if (sectionAt >= 0) {
      int insertAt = sectionEnd;
      while (insertAt > sectionAt + 1 && Trim(lines[insertAt - 1]).empty()) --insertAt;
      lines.insert(lines.begin() + insertAt, entry);
    } else {
      lines.push_back(std::string("[") + appName + "]");
      lines.push_back(entry);
    }
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  const DWORD error = WriteFileNode(path, std::vector<uint8_t>(out.begin(), out.end()), nullptr);
  if (error) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultString, LPSTR returnedString,
                               DWORD size, LPCSTR fileName) {
  ApiCall call("GetPrivateProfileStringA", {Arg(appName), Arg(keyName), Arg(fileName)});
  std::string value = defaultString ? defaultString : "";
  if (appName && keyName && fileName) {
    if (Node* file = FindNode(ProfilePath(fileName))) {
      const std::string text(file->data.begin(), file->data.end());
      for (const auto& entry : SectionEntries(text, appName))
        if (UpperAnsi(entry.first) == UpperAnsi(keyName)) {
          value = entry.second;
          break;
        }
    }
  }
  if (size == 0) return 0;
  const size_t n = std::min<size_t>(value.size(), size - 1);
  std::memcpy(returnedString, value.data(), n);
  returnedString[n] = '\0';
  return static_cast<DWORD>(n);
}
