// winsim: expansion of compressed files, the area's reset. The setup
// function lives in setupapi.cpp, LZ32 in lz32.cpp, the formats in
// compressed_formats.cpp.
#include "lz32.h"
#include "machine.h"

namespace winsim {
namespace detail {

void RegisterSetupApi();  // setupapi.cpp

void ResetExpansion() {
  RegisterSetupApi();
  ResetLz();
}

}  // namespace detail
}  // namespace winsim
