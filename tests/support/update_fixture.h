// A machine with the suite's communication program installed and the
// tool's shipped copies beside it, for the tests of the file update.
#ifndef KV_TESTS_UPDATE_FIXTURE_H
#define KV_TESTS_UPDATE_FIXTURE_H

#include <cstdint>
#include <string>
#include <vector>

#include "sim_fixture.h"

struct FileVersion {
  uint16_t major, minor, build, revision;
};

// A PE image whose version resource carries `version`.
std::vector<uint8_t> VersionedImage(FileVersion version, const std::string& tag = "");
// A PE image without a version resource.
std::vector<uint8_t> UnversionedImage(const std::string& tag = "");
// The SZDD-compressed form of `content`.
std::vector<uint8_t> Compressed(const std::vector<uint8_t>& content);

// A shipped file as a broken download or a damaged medium leaves it.
struct DamagedFile {
  const char* name;
  std::vector<uint8_t> bytes;
};
// Damaged compressed forms of `content`: SZDD files cut inside or right after
// their header or in mid-stream, an SZDD header recording another length than
// its stream yields, an empty file, and cabinets cut in their file table or
// their data or with a changed data byte under a block checksum.
std::vector<DamagedFile> DamagedShippedFiles(const std::vector<uint8_t>& content);

class UpdateTest : public SimTest {
 protected:
  static constexpr const char* kDll = "C:\\WINDOWS\\system32\\ZAMPUX.DLL";
  static constexpr const char* kExe = "C:\\WINDOWS\\system32\\ZAMWTQNT.EXE";
  static constexpr const char* kDllShipped = "C:\\KVTOOL\\ZAMPUX.DL_";
  static constexpr const char* kExeShipped = "C:\\KVTOOL\\ZAMWTQNT.EX_";

  // Installs `content` at `path`, written at clock time `ms`.
  void Install(const std::string& path, const std::vector<uint8_t>& content, uint64_t ms = 0);
  // Ships the compressed form of `content` at `path`, written at clock time `ms`.
  void Ship(const std::string& path, const std::vector<uint8_t>& content, uint64_t ms = 0);
  // Entries of the system directory whose names start with `stem` and end in
  // a three-digit number.
  std::vector<std::string> StagingCopies(const std::string& stem);
  // Those of them that no registration for the next start names as its
  // source (PendingFileRenameOperations, or WININIT.INI's [rename] section):
  // copies that would stay for ever.
  std::vector<std::string> UnreferencedCopies(const std::string& stem);
};

#endif  // KV_TESTS_UPDATE_FIXTURE_H
