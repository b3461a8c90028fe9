#include "update_fixture.h"

#include <cctype>

#include "archive_builder.h"
#include "pe_builder.h"

std::vector<uint8_t> VersionedImage(FileVersion version, const std::string& tag) {
  kvtest::VersionResource resource;
  resource.fileVersion = {{version.major, version.minor, version.build, version.revision}};
  if (!tag.empty()) resource.strings = {{"FileDescription", tag}};
  return kvtest::BuildPeWithVersion(resource);
}

std::vector<uint8_t> UnversionedImage(const std::string& tag) {
  std::vector<uint8_t> image = kvtest::BuildPeWithoutVersion(false);
  image.insert(image.end(), tag.begin(), tag.end());  // overlay bytes tell images apart
  return image;
}

std::vector<uint8_t> Compressed(const std::vector<uint8_t>& content) { return archive::Szdd(content); }

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
