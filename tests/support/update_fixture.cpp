#include "update_fixture.h"

#include <cctype>

#include "archive_builder.h"
#include "pe_builder.h"

std::vector<uint8_t> VersionedImage(FileVersion version, const std::string& tag) {
  kvtest::VersionResource resource;
  resource.fileVersion = {{version.major, version.minor, version.build, version.revision}};
  std::vector<uint8_t> image = kvtest::BuildPeWithVersion(resource);
  image.insert(image.end(), tag.begin(), tag.end());  // overlay bytes tell images apart
  return image;
}

std::vector<uint8_t> UnversionedImage(const std::string& tag) {
  std::vector<uint8_t> image = kvtest::BuildPeWithoutVersion(false);
  image.insert(image.end(), tag.begin(), tag.end());  // overlay bytes tell images apart
  return image;
}

std::vector<uint8_t> Compressed(const std::vector<uint8_t>& content) { return archive::Szdd(content); }

std::vector<DamagedFile> DamagedShippedFiles(const std::vector<uint8_t>& content) {
  typedef std::vector<uint8_t> Bytes;
  auto head = [](const Bytes& data, size_t size) { return Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size)); };
  const Bytes szdd = archive::Szdd(content);
  Bytes longer = szdd;
  longer[11] ^= 0x02;  // the header's length, 512 bytes more or fewer
  // Blocks of 256 bytes, so that the file spans several.
  const Bytes cabinet = archive::Cabinet({{"ZAMPUX.DLL", content}, {"README.TXT", archive::Bytes("second")}}, 256);
  Bytes changed = cabinet;
  changed[archive::FirstBlockData(cabinet) + 256 + 8 + 17] ^= 0x40;  // in the second block
  Bytes emptyBlock = head(cabinet, archive::FirstBlockData(cabinet));
  emptyBlock[emptyBlock.size() - 4] = emptyBlock[emptyBlock.size() - 3] = 0;  // the file ends in an empty block
  return {
      {"SZDD cut inside its header", head(szdd, 10)},
      {"SZDD cut right after its header", head(szdd, 14)},
      {"SZDD cut in mid-stream", head(szdd, szdd.size() / 2)},
      {"SZDD header recording another length", longer},
      {"empty file", {}},
      {"cabinet cut in its file table", head(cabinet, 50)},
      {"cabinet cut in its data", head(cabinet, cabinet.size() / 2)},
      {"cabinet with a changed data byte", changed},
      {"cabinet ending in an empty data block", emptyBlock},
  };
}

void UpdateTest::Install(const std::string& path, const std::vector<uint8_t>& content, uint64_t ms) {
  winsim::AddFile(path, content);
  winsim::SetWriteTime(path, winsim::FileTimeAt(ms));
}

void UpdateTest::Ship(const std::string& path, const std::vector<uint8_t>& content, uint64_t ms) {
  winsim::AddFile(path, Compressed(content));
  winsim::SetWriteTime(path, winsim::FileTimeAt(ms));
}

std::vector<std::string> UpdateTest::StagingCopies(const std::string& stem) {
  std::vector<std::string> found;
  for (const std::string& name : winsim::ListDirectory(winsim::SystemDirectory())) {
    if (name.size() != stem.size() + 4 || name.compare(0, stem.size(), stem) != 0 || name[stem.size()] != '.') continue;
    if (std::isdigit(static_cast<unsigned char>(name[stem.size() + 1])) &&
        std::isdigit(static_cast<unsigned char>(name[stem.size() + 2])) &&
        std::isdigit(static_cast<unsigned char>(name[stem.size() + 3])))
      found.push_back(name);
  }
  return found;
}

std::vector<std::string> UpdateTest::UnreferencedCopies(const std::string& stem) {
  auto upper = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  };
  // Every registered source, as one upper-case text; each name is checked
  // with the backslash before it.
  std::string sources = upper(winsim::FileText(winsim::WindowsDirectory() + "\\WININIT.INI"));
  for (const winsim::PendingMove& move : winsim::PendingFileRenameOperations()) sources += "|" + upper(move.source);
  std::vector<std::string> unreferenced;
  for (const std::string& name : StagingCopies(stem))
    if (sources.find("\\" + upper(name)) == std::string::npos) unreferenced.push_back(name);
  return unreferenced;
}
