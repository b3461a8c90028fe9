// winsim: version resources (version.dll), read from the real PE bytes of
// the simulated files. The behaviour follows Windows XP and Wine: the size
// reported is twice the resource plus 4 bytes, the block is copied as stored,
// and a file without a version resource fails with
// ERROR_RESOURCE_DATA_NOT_FOUND (ERROR_FILE_NOT_FOUND on the 95 family).
//
// A file that ends inside its resource section reads as the loader maps it,
// zero-filled. Results, error codes and the string conversion were checked
// against Wine 8 on the test PE files and on cuts of them.
//
// Only PE images (PE32 and PE32+) are read; 16-bit NE files count as having
// no version resource. VerQueryValueA answers the root ("\\", the fixed file
// info) only: the tool asks for nothing else, so keys below it are not found.

#include <algorithm>
#include <cstring>

#include "machine.h"

namespace winsim {
namespace detail {
namespace {

constexpr uint16_t kRtVersion = 16;
constexpr uint16_t kVsVersionInfo = 1;
constexpr DWORD kErrorInvalidData = 13;  // ERROR_INVALID_DATA
constexpr uint32_t kMaxSection = 64u << 20;  // larger sections count as damaged

// Bounds-checked little-endian reads from a byte range.
struct Bytes {
  const uint8_t* data;
  size_t size;

  bool Has(size_t offset, size_t length) const { return offset <= size && length <= size - offset; }
  uint16_t U16(size_t offset) const { return static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8)); }
  uint32_t U32(size_t offset) const {
    return static_cast<uint32_t>(U16(offset)) | (static_cast<uint32_t>(U16(offset + 2)) << 16);
  }
};

struct Section {
  uint32_t virtualAddress;
  uint32_t virtualSize;
  uint32_t rawSize;
  uint32_t rawPointer;
};

const Section* SectionOf(const std::vector<Section>& sections, uint32_t rva) {
  for (const Section& s : sections)
    if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize) return &s;
  return nullptr;
}

// The directory that an entry of `dir` with this id points to, by the
// loader's binary search over the id entries; 0 when there is none.
// Offsets are relative to the resource root.
bool FindEntry(const Bytes& root, uint32_t dir, uint16_t id, uint32_t* target) {
  if (!root.Has(dir, 16)) return false;
  const uint32_t named = root.U16(dir + 12);
  const uint32_t ids = root.U16(dir + 14);
  if (!root.Has(dir + 16, 8ull * (named + ids))) return false;
  int low = static_cast<int>(named), high = static_cast<int>(named + ids) - 1;
  while (low <= high) {
    const int mid = (low + high) / 2;
    const size_t entry = dir + 16 + 8u * static_cast<uint32_t>(mid);
    const uint32_t entryId = root.U32(entry);
    if (entryId == id) {
      *target = root.U32(entry + 4) & 0x7FFFFFFFu;
      return true;
    }
    if (entryId > id) high = mid - 1;
    else low = mid + 1;
  }
  return false;
}

// Language entry of the version resource: neutral, the language of the
// system's ANSI code page, US English, otherwise the first one.
bool FindLanguage(const Bytes& root, uint32_t dir, uint32_t* target) {
  uint16_t system = 0x0409;
  switch (M().acp) {
    case 932: system = 0x0411; break;
    case 936: system = 0x0804; break;
    case 949: system = 0x0412; break;
    case 950: system = 0x0404; break;
    case 1250: system = 0x0405; break;
    case 1251: system = 0x0419; break;
    default: break;
  }
  for (uint16_t language : {uint16_t(0), system, uint16_t(0x0409)})
    if (FindEntry(root, dir, language, target)) return true;
  if (!root.Has(dir, 16) || root.U16(dir + 12) + root.U16(dir + 14) == 0 || !root.Has(dir + 16, 8)) return false;
  *target = root.U32(dir + 20) & 0x7FFFFFFFu;
  return true;
}

// Raw bytes of the file as the image mapping sees them: what the file holds,
// and zeros past its end (Wine maps a file that ends inside a section so).
std::vector<uint8_t> RawRange(const std::vector<uint8_t>& image, uint32_t offset, uint32_t size) {
  std::vector<uint8_t> bytes(size, 0);
  if (offset < image.size())
    std::memcpy(bytes.data(), image.data() + offset, std::min<size_t>(size, image.size() - offset));
  return bytes;
}

