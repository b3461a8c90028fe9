// PE32 images for tests. Layout of every image:
//
//   0x000  DOS header (e_lfanew = 0x40)
//   0x040  "PE\0\0", file header, optional header (16 data directories)
//   0x138  section table: one ".rsrc" section (or none)
//   0x200  raw data of .rsrc (RVA 0x1000): the resource directories, the
//          data entry, then the resource data
#include "pe_builder.h"

#include <stdexcept>

namespace kvtest {

namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kPeOffset = 0x40;
constexpr uint32_t kResourceRva = 0x1000;
constexpr uint16_t kRtVersion = 16;
constexpr uint16_t kRtRcdata = 10;

uint32_t AlignUp(uint32_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }
// A VS_FIXEDFILEINFO half from two 16-bit parts: (1, 2) is 0x00010002.
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

// UTF-8 to UTF-16 code units (no validation beyond what tests need).
std::u16string Utf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t cp = c;
    size_t n = 1;
    if (c >= 0xF0) {
      cp = c & 0x07;
      n = 4;
    } else if (c >= 0xE0) {
      cp = c & 0x0F;
      n = 3;
    } else if (c >= 0xC0) {
      cp = c & 0x1F;
      n = 2;
    }
    if (i + n > text.size()) throw std::invalid_argument("truncated UTF-8");
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += n;
  }
  return out;
}

// One node of a version block: WORD wLength, WORD wValueLength, WORD wType,
// the key (UTF-16, NUL-terminated), padding to a DWORD, the value, then the
// children, each starting on a DWORD boundary. wLength covers the node up to
// the end of its last child, without trailing padding; wValueLength counts
// WCHARs for text values and bytes for binary ones.
struct VersionNode {
  std::string key;
  bool text = false;
  std::vector<uint8_t> value;  // binary value, or UTF-16 text with its NUL
  uint16_t valueLength = 0;
  std::vector<VersionNode> children;
};

std::vector<uint8_t> Serialize(const VersionNode& node) {
  Bytes out;
  out.U16(0);  // wLength, filled in below
  out.U16(node.valueLength);
  out.U16(node.text ? 1 : 0);
  for (char16_t c : Utf16(node.key)) out.U16(c);
  out.U16(0);
  out.PadTo(4);
  out.Raw(node.value);
  for (const VersionNode& child : node.children) {
    out.PadTo(4);
    out.Raw(Serialize(child));
  }
  if (out.size() > 0xFFFF) throw std::length_error("version block too large");
  out.Put16(0, static_cast<uint16_t>(out.size()));
  return out.data();
}

VersionNode TextNode(const std::string& key, const std::string& value) {
  VersionNode node;
  node.key = key;
  node.text = true;
  const std::u16string wide = Utf16(value);
  Bytes bytes;
  for (char16_t c : wide) bytes.U16(c);
  bytes.U16(0);
  node.value = bytes.data();
  node.valueLength = static_cast<uint16_t>(wide.size() + 1);
  return node;
}

