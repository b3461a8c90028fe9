#include "update/expansion_check.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "common/unique_handle.h"
#include "win32api.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// A compressed format: the signature a file starts with and the length of
// the header that follows from it.
struct Format {
  const char* signature;
  size_t signatureLength;
  size_t headerLength;
};
const Format kSzdd = {"SZDD\x88\xF0\x27\x33", 8, 14};
const Format kCabinet = {"MSCF", 4, 36};

// Shipped files are small; anything larger is not one.
const DWORD kLargestSource = 64u << 20;

uint32_t Le16(const Bytes& data, size_t at) { return data[at] | (data[at + 1] << 8); }
uint32_t Le32(const Bytes& data, size_t at) { return Le16(data, at) | (Le16(data, at + 2) << 16); }

// Whether `data` starts as the format's signature does, as far as either goes.
bool StartsAs(const Bytes& data, const Format& format) {
  const size_t compared = data.size() < format.signatureLength ? data.size() : format.signatureLength;
  return compared == 0 || std::memcmp(data.data(), format.signature, compared) == 0;
}

// The size of a file opened for reading; false when it cannot be opened or
// is larger than any shipped file.
bool OpenForReading(const std::string& path, kv::UniqueFile& file, DWORD& size) {
  file = kv::UniqueFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  DWORD high = 0;
  size = GetFileSize(file.get(), &high);
  return size != INVALID_FILE_SIZE && high == 0 && size <= kLargestSource;
}

bool ReadWholeFile(const std::string& path, Bytes& data) {
  kv::UniqueFile file;
  DWORD size = 0;
  if (!OpenForReading(path, file, size)) return false;
  data.assign(size, 0);
  DWORD total = 0;
  while (total < size) {
    DWORD got = 0;
    if (!ReadFile(file.get(), data.data() + total, size - total, &got, nullptr) || got == 0) return false;
    total += got;
  }
  return true;
}

// The cabinet checksum of `size` bytes, continuing `sum`: the XOR of their
// little-endian 32-bit words, with a final partial word read first byte
// highest.
uint32_t CabinetChecksum(const uint8_t* bytes, size_t size, uint32_t sum) {
  for (; size >= 4; bytes += 4, size -= 4)
    sum ^= bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  uint32_t partial = 0;
  for (; size > 0; ++bytes, --size) partial = (partial << 8) | *bytes;
  return sum ^ partial;
}

// The recorded size of a cabinet's first file, when every data block it is
// read from (its folder's blocks up to the one holding its last byte) is
// within the file and matches its non-zero checksum.
bool FirstCabinetFileSize(const Bytes& cab, uint32_t& size) {
  const uint32_t flags = Le16(cab, 30);
  const uint32_t folderCount = Le16(cab, 26), fileCount = Le16(cab, 28);
  size_t folders = kCabinet.headerLength, folderExtra = 0, blockExtra = 0;
  if (flags & 0x0004) {  // reserved space in the header, folders and blocks
    if (cab.size() < folders + 4) return false;
    folderExtra = cab[folders + 2];
    blockExtra = cab[folders + 3];
    folders += 4 + Le16(cab, folders);
  }
  // The names of the previous and next cabinets of a set, two strings each.
  for (int strings = (flags & 0x0001 ? 2 : 0) + (flags & 0x0002 ? 2 : 0); strings > 0; --strings) {
    while (folders < cab.size() && cab[folders] != 0) ++folders;
    ++folders;
  }

  const size_t file = Le32(cab, 16);
  if (fileCount == 0 || file + 16 > cab.size()) return false;
  const uint32_t folder = Le16(cab, file + 8);  // 0xFFFD and above: continued across cabinets
  const size_t folderAt = folders + folder * (8 + folderExtra);
  if (folder >= folderCount || folderAt + 8 > cab.size()) return false;

  const uint64_t end = static_cast<uint64_t>(Le32(cab, file + 4)) + Le32(cab, file);
  uint64_t covered = 0;
  size_t block = Le32(cab, folderAt);
  for (uint32_t blocks = Le16(cab, folderAt + 4); covered < end; --blocks) {
    if (blocks == 0 || block + 8 + blockExtra > cab.size()) return false;
    const size_t data = block + 8 + blockExtra, dataSize = Le16(cab, block + 4);
    if (data + dataSize > cab.size()) return false;
    const uint32_t recorded = Le32(cab, block);
    // An empty block may end the file: its data start is no byte of it.
    const uint32_t sum = CabinetChecksum(cab.data() + data, dataSize, 0);
    if (recorded != 0 && recorded != CabinetChecksum(&cab[block + 4], 4, sum)) return false;
    covered += Le16(cab, block + 6);
    block = data + dataSize;
  }
  size = Le32(cab, file);
  return true;
}

// The size the shipped bytes expand to; false for a damaged archive.
bool ExpandedSize(const Bytes& shipped, uint32_t& size) {
  for (const Format* format : {&kSzdd, &kCabinet})
    if (StartsAs(shipped, *format) && shipped.size() < format->headerLength) return false;
  if (StartsAs(shipped, kSzdd)) {
    size = Le32(shipped, 10);
    return true;
  }
  if (StartsAs(shipped, kCabinet)) return FirstCabinetFileSize(shipped, size);
  size = static_cast<uint32_t>(shipped.size());
  return true;
}

}  // namespace

bool IsExpansionComplete(const std::string& source, const std::string& destination) {
  Bytes shipped;
  uint32_t expected = 0;
  if (!ReadWholeFile(source, shipped) || !ExpandedSize(shipped, expected)) return false;
  kv::UniqueFile file;
  DWORD size = 0;
  return OpenForReading(destination, file, size) && size == expected;
}