// Finds RT_VERSION / VS_VERSION_INFO in a PE image: its file offset and size.
bool FindVersionResource(const std::vector<uint8_t>& image, uint32_t* offset, uint32_t* size) {
  const Bytes file{image.data(), image.size()};
  if (!file.Has(0, 64) || file.U16(0) != 0x5A4D) return false;  // "MZ"
  const uint32_t pe = file.U32(0x3C);
  if (!file.Has(pe, 24) || file.U32(pe) != 0x00004550) return false;  // "PE\0\0"
  const uint16_t sectionCount = file.U16(pe + 6);
  const uint16_t optionalSize = file.U16(pe + 20);
  const size_t optional = pe + 24;
  if (!file.Has(optional, 2)) return false;
  size_t directories = 0, countField = 0;
  switch (file.U16(optional)) {
    case 0x010B: countField = optional + 92, directories = optional + 96; break;    // PE32
    case 0x020B: countField = optional + 108, directories = optional + 112; break;  // PE32+
    default: return false;
  }
  if (!file.Has(countField, 4) || file.U32(countField) <= 2) return false;
  const size_t resourceDirectory = directories + 2 * 8;  // IMAGE_DIRECTORY_ENTRY_RESOURCE
  if (!file.Has(resourceDirectory, 8)) return false;
  const uint32_t resourceRva = file.U32(resourceDirectory);
  if (file.U32(resourceDirectory + 4) == 0) return false;

  std::vector<Section> sections;
  const size_t table = optional + optionalSize;
  if (!file.Has(table, 40ull * sectionCount)) return false;
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const size_t s = table + 40u * i;
    sections.push_back(Section{file.U32(s + 12), file.U32(s + 8), file.U32(s + 16), file.U32(s + 20)});
  }
  const Section* section = SectionOf(sections, resourceRva);
  if (!section || section->rawSize > kMaxSection) return false;

  // The section as mapped: raw data, zero-filled up to its virtual size.
  std::vector<uint8_t> mapped = RawRange(image, section->rawPointer, section->rawSize);
  mapped.resize(std::max<size_t>(mapped.size(), std::min(section->virtualSize, kMaxSection)), 0);
  const uint32_t rootOffset = resourceRva - section->virtualAddress;
  const Bytes root{mapped.data() + rootOffset, mapped.size() - rootOffset};

  uint32_t names = 0, languages = 0, leaf = 0;
  if (!FindEntry(root, 0, kRtVersion, &names)) return false;
  if (!FindEntry(root, names, kVsVersionInfo, &languages)) return false;
  if (!FindLanguage(root, languages, &leaf) || !root.Has(leaf, 16)) return false;
  const uint32_t dataRva = root.U32(leaf);
  const Section* dataSection = SectionOf(sections, dataRva);
  if (!dataSection) return false;
  *offset = dataRva - dataSection->virtualAddress + dataSection->rawPointer;
  *size = root.U32(leaf + 4);
  return true;
}

// The error for a path that does not resolve to a readable file.
DWORD OpenError(const std::string& path) {
  if (Node* node = FindNode(path)) return node->directory ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
  std::string leaf;
  return FindParentDir(path, &leaf) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD NoVersionError() {
  return M().version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? ERROR_FILE_NOT_FOUND
                                                                : ERROR_RESOURCE_DATA_NOT_FOUND;
}

// The value of the block's root node (VS_FIXEDFILEINFO): behind the
// 6-byte header and the NUL-terminated UTF-16 key, on a DWORD boundary.
const uint8_t* RootValue(const uint8_t* root) {
  size_t n = 0;
  while ((root[6 + 2 * n] | root[7 + 2 * n]) != 0) ++n;
  return root + ((6 + 2 * (n + 1) + 3) & ~static_cast<size_t>(3));
}

}  // namespace
}  // namespace detail
}  // namespace winsim

// ---- Simulated calls -------------------------------------------------------
using namespace winsim::detail;

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
  ApiCall call("GetFileVersionInfoSizeA", {Arg(fileName)});
  if (handle) *handle = 0;
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return 0;
  }
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!*fileName) {
    SetLastError(ERROR_BAD_PATHNAME);
    return 0;
  }
  if (const DWORD error = OpenError(fileName)) {
    SetLastError(error);
    return 0;
  }
  uint32_t offset = 0, size = 0;
  if (!FindVersionResource(FindNode(fileName)->data, &offset, &size)) {
    SetLastError(NoVersionError());
    return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return size * 2 + 4;
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length, LPVOID data) {
  ApiCall call("GetFileVersionInfoA", {Arg(fileName), Dec(handle), Dec(length)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  if (!data) {
    SetLastError(kErrorInvalidData);
    return FALSE;
  }
  if (!fileName || !*fileName) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (const DWORD error = OpenError(fileName)) {
    SetLastError(error);
    return FALSE;
  }
  const std::vector<uint8_t>& image = FindNode(fileName)->data;
  uint32_t offset = 0, size = 0;
  if (!FindVersionResource(image, &offset, &size)) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return FALSE;
  }
  // As much of the block as fits (and as the file holds); a buffer that is
  // too small is filled and the call still succeeds.
  const uint32_t copied = std::min(std::min(size, length), kMaxSection);
  const std::vector<uint8_t> bytes = RawRange(image, offset, copied);
  std::memcpy(data, bytes.data(), copied);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
  ApiCall call("VerQueryValueA", {Arg(subBlock)});
  if (auto fault = call.Fault()) {
    if (length) *length = 0;
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  if (!block) return FALSE;
  const uint8_t* root = static_cast<const uint8_t*>(block);
  for (const char* c = subBlock; c && *c; ++c)
    if (*c != '\\') {
      if (length) *length = 0;
      SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
      return FALSE;
    }
  const uint8_t* value = RootValue(root);
  const UINT valueLength = static_cast<UINT>(root[2] | (root[3] << 8));
  if (buffer) *buffer = const_cast<uint8_t*>(value);
  if (length) *length = valueLength;
  return TRUE;
}
