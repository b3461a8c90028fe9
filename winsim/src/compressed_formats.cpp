// winsim: the compressed formats. Decoding is libmspack's; the decisions of
// which format a file is in follow the system functions that read them.
#include "compressed_formats.h"

#include <mspack.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "mspack_memory.h"

namespace winsim {
namespace detail {

namespace {

const uint8_t kSzddSignature[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
const size_t kSzddHeaderSize = 14;
const char* const kInput = "input";
const char* const kOutput = "output";

struct SzddDeleter {
  void operator()(msszdd_decompressor* d) const { mspack_destroy_szdd_decompressor(d); }
};
struct CabDeleter {
  void operator()(mscab_decompressor* d) const { mspack_destroy_cab_decompressor(d); }
};

bool StartsWith(const std::vector<uint8_t>& data, const uint8_t* prefix, size_t size) {
  return data.size() >= size && std::memcmp(data.data(), prefix, size) == 0;
}

uint32_t Le16(const std::vector<uint8_t>& data, size_t at) { return data[at] | (data[at + 1] << 8); }
uint32_t Le32(const std::vector<uint8_t>& data, size_t at) {
  return Le16(data, at) | (static_cast<uint32_t>(Le16(data, at + 2)) << 16);
}

// The cabinet checksum: the XOR of the little-endian 32-bit words, a last
// partial word taken with its first byte highest.
uint32_t CabinetChecksum(const uint8_t* bytes, size_t size, uint32_t sum) {
  size_t i = 0;
  for (; i + 4 <= size; i += 4)
    sum ^= bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) | (static_cast<uint32_t>(bytes[i + 3]) << 24);
  uint32_t tail = 0;
  for (; i < size; ++i) tail = (tail << 8) | bytes[i];
  return sum ^ tail;
}

// Where the first file of the file table is recorded, its size, and how many
// of its bytes its folder's data blocks deliver before the first block that
// is cut short or fails its (non-zero) checksum.
struct FirstFileExtent {
  size_t entryAt = 0;
  uint32_t size = 0;
  uint32_t readable = 0;
};

bool MeasureFirstFile(const std::vector<uint8_t>& cab, FirstFileExtent* extent) {
  const size_t kHeader = 36;
  if (cab.size() < kHeader) return false;
  const uint32_t flags = Le16(cab, 30);
  size_t at = kHeader, folderReserve = 0, blockReserve = 0;
  if (flags & 4) {  // reserved areas
    if (cab.size() < at + 4) return false;
    folderReserve = cab[at + 2];
    blockReserve = cab[at + 3];
    at += 4 + Le16(cab, at);
  }
  for (int names = ((flags & 1) ? 2 : 0) + ((flags & 2) ? 2 : 0); names > 0; --names) {  // set neighbours
    while (at < cab.size() && cab[at]) ++at;
    ++at;
  }
  const size_t fileAt = Le32(cab, 16);
  if (Le16(cab, 28) == 0 || fileAt + 16 > cab.size()) return false;
  const uint32_t folder = Le16(cab, fileAt + 8);
  const size_t folderAt = at + folder * (8 + folderReserve);
  if (folder >= Le16(cab, 26) || folderAt + 8 > cab.size()) return false;

  extent->entryAt = fileAt;
  extent->size = Le32(cab, fileAt);
  const uint64_t start = Le32(cab, fileAt + 4), end = start + extent->size;
  uint64_t delivered = 0;
  size_t block = Le32(cab, folderAt);
  for (uint32_t n = Le16(cab, folderAt + 4); n > 0 && delivered < end; --n) {
    const size_t dataAt = block + 8 + blockReserve;
    if (dataAt > cab.size() || dataAt + Le16(cab, block + 4) > cab.size()) break;
    const uint32_t stored = Le32(cab, block);
    const uint32_t sum = CabinetChecksum(cab.data() + dataAt, Le16(cab, block + 4), 0);  // dataAt may be the end
    if (stored && stored != CabinetChecksum(&cab[block + 4], 4, sum)) break;
    delivered += Le16(cab, block + 6);
    block = dataAt + Le16(cab, block + 4);
  }
  extent->readable = static_cast<uint32_t>(delivered <= start ? 0 : std::min(delivered - start, uint64_t{extent->size}));
  return true;
}

}  // namespace

LzKind ClassifyLz(const std::vector<uint8_t>& data) {
  if (data.size() < kSzddHeaderSize || !StartsWith(data, kSzddSignature, sizeof kSzddSignature))
    return LzKind::Plain;
  return data[8] == 'A' ? LzKind::Szdd : LzKind::UnknownMethod;
}

std::vector<uint8_t> ExpandSzdd(const std::vector<uint8_t>& data) {
  MemoryFiles files;
  files.Put(kInput, data);
  std::unique_ptr<msszdd_decompressor, SzddDeleter> szdd(mspack_create_szdd_decompressor(files.System()));
  if (!szdd) return {};
  if (szdd->decompress(szdd.get(), kInput, kOutput) != MSPACK_ERR_OK) return {};
  return files.Take(kOutput);
}

unsigned DetectSetupCompression(const std::vector<uint8_t>& data) {
  static const uint8_t kMscf[4] = {'M', 'S', 'C', 'F'};
  if (data.size() < 8) return kCompressionNone;
  if (StartsWith(data, kSzddSignature, sizeof kSzddSignature)) return kCompressionWinLza;
  if (StartsWith(data, kMscf, sizeof kMscf)) return kCompressionMszip;
  return kCompressionNone;
}

bool ExtractFirstCabinetFile(const std::vector<uint8_t>& data, CabinetEntry* entry) {
  // A damaged block ends the extraction after the blocks before it: libmspack
  // is asked for just the bytes those hold.
  std::vector<uint8_t> input = data;
  FirstFileExtent extent;
  if (MeasureFirstFile(data, &extent) && extent.readable < extent.size)
    for (int i = 0; i < 4; ++i) input[extent.entryAt + i] = static_cast<uint8_t>(extent.readable >> (8 * i));
  MemoryFiles files;
  files.Put(kInput, input);
  std::unique_ptr<mscab_decompressor, CabDeleter> cabd(mspack_create_cab_decompressor(files.System()));
  if (!cabd) return false;
  mscabd_cabinet* cabinet = cabd->open(cabd.get(), kInput);
  if (!cabinet) return false;
  bool ok = false;
  if (mscabd_file* first = cabinet->files) {
    if (cabd->extract(cabd.get(), first, kOutput) == MSPACK_ERR_OK) {
      entry->name = first->filename ? first->filename : "";
      entry->data = files.Take(kOutput);
      ok = true;
    }
  }
  cabd->close(cabd.get(), cabinet);
  return ok;
}

}  // namespace detail
}  // namespace winsim
