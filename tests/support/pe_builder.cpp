// PE32 images for tests. Layout of every image:
//
//   0x000  DOS header (e_lfanew = 0x40)
//   0x040  "PE\0\0", file header, optional header (16 data directories)
//   0x138  section table: one ".rsrc" section (or none)
//   0x200  raw data of .rsrc (RVA 0x1000): the resource directories, the
//          data entry, then the resource data
#include "pe_builder.h"

#include <string>

namespace kvtest {

namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kPeOffset = 0x40;
constexpr uint32_t kResourceRva = 0x1000;
constexpr uint16_t kRtVersion = 16;
constexpr uint16_t kRtRcdata = 10;

uint32_t AlignUp(uint32_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }
// A VS_FIXEDFILEINFO half from two 16-bit numbers: (1, 2) is 0x00010002.
uint32_t Half(uint16_t high, uint16_t low) { return (static_cast<uint32_t>(high) << 16) | low; }

class Bytes {
 public:
  std::vector<uint8_t>& data() { return data_; }
  size_t size() const { return data_.size(); }
  void U8(uint8_t v) { data_.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void Raw(const std::vector<uint8_t>& bytes) { data_.insert(data_.end(), bytes.begin(), bytes.end()); }
  void Zeros(size_t n) { data_.insert(data_.end(), n, 0); }
  void PadTo(size_t alignment) {
    while (data_.size() % alignment) U8(0);
  }
  void Put16(size_t at, uint16_t v) {
    data_[at] = static_cast<uint8_t>(v);
    data_[at + 1] = static_cast<uint8_t>(v >> 8);
  }

 private:
  std::vector<uint8_t> data_;
};

// The .rsrc section's raw bytes for one resource: the directories by type,
// by id and by language, one entry each and each pointing to the next, the
// last to the data entry (RVA, size, code page, reserved), then the data.
std::vector<uint8_t> BuildResourceSection(uint16_t type, uint16_t id, uint16_t language,
                                          const std::vector<uint8_t>& data) {
  const uint32_t directory = 16 + 8, subdirectory = 0x80000000u;
  Bytes out;
  const uint16_t keys[] = {type, id, language};
  for (uint32_t level = 0; level < 3; ++level) {
    out.Zeros(12);  // Characteristics, TimeDateStamp, MajorVersion, MinorVersion
    out.U16(0);     // NumberOfNamedEntries
    out.U16(1);     // NumberOfIdEntries
    out.U32(keys[level]);
    const uint32_t next = directory * (level + 1);
    out.U32(level < 2 ? subdirectory | next : next);
  }
  for (uint32_t v : {kResourceRva + 3 * directory + 16, static_cast<uint32_t>(data.size()), 0u, 0u}) out.U32(v);
  out.Raw(data);
  return out.data();
}

// The whole image around an optional .rsrc section.
std::vector<uint8_t> BuildImage(const std::vector<uint8_t>* rsrc) {
  const uint16_t sections = rsrc ? 1 : 0;
  const uint32_t headersSize = kFileAlignment;
  const uint32_t rawSize = rsrc ? AlignUp(static_cast<uint32_t>(rsrc->size()), kFileAlignment) : 0;
  const uint32_t imageSize =
      rsrc ? kResourceRva + AlignUp(static_cast<uint32_t>(rsrc->size()), kSectionAlignment) : kSectionAlignment;

  Bytes out;
  // IMAGE_DOS_HEADER: the loader reads only its "MZ" and e_lfanew.
  out.U16(0x5A4D);
  out.Zeros(0x3C - out.size());
  out.U32(kPeOffset);

  // "PE\0\0" and IMAGE_FILE_HEADER: i386, the sections, a time in 2005, no
  // symbols, the optional header's size, EXECUTABLE_IMAGE | RELOCS_STRIPPED |
  // LINE/LOCAL_SYMS_STRIPPED | 32BIT_MACHINE.
  out.U32(0x00004550);
  out.U16(0x014C);
  out.U16(sections);
  for (uint32_t v : {0x42000000u, 0u, 0u}) out.U32(v);
  out.U16(0xE0);
  out.U16(0x010F);

  // IMAGE_OPTIONAL_HEADER32: PE32, linker 6.0; sizes of code, initialized
  // and uninitialized data; no entry point (the image is data only); bases
  // of code, data and image; alignments; operating system 4.0, image 0.0,
  // subsystem 4.0; Win32VersionValue, SizeOfImage, SizeOfHeaders, CheckSum;
  // Windows GUI, no DllCharacteristics; stack and heap reserve and commit;
  // LoaderFlags; 16 data directories.
  out.U16(0x010B);
  out.U16(6);
  for (uint32_t v : {0u, rawSize, 0u, 0u, 0u, kResourceRva, 0x00400000u, kSectionAlignment, kFileAlignment}) out.U32(v);
  for (uint16_t v : {4, 0, 0, 0, 4, 0}) out.U16(v);
  for (uint32_t v : {0u, imageSize, headersSize, 0u}) out.U32(v);
  out.U16(2);
  out.U16(0);
  for (uint32_t v : {0x100000u, 0x1000u, 0x100000u, 0x1000u, 0u, 16u}) out.U32(v);
  for (int i = 0; i < 16; ++i) {
    const bool resources = i == 2 && rsrc;
    out.U32(resources ? kResourceRva : 0);
    out.U32(resources ? static_cast<uint32_t>(rsrc->size()) : 0);
  }

  // IMAGE_SECTION_HEADER: name, virtual size and address, raw size and
  // pointer, no relocations or line numbers, INITIALIZED_DATA | MEM_READ.
  if (rsrc) {
    out.Raw({'.', 'r', 's', 'r', 'c', 0, 0, 0});
    for (uint32_t v : {static_cast<uint32_t>(rsrc->size()), kResourceRva, rawSize, headersSize, 0u, 0u, 0u}) out.U32(v);
    out.U32(0x40000040);
  }
  out.Zeros(headersSize - out.size());
  if (rsrc) {
    out.Raw(*rsrc);
    out.PadTo(kFileAlignment);
  }
  return out.data();
}

}  // namespace

std::vector<uint8_t> BuildVersionBlock(const VersionResource& resource) {
  // VS_FIXEDFILEINFO: signature, structure version, file and product
  // versions, flags mask 0x3F, no flags, VOS_NT_WINDOWS32, VFT_APP, no
  // subtype, no date.
  Bytes fixed;
  const auto& file = resource.fileVersion;
  const auto& product = resource.productVersion;
  for (uint32_t v :
       {0xFEEF04BDu, 0x00010000u, Half(file[0], file[1]), Half(file[2], file[3]), Half(product[0], product[1]),
        Half(product[2], product[3]), 0x3Fu, 0u, 0x00040004u, 1u, 0u, 0u, 0u})
    fixed.U32(v);

  // The root node: WORD wLength, WORD wValueLength, WORD wType (binary), the
  // key in UTF-16 with its NUL, padding to a DWORD, the value.
  Bytes out;
  out.U16(0);  // wLength, filled in below
  out.U16(static_cast<uint16_t>(fixed.size()));
  out.U16(0);
  for (char c : std::string("VS_VERSION_INFO")) out.U16(static_cast<uint8_t>(c));
  out.U16(0);
  out.PadTo(4);
  out.Raw(fixed.data());
  out.Put16(0, static_cast<uint16_t>(out.size()));
  return out.data();
}

std::vector<uint8_t> BuildPeWithVersion(const VersionResource& resource) {
  const std::vector<uint8_t> rsrc = BuildResourceSection(kRtVersion, 1, resource.language, BuildVersionBlock(resource));
  return BuildImage(&rsrc);
}

std::vector<uint8_t> BuildPeWithoutVersion(bool otherResource) {
  if (!otherResource) return BuildImage(nullptr);
  const std::vector<uint8_t> rsrc = BuildResourceSection(kRtRcdata, 1, 0x0411, {'k', 'v', 0, 0});
  return BuildImage(&rsrc);
}

}  // namespace kvtest