std::string Hex4(uint16_t v) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s(4, '0');
  for (int i = 3; i >= 0; --i, v >>= 4) s[i] = digits[v & 0xF];
  return s;
}

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
  out.U32(kResourceRva + 3 * directory + 16);
  out.U32(static_cast<uint32_t>(data.size()));
  out.U32(0);
  out.U32(0);
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
  // IMAGE_DOS_HEADER
  out.U16(0x5A4D);  // "MZ"
  out.U16(0x90);    // e_cblp
  out.U16(3);       // e_cp
  out.U16(0);       // e_crlc
  out.U16(4);       // e_cparhdr
  out.U16(0);       // e_minalloc
  out.U16(0xFFFF);  // e_maxalloc
  out.U16(0);       // e_ss
  out.U16(0xB8);    // e_sp
  out.Zeros(0x3C - out.size());
  out.U32(kPeOffset);  // e_lfanew

  // Signature and IMAGE_FILE_HEADER
  out.U32(0x00004550);  // "PE\0\0"
  out.U16(0x014C);      // Machine: i386
  out.U16(sections);
  out.U32(0x42000000);  // TimeDateStamp (2005)
  out.U32(0);           // PointerToSymbolTable
  out.U32(0);           // NumberOfSymbols
  out.U16(0xE0);        // SizeOfOptionalHeader
  out.U16(0x010F);      // EXECUTABLE_IMAGE | RELOCS_STRIPPED | LINE/LOCAL_SYMS_STRIPPED | 32BIT_MACHINE

  // IMAGE_OPTIONAL_HEADER32
  out.U16(0x010B);  // Magic: PE32
  out.U8(6);        // MajorLinkerVersion
  out.U8(0);
  out.U32(0);           // SizeOfCode
  out.U32(rawSize);     // SizeOfInitializedData
  out.U32(0);           // SizeOfUninitializedData
  out.U32(0);           // AddressOfEntryPoint: none, the image is data only
  out.U32(0);           // BaseOfCode
  out.U32(kResourceRva);  // BaseOfData
  out.U32(0x00400000);  // ImageBase
  out.U32(kSectionAlignment);
  out.U32(kFileAlignment);
  out.U16(4);  // MajorOperatingSystemVersion
  out.U16(0);
  out.U16(0);  // MajorImageVersion
  out.U16(0);
  out.U16(4);  // MajorSubsystemVersion
  out.U16(0);
  out.U32(0);  // Win32VersionValue
  out.U32(imageSize);
  out.U32(headersSize);
  out.U32(0);          // CheckSum
  out.U16(2);          // Subsystem: Windows GUI
  out.U16(0);          // DllCharacteristics
  out.U32(0x100000);   // SizeOfStackReserve
  out.U32(0x1000);     // SizeOfStackCommit
  out.U32(0x100000);   // SizeOfHeapReserve
  out.U32(0x1000);     // SizeOfHeapCommit
  out.U32(0);          // LoaderFlags
  out.U32(16);         // NumberOfRvaAndSizes
  for (int i = 0; i < 16; ++i) {
    const bool resources = i == 2 && rsrc;
    out.U32(resources ? kResourceRva : 0);
    out.U32(resources ? static_cast<uint32_t>(rsrc->size()) : 0);
  }

  // IMAGE_SECTION_HEADER
  if (rsrc) {
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    for (char c : name) out.U8(static_cast<uint8_t>(c));
    out.U32(static_cast<uint32_t>(rsrc->size()));  // VirtualSize
    out.U32(kResourceRva);
    out.U32(rawSize);        // SizeOfRawData
    out.U32(headersSize);    // PointerToRawData
    out.U32(0);              // PointerToRelocations
    out.U32(0);              // PointerToLinenumbers
    out.U16(0);
    out.U16(0);
    out.U32(0x40000040);  // INITIALIZED_DATA | MEM_READ
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
  Bytes fixed;  // VS_FIXEDFILEINFO
  fixed.U32(0xFEEF04BD);
  fixed.U32(0x00010000);
  fixed.U32(Half(resource.fileVersion[0], resource.fileVersion[1]));
  fixed.U32(Half(resource.fileVersion[2], resource.fileVersion[3]));
  fixed.U32(Half(resource.productVersion[0], resource.productVersion[1]));
  fixed.U32(Half(resource.productVersion[2], resource.productVersion[3]));
  fixed.U32(0x3F);        // dwFileFlagsMask
  fixed.U32(0);           // dwFileFlags
  fixed.U32(0x00040004);  // VOS_NT_WINDOWS32
  fixed.U32(1);           // VFT_APP
  fixed.U32(0);           // dwFileSubtype
  fixed.U32(0);           // dwFileDateMS
  fixed.U32(0);           // dwFileDateLS

  VersionNode root;
  root.key = "VS_VERSION_INFO";
  root.value = fixed.data();
  root.valueLength = static_cast<uint16_t>(root.value.size());

  if (!resource.strings.empty()) {
    VersionNode table;
    table.key = Hex4(resource.language) + Hex4(resource.codePage);
    table.text = true;
    for (const auto& entry : resource.strings) table.children.push_back(TextNode(entry.first, entry.second));
    VersionNode stringFileInfo;
    stringFileInfo.key = "StringFileInfo";
    stringFileInfo.text = true;
    stringFileInfo.children.push_back(table);
    root.children.push_back(stringFileInfo);
  }
  if (resource.translation) {
    Bytes pair;
    pair.U16(resource.language);
    pair.U16(resource.codePage);
    VersionNode translation;
    translation.key = "Translation";
    translation.value = pair.data();
    translation.valueLength = 4;
    VersionNode varFileInfo;
    varFileInfo.key = "VarFileInfo";
    varFileInfo.text = true;
    varFileInfo.children.push_back(translation);
    root.children.push_back(varFileInfo);
  }
  return Serialize(root);
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
