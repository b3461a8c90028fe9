// winsim: LZ32 file handles, shared by the LZ functions and the setup
// functions that expand through them.
#ifndef WINSIM_LZ32_H
#define WINSIM_LZ32_H

#include <cstddef>
#include <string>

#include "machine.h"

namespace winsim {
namespace detail {

// An open LZ32 handle: a plain file, or an SZDD file read through the
// expander (a "compressed handle").
struct OpenFile {
  std::string path;  // full path of the simulated file
  bool writable = false;
  bool expanding = false;
  size_t position = 0;  // in the expanded content for a compressed handle
};

// The operations behind LZOpenFileA, LZCopy and LZClose, without logging or
// faults, for callers inside the simulated system.
INT LzOpen(const std::string& name, OFSTRUCT* ofs, WORD style);
LONG LzCopy(INT source, INT destination);
void LzClose(INT file);

void ResetLz();

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_LZ32_H
