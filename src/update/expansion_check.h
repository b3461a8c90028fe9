// Whether a file expanded from a shipped one is complete, judged by what the
// shipped file records about itself. The system's expansion cannot be
// trusted with that: the setup API and LZ32 report success for a source cut
// short (an SZDD file right after its header expands to nothing) and for a
// cabinet whose data blocks are cut or fail their checksums.
#ifndef KV_UPDATE_EXPANSION_CHECK_H
#define KV_UPDATE_EXPANSION_CHECK_H

#include <string>

// True when `destination` holds all that `source` expands to:
// - an SZDD file: as many bytes as its header's expanded length;
// - a cabinet: its first file's recorded size, every data block that file is
//   read from being whole and matching its checksum (where one is recorded);
// - any other file: its own size.
// False when either file cannot be read, or the source is a damaged archive:
// shorter than the header of the format whose signature it starts with (as
// far as it goes; an empty file too), or a cabinet with a table or a block
// cut short, a wrong checksum or a first file continued from another cabinet.
bool IsExpansionComplete(const std::string& source, const std::string& destination);

#endif  // KV_UPDATE_EXPANSION_CHECK_H
