// What ends the program when the C++ runtime must terminate it (an
// exception nobody catches, for example running out of memory outside the
// places that expect it).
//
// The runtime's default handler writes the exception's demangled type to
// the standard error stream and then aborts. A Windows program has no such
// stream to show, so the text is never seen, yet the demangler it needs is
// a sixth of the program. Defining the handler here keeps the runtime's
// own, and with it the demangler, out of the link: the program aborts at
// once, as it would after the message.
#include <cstdlib>
#include <exception>  // declares the handler

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
