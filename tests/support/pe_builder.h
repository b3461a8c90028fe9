// Small but valid PE32 images (i386) for tests: a version resource with the
// chosen numbers and strings, or no version resource at all. The bytes are
// what the Windows loader and version.dll expect, so the same files can be
// read by winsim and by real Windows or Wine.
#ifndef KV_TESTS_PE_BUILDER_H
#define KV_TESTS_PE_BUILDER_H

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kvtest {

// The content of one version resource (VS_VERSIONINFO).
struct VersionResource {
  // major, minor, build, revision
  std::array<uint16_t, 4> fileVersion{{1, 0, 0, 0}};
  std::array<uint16_t, 4> productVersion{{1, 0, 0, 0}};
  // Language of the resource and of the string table ("041104B0" for the
  // defaults), and the code page recorded with it.
  uint16_t language = 0x0411;
  uint16_t codePage = 1200;
  // Entries of StringFileInfo, name and value in UTF-8 (stored as UTF-16).
  // No entries: the block has no StringFileInfo.
  std::vector<std::pair<std::string, std::string>> strings;
  // Adds VarFileInfo\Translation (language, code page).
  bool translation = true;
};

// The VS_VERSIONINFO block exactly as it is stored in the resource.
std::vector<uint8_t> BuildVersionBlock(const VersionResource& resource);

// A PE32 executable whose .rsrc section holds the version resource
// (RT_VERSION, id 1, in resource.language).
std::vector<uint8_t> BuildPeWithVersion(const VersionResource& resource);

// A PE32 executable without a version resource. With `otherResource` it
// still has a resource section (one RT_RCDATA entry); without it, it has no
// resource directory at all.
std::vector<uint8_t> BuildPeWithoutVersion(bool otherResource = true);

}  // namespace kvtest

#endif  // KV_TESTS_PE_BUILDER_H
