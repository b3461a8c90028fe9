// The input gives what the path functions get from the system, as lines: the
// Windows directory below C:\, the tool's module file name below C:\, an
// installed file's name, and a text with directory tokens; its first byte
// says how many numbered staging names are taken already. Each is made valid
// text of code page 932 first (no character Windows refuses in a name, no
// lead byte without its trail byte), as the system would give it, and may be
// longer than a path can be.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/mbstring.h"
#include "fuzz_check.h"
#include "update/file_ops.h"
#include "update/path_utils.h"

namespace {

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

std::string ValidText(const std::string& raw) {
  std::string text;
  for (size_t i = 0; i < raw.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(raw[i]);
    if (IsLead(c) && i + 1 < raw.size() && IsTrail(static_cast<unsigned char>(raw[i + 1]))) {
      text += raw.substr(i++, 2);
    } else {
      text += IsLead(c) || c < 0x20 || std::strchr("*?\"<>|:/", c) ? '_' : static_cast<char>(c);
    }
  }
  return text;
}

bool EndsWithBackslash(const std::string& path) {
  return !path.empty() && kv::FindLastChar(path, '\\') == path.size() - 1;
}

void CheckSplitAndJoin(const std::string& path) {
  std::string directory, name, joined;
  SplitPath(path, directory, name);
  FUZZ_REQUIRE(directory + name == path);
  FUZZ_REQUIRE(kv::FindLastChar(name, '\\') == std::string::npos);
  FUZZ_REQUIRE(directory.empty() || EndsWithBackslash(directory));
  JoinPath(directory, name, joined);
  FUZZ_REQUIRE(joined == path);

  std::string added = path;
  FUZZ_REQUIRE(AddBackslash(added) == added);
  FUZZ_REQUIRE(path.empty() ? added.empty() : EndsWithBackslash(added));
  std::string removed = added;
  FUZZ_REQUIRE(RemoveBackslash(removed) == removed);
  FUZZ_REQUIRE(removed == (EndsWithBackslash(path) ? path.substr(0, path.size() - 1) : path));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FreshMachine();
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<std::string> fields(4);
  size_t start = 0;
  for (std::string& field : fields) {
    const size_t end = std::min(input.find('\n', start), input.size());
    if (start < input.size()) field = ValidText(input.substr(start, end - start));
    start = end + 1;
  }
  const std::string windows = "C:\\" + fields[0], module = "C:\\" + fields[1], text = fields[3];
  winsim::SetWindowsDirectory(windows);
  winsim::SetModuleFileName(module);

  // Token directories: the system's answer when it fits the 260-byte
  // buffer, nothing otherwise.
  const std::string windowsDirectory = GetTokenDirectory(DirTokenWindows);
  const std::string toolDirectory = GetTokenDirectory(DirTokenCurrent);
  const std::string reported = winsim::WindowsDirectory();
  FUZZ_REQUIRE(windowsDirectory == (reported.size() < MAX_PATH ? reported : std::string()));
  FUZZ_REQUIRE(toolDirectory.empty() ||
               (module.size() < MAX_PATH && module.compare(0, toolDirectory.size(), toolDirectory) == 0));

  std::string expanded;
  ExpandDirToken(text, expanded);
  if (kv::FindToken(text, "%windir%") != std::string::npos)
    FUZZ_REQUIRE(expanded.compare(0, windowsDirectory.size(), windowsDirectory) == 0);
  else if (kv::FindToken(text, "%CurrentDir%") != std::string::npos)
    FUZZ_REQUIRE(expanded.compare(0, toolDirectory.size(), toolDirectory) == 0);
  else
    FUZZ_REQUIRE(expanded == text);

  // The installed file in the system directory, as the update builds it,
  // and its staging name: beside it, its extension replaced by a number not
  // taken yet.
  std::string systemDirectory, installed;
  ExpandDirToken("%windir%\\system32", systemDirectory);
  JoinPath(systemDirectory, fields[2], installed);
  for (const std::string& path : {windows, module, text, expanded, installed}) CheckSplitAndJoin(path);

  const size_t slash = kv::FindLastChar(installed, '\\');  // always one: the system directory's
  const size_t dot = kv::FindLastChar(installed, '.');
  const std::string stem = dot != std::string::npos && dot > slash ? installed.substr(0, dot + 1) : installed + ".";
  const int taken = data[0] % 4;
  for (int n = 0; n < taken; ++n) winsim::AddFile(stem + "00" + std::to_string(n), "waiting");
  std::string numbered;
  FUZZ_REQUIRE(MakeNumberedName(installed, numbered));
  FUZZ_REQUIRE(numbered == stem + "00" + std::to_string(taken));
  RequireNothingLeftOpen();
  return 0;
}
