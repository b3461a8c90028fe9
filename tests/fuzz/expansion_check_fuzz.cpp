// The input is a shipped file (ZAMPUX.DL_ beside the tool), expanded into a
// staging copy as the update does (CopyOrExpandFile with decompression):
// through the setup API, and again through LZ32 with the setup API absent,
// each result judged by the tool's own check of SZDD and cabinet headers
// (IsExpansionComplete).
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "update/file_expand.h"
#include "update/file_ops.h"

namespace {

const char kShipped[] = "C:\\KVTOOL\\ZAMPUX.DL_";
const char kStaging[] = "C:\\WINDOWS\\system32\\ZAMPUX.000";

void ExpandAndCheck() {
  const int result = CopyOrExpandFile(kShipped, kStaging, true);
  FUZZ_REQUIRE(result == 0 || result == -2 || result == -4);
  // An expansion judged incomplete never stays to be installed.
  FUZZ_REQUIRE((result == 0) == (FileExists(kStaging) == 1));
  RequireNothingLeftOpen();
  ForceDeleteFile(kStaging);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FreshMachine();
  winsim::AddFile(kShipped, std::vector<uint8_t>(data, data + size));
  ExpandAndCheck();
  winsim::SetModulePresent("setupapi.dll", false);
  ExpandAndCheck();
  return 0;
}
