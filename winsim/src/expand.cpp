// winsim: expansion (placeholder until the area lands).
#include "machine.h"
namespace winsim { namespace detail { void ResetExpansion() {} } }
