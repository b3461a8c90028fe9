// Compressed inputs for tests, made in memory: SZDD files (as COMPRESS.EXE
// writes them, here with every byte stored as a literal) and cabinets whose
// files are stored uncompressed.
#ifndef KV_TESTS_ARCHIVE_BUILDER_H
#define KV_TESTS_ARCHIVE_BUILDER_H

#include <cstdint>
#include <string>
#include <vector>

namespace archive {

std::vector<uint8_t> Bytes(const std::string& text);

// An SZDD file holding `content`. `lastChar` is the header's record of the
// replaced last character of the file name; `method` is the compression
// method byte (only 'A' can be expanded).
std::vector<uint8_t> Szdd(const std::vector<uint8_t>& content, char lastChar = '\0', char method = 'A');

struct CabinetFile {
  std::string name;
  std::vector<uint8_t> content;
  uint16_t dosDate = (25 << 9) | (1 << 5) | 1;  // 2005-01-01
  uint16_t dosTime = (12 << 11);                 // 12:00:00
  uint16_t attributes = 0x20;                    // archive
};

// A single cabinet with one uncompressed folder holding the files in order,
// split into data blocks of at most `blockSize` bytes (32 KiB at most), each
// with its checksum, or with 0 (none recorded) when `checksums` is false.
std::vector<uint8_t> Cabinet(const std::vector<CabinetFile>& files, size_t blockSize = 0x8000, bool checksums = true);

// Where the data of a cabinet's first data block starts (for tests that
// damage it).
size_t FirstBlockData(const std::vector<uint8_t>& cabinet);

}  // namespace archive

#endif  // KV_TESTS_ARCHIVE_BUILDER_H
