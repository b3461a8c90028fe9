// Small but valid PE32 images (i386) for tests: a version resource with the
// chosen numbers, or no version resource at all. The bytes are
// what the Windows loader and version.dll expect, so the same files can be
// read by winsim and by real Windows or Wine.
#ifndef KV_TESTS_PE_BUILDER_H
#define KV_TESTS_PE_BUILDER_H

#include <array>
#include <cstdint>
#include <vector>

namespace kvtest {

// The content of one version resource (VS_VERSIONINFO).
struct VersionResource {
  // major, minor, build, revision
  std::array<uint16_t, 4> fileVersion{{1, 0, 0, 0}};
  std::array<uint16_t, 4> productVersion{{1, 0, 0, 0}};
  // Language of the resource.
  uint16_t language = 0x0411;
};

// The VS_VERSIONINFO block (the fixed file info alone) as it is stored in
// the resource.
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
