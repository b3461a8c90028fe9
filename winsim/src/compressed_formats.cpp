// winsim: the compressed formats. Decoding is libmspack's; the decisions of
// which format a file is in follow the system functions that read them.
#include "compressed_formats.h"

#include <mspack.h>

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
  static const uint8_t kKwaj[4] = {'K', 'W', 'A', 'J'};
  static const uint8_t kMscf[4] = {'M', 'S', 'C', 'F'};
  if (data.size() < 8) return kCompressionNone;
  if (StartsWith(data, kSzddSignature, sizeof kSzddSignature)) return kCompressionWinLza;
  // Both the KWAJ and the cabinet signature are reported as MSZIP and both are
  // then read as a cabinet (Wine's setupapi does exactly this).
  if (StartsWith(data, kKwaj, sizeof kKwaj) || StartsWith(data, kMscf, sizeof kMscf)) return kCompressionMszip;
  return kCompressionNone;
}

bool ExtractFirstCabinetFile(const std::vector<uint8_t>& data, CabinetEntry* entry) {
  MemoryFiles files;
  files.Put(kInput, data);
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
