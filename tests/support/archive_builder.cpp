// Builds SZDD files and cabinets byte by byte (all numbers little-endian).
#include "archive_builder.h"

#include <algorithm>

namespace archive {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void Patch32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The checksum of a data block: the XOR of the little-endian 32-bit words of
// its data, a last partial word taken first byte highest, then of its two
// size fields.
uint32_t BlockChecksum(const std::vector<uint8_t>& out, size_t sizesAt, size_t size) {
  uint32_t sum = 0, word = 0;
  const size_t dataAt = sizesAt + 4;
  size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    word = 0;
    for (int b = 3; b >= 0; --b) word = (word << 8) | out[dataAt + i + b];
    sum ^= word;
  }
  word = 0;
  for (; i < size; ++i) word = (word << 8) | out[dataAt + i];
  sum ^= word;
  return sum ^ (out[sizesAt] | (out[sizesAt + 1] << 8) | (out[sizesAt + 2] << 16) | (uint32_t{out[sizesAt + 3]} << 24));
}

}  // namespace

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> Szdd(const std::vector<uint8_t>& content, char lastChar, char method) {
  std::vector<uint8_t> out = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
  out.push_back(static_cast<uint8_t>(method));
  out.push_back(static_cast<uint8_t>(lastChar));
  Put32(out, static_cast<uint32_t>(content.size()));
  // LZSS: a control byte per group of eight items, bit set = literal byte.
  for (size_t i = 0; i < content.size(); i += 8) {
    out.push_back(0xFF);
    const size_t end = std::min(content.size(), i + 8);
    out.insert(out.end(), content.begin() + static_cast<std::ptrdiff_t>(i), content.begin() + static_cast<std::ptrdiff_t>(end));
  }
  return out;
}

std::vector<uint8_t> Cabinet(const std::vector<CabinetFile>& files, size_t blockSize, bool checksums) {
  blockSize = std::max<size_t>(1, std::min<size_t>(blockSize, 0x8000));
  std::vector<uint8_t> folderData;
  for (const CabinetFile& file : files) folderData.insert(folderData.end(), file.content.begin(), file.content.end());
  const size_t blocks = (folderData.size() + blockSize - 1) / blockSize;

  // CFHEADER: signature, reserved, cbCabinet and coffFiles (both patched
  // below, each followed by a reserved field), version 1.3, one folder, the
  // files, no reserve and no previous or next cabinet, set id, first
  // cabinet of the set.
  const size_t sizeAt = 8, filesAt = 16;
  std::vector<uint8_t> out = {'M', 'S', 'C', 'F'};
  for (int i = 0; i < 5; ++i) Put32(out, 0);
  out.push_back(3);
  out.push_back(1);
  for (uint32_t v : {1u, static_cast<uint32_t>(files.size()), 0u, 0x1234u, 0u}) Put16(out, v);

  const size_t dataAt = out.size();
  Put32(out, 0);  // coffCabStart, patched below
  Put16(out, static_cast<uint32_t>(blocks));
  Put16(out, 0);  // stored, no compression

  Patch32(out, filesAt, static_cast<uint32_t>(out.size()));
  uint32_t offset = 0;
  for (const CabinetFile& file : files) {
    Put32(out, static_cast<uint32_t>(file.content.size()));
    Put32(out, offset);
    Put16(out, 0);  // folder 0
    Put16(out, file.dosDate);
    Put16(out, file.dosTime);
    Put16(out, file.attributes);
    out.insert(out.end(), file.name.begin(), file.name.end());
    out.push_back(0);
    offset += static_cast<uint32_t>(file.content.size());
  }

  Patch32(out, dataAt, static_cast<uint32_t>(out.size()));
  for (size_t i = 0; i < blocks; ++i) {
    const size_t begin = i * blockSize;
    const size_t size = std::min(blockSize, folderData.size() - begin);
    const size_t blockAt = out.size();
    Put32(out, 0);  // the checksum, patched below, or none
    Put16(out, static_cast<uint32_t>(size));
    Put16(out, static_cast<uint32_t>(size));
    out.insert(out.end(), folderData.begin() + static_cast<std::ptrdiff_t>(begin),
               folderData.begin() + static_cast<std::ptrdiff_t>(begin + size));
    if (checksums) Patch32(out, blockAt, BlockChecksum(out, blockAt + 4, size));
  }
  Patch32(out, sizeAt, static_cast<uint32_t>(out.size()));
  return out;
}

size_t FirstBlockData(const std::vector<uint8_t>& cabinet) {
  // The folder entry follows the 36-byte header; a block's header is 8 bytes.
  const size_t at = 36;
  return (cabinet[at] | (cabinet[at + 1] << 8) | (cabinet[at + 2] << 16) | (size_t{cabinet[at + 3]} << 24)) + 8;
}

}  // namespace archive
