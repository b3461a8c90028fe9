#include "pe_image.h"

#include <fstream>
#include <iterator>

#include "byte_reader.h"

namespace kvtest {

namespace {

constexpr uint32_t kImportDirectory = 1;
constexpr uint32_t kResourceDirectory = 2;

class ImageReader {
 public:
  ImageReader(const std::vector<uint8_t>& bytes, PeImage* image) : file_(bytes), image_(*image) {}

  void Read() {
    if (file_.U16(0) != 0x5A4D) throw Malformed("no MZ header");
    const uint32_t pe = file_.U32(0x3C);
    if (file_.U32(pe) != 0x00004550) throw Malformed("no PE signature");
    image_.machine = file_.U16(pe + 4);
    const uint16_t sectionCount = file_.U16(pe + 6);
    const uint16_t optionalSize = file_.U16(pe + 20);
    const uint64_t optional = pe + 24;
    if (file_.U16(optional) != 0x010B) throw Malformed("not a PE32 image");
    image_.osMajor = file_.U16(optional + 40);
    image_.osMinor = file_.U16(optional + 42);
    image_.subsystemMajor = file_.U16(optional + 48);
    image_.subsystemMinor = file_.U16(optional + 50);
    image_.subsystem = file_.U16(optional + 68);
    const uint32_t directoryCount = file_.U32(optional + 92);

    const uint64_t table = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
      const uint64_t s = table + 40ull * i;
      file_.Need(s, 40, "the section table");
      sections_.push_back(Section{file_.U32(s + 12), file_.U32(s + 16), file_.U32(s + 20)});
    }

    auto directory = [&](uint32_t index) -> uint32_t {
      return index < directoryCount && file_.U32(optional + 96 + 8 * index + 4) ? file_.U32(optional + 96 + 8 * index)
                                                                                : 0;
    };
    if (const uint32_t rva = directory(kImportDirectory)) ReadImports(rva);
    if (const uint32_t rva = directory(kResourceDirectory)) {
      resourceRoot_ = Offset(rva, "the resource directory");
      ReadResources(0, 0, PeResource());
    }
  }

 private:
  // The file offset of an address of the loaded image.
  uint64_t Offset(uint32_t rva, const char* what) const {
    for (const Section& s : sections_)
      if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize)
        return s.rawPointer + uint64_t(rva - s.virtualAddress);
    throw Malformed(std::string(what) + " is in no section");
  }

  void ReadImports(uint32_t rva) {
    for (uint64_t d = Offset(rva, "the import directory");; d += 20) {
      const uint32_t names = file_.U32(d), nameRva = file_.U32(d + 12), thunks = file_.U32(d + 16);
      if (!names && !nameRva && !thunks) return;
      PeImport import;
      uint64_t name = Offset(nameRva, "an imported DLL's name");
      import.dll = file_.Text(&name);
      for (uint64_t t = Offset(names ? names : thunks, "an import lookup table");; t += 4) {
        const uint32_t entry = file_.U32(t);
        if (!entry) break;
        if (entry & 0x80000000u) {
          import.functions.push_back("#" + std::to_string(entry & 0xFFFF));
          continue;
        }
        uint64_t name = Offset(entry, "an imported name") + 2;  // after the hint
        import.functions.push_back(file_.Text(&name));
      }
      image_.imports.push_back(import);
    }
  }

  ResourceName NameOf(uint32_t field) const {
    ResourceName name;
    if (!(field & 0x80000000u)) {
      name.id = static_cast<uint16_t>(field);
      return name;
    }
    const uint64_t at = resourceRoot_ + (field & 0x7FFFFFFFu);
    for (uint16_t i = 0, n = file_.U16(at); i < n; ++i)
      name.text.push_back(static_cast<char16_t>(file_.U16(at + 2 + 2u * i)));
    return name;
  }

  // Level 0: types, 1: names, 2: languages; a leaf below level 2.
  void ReadResources(uint32_t dir, int level, PeResource leaf) {
    const uint64_t at = resourceRoot_ + dir;
    const uint32_t count = uint32_t(file_.U16(at + 12)) + file_.U16(at + 14);
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t entry = at + 16 + 8ull * i;
      const uint32_t target = file_.U32(entry + 4);
      if (level == 0) leaf.type = NameOf(file_.U32(entry));
      if (level == 1) leaf.name = NameOf(file_.U32(entry));
      if (level == 2) leaf.language = static_cast<uint16_t>(file_.U32(entry));
      const bool subdirectory = target & 0x80000000u;
      if (subdirectory != (level < 2)) throw Malformed("the resource tree is not three levels deep");
      if (subdirectory) {
        ReadResources(target & 0x7FFFFFFFu, level + 1, leaf);
        continue;
      }
      const uint64_t data = resourceRoot_ + target;
      leaf.data = file_.Slice(Offset(file_.U32(data), "resource data"), file_.U32(data + 4), "resource data");
      image_.resources.push_back(leaf);
    }
  }

  struct Section {
    uint32_t virtualAddress, rawSize, rawPointer;
  };

  ByteReader file_;
  PeImage& image_;
  std::vector<Section> sections_;
  uint64_t resourceRoot_ = 0;
};

}  // namespace

std::vector<const PeResource*> PeImage::Find(uint16_t type, uint16_t name) const {
  std::vector<const PeResource*> found;
  for (const PeResource& r : resources)
    if (r.type.text.empty() && r.type.id == type && r.name.text.empty() && r.name.id == name) found.push_back(&r);
  return found;
}

bool ReadPeFile(const std::string& path, PeImage* image, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open " + path;
    return false;
  }
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  *image = PeImage();
  return ParseOrExplain([&] { ImageReader(bytes, image).Read(); }, error);
}

}  // namespace kvtest
