// The input is "Readme.txt" in the current directory, loaded for the
// consent dialog's box (LoadReadme).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "ui/readme_text.h"

namespace {

// The text without its line ends: every CR LF, then every LF left.
std::string WithoutLineEnds(std::string text) {
  for (const char* end : {"\r\n", "\n"})
    for (size_t at = text.find(end); at != std::string::npos; at = text.find(end, at)) text.erase(at, std::strlen(end));
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FreshMachine();
  const std::string file(reinterpret_cast<const char*>(data), size);
  winsim::AddFile("C:\\KVTOOL\\Readme.txt", file);
  const std::string text = LoadReadme("Readme.txt");
  RequireNothingLeftOpen();

  // Every line of the file, the last one too, ends in CR LF, and every
  // other byte is kept as it is.
  const size_t lines = std::count(file.begin(), file.end(), '\n') + (file.empty() || file.back() == '\n' ? 0 : 1);
  FUZZ_REQUIRE(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) == lines);
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    FUZZ_REQUIRE(at > 0 && text[at - 1] == '\r');
  FUZZ_REQUIRE(WithoutLineEnds(text) == WithoutLineEnds(file));
  return 0;
}
