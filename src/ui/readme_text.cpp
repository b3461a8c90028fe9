#include "ui/readme_text.h"

#include "common/unique_handle.h"
#include "update/path_utils.h"

namespace {

// The whole content of the file, or false when it cannot be read.
bool ReadWholeFile(const std::string& fileName, std::string& content) {
  kv::UniqueFile file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  char buffer[4096];
  for (;;) {
    DWORD count = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) return false;
    if (count == 0) return true;
    content.append(buffer, count);
  }
}

}  // namespace

std::string LoadReadme(const std::string& fileName) {
  std::string content;
  if (!ReadWholeFile(fileName, content)) return std::string();
  std::string text;
  text.reserve(content.size() + content.size() / 16 + 2);
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    const size_t next = end == std::string::npos ? content.size() : end + 1;
    if (end == std::string::npos) end = content.size();
    else if (end > start && content[end - 1] == '\r') --end;
    text.append(content, start, end - start).append("\r\n");
    start = next;
  }
  return text;
}

std::string LoadToolReadme() {
  static const char kReadmeName[] = "Readme.txt";
  std::string text = LoadReadme(kReadmeName);
  if (!text.empty()) return text;
  const std::string programDirectory = GetTokenDirectory(DirTokenCurrent);
  if (programDirectory.empty()) return text;
  std::string besideProgram;
  JoinPath(programDirectory, kReadmeName, besideProgram);
  return LoadReadme(besideProgram);
}
