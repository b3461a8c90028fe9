// winsim: recognising and expanding the compressed formats of the setup
// functions and LZ32 (SZDD and cabinets), through libmspack.
#ifndef WINSIM_COMPRESSED_FORMATS_H
#define WINSIM_COMPRESSED_FORMATS_H

#include <cstdint>
#include <string>
#include <vector>

namespace winsim {
namespace detail {

// How LZ32 sees a file: shorter than the 14-byte SZDD header or without the
// SZDD signature it is plain; with the signature but a method other than 'A'
// it cannot be expanded.
enum class LzKind { Plain, Szdd, UnknownMethod };
LzKind ClassifyLz(const std::vector<uint8_t>& data);

// The content of an SZDD ('A') file: the LZSS stream decoded until the input
// ends. The length field of the header is not consulted, as LZ32 does not
// consult it either.
std::vector<uint8_t> ExpandSzdd(const std::vector<uint8_t>& data);

// The setup functions' compression types (FILE_COMPRESSION_*).
enum SetupCompression : unsigned {
  kCompressionNone = 0,
  kCompressionWinLza = 1,
  kCompressionMszip = 2,
};
// By the first eight bytes: the full SZDD signature, or "MSCF"; a shorter
// file is uncompressed.
unsigned DetectSetupCompression(const std::vector<uint8_t>& data);

struct CabinetEntry {
  std::string name;
  std::vector<uint8_t> data;
};
// The first file of a cabinet, in the order of the cabinet's file table, as
// Wine's cabinet reader writes it: block by block, so that a data block cut
// short or failing its checksum ends the file after the blocks before it.
// Returns false when the data is not a cabinet libmspack can read, or holds
// no file.
bool ExtractFirstCabinetFile(const std::vector<uint8_t>& data, CabinetEntry* entry);

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_COMPRESSED_FORMATS_H
