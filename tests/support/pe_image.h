// Reads a built PE32 program back for tests: its headers, imports and
// resource tree. The reader is strict: any offset or size that leaves
// the file makes the whole read fail with a message, so a check never runs
// on half an image. (winsim's version.dll keeps its own lookup, which
// follows the loader on damaged files; this one walks everything.)
#ifndef KV_TESTS_PE_IMAGE_H
#define KV_TESTS_PE_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

namespace kvtest {

// Resource types used by the checks.
enum ResourceType : uint16_t {
  kRtIcon = 3,
  kRtDialog = 5,
  kRtString = 6,
  kRtGroupIcon = 14,
  kRtVersion = 16,
  kRtManifest = 24,
};

// One imported DLL, with its functions in table order: a name, or "#N" for
// an import by ordinal N.
struct PeImport {
  std::string dll;
  std::vector<std::string> functions;
};

// A resource type or name: a number, or a string when `text` is not empty.
struct ResourceName {
  uint16_t id = 0;
  std::u16string text;
};

// One leaf of the resource tree.
struct PeResource {
  ResourceName type;
  ResourceName name;
  uint16_t language = 0;
  std::vector<uint8_t> data;
};

struct PeImage {
  uint16_t machine = 0;
  uint16_t osMajor = 0, osMinor = 0;
  uint16_t subsystemMajor = 0, subsystemMinor = 0;
  uint16_t subsystem = 0;
  std::vector<PeImport> imports;
  std::vector<PeResource> resources;

  // Every leaf of the numbered type and name, in all languages.
  std::vector<const PeResource*> Find(uint16_t type, uint16_t name) const;
};

// Reads a PE32 image from its file; false, with the reason in `error`, when
// the file cannot be read or is no PE32 image, or any of its tables leaves it.
bool ReadPeFile(const std::string& path, PeImage* image, std::string* error);

}  // namespace kvtest

#endif  // KV_TESTS_PE_IMAGE_H
