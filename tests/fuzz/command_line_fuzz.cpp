// The input is the command line's arguments, separated by NUL bytes, given
// to ParseCommandLine as the C runtime hands them over (any bytes, code page
// 932's double-byte characters among them), and the run mode they choose.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "app/command_line.h"
#include "fuzz_check.h"

namespace {

struct Parsed {
  RunMode mode;
  BOOL scopeAny;
  bool operator==(const Parsed& other) const { return mode == other.mode && scopeAny == other.scopeAny; }
};

Parsed Parse(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv = {"KV_UPDAT.EXE"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  ToolCommandLineInfo info;
  ParseCommandLine(info, static_cast<int>(argv.size()), argv.data());
  Parsed parsed = {RunModeSetup, -1};
  parsed.mode = info.GetRunMode(parsed.scopeAny);
  return parsed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Parsing changes nothing on the machine; one is made for the code page.
  static const bool machine = (FreshMachine(), true);
  static_cast<void>(machine);
  // An empty input is no argument; otherwise each NUL separates two.
  std::vector<std::string> arguments;
  const std::string line(reinterpret_cast<const char*>(data), size);
  for (size_t start = 0; size > 0 && start <= size && arguments.size() < 64;) {
    const size_t end = std::min(line.find('\0', start), size);
    arguments.push_back(line.substr(start, end - start));
    start = end + 1;
  }

  const Parsed parsed = Parse(arguments);
  FUZZ_REQUIRE(parsed.mode == RunModeSetup || parsed.mode == RunModeRemoval || parsed.mode == RunModeSilentSetup);
  FUZZ_REQUIRE(parsed.scopeAny == 0 || (parsed.scopeAny == 1 && parsed.mode == RunModeSilentSetup));
  // Order and repetition of the arguments do not matter.
  std::vector<std::string> reordered(arguments.rbegin(), arguments.rend());
  reordered.insert(reordered.end(), arguments.begin(), arguments.end());
  FUZZ_REQUIRE(Parse(reordered) == parsed);
  return 0;
}
