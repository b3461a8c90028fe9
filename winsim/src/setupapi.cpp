// winsim: the one function of setupapi.dll that the tool calls,
// SetupDecompressOrCopyFileA. It is reached only through LoadLibraryA and
// GetProcAddress, so it is exported from the simulated module and declared
// in no header.
//
// The behaviour is that of Wine's setupapi:
// - The tool passes no compression type, so the first eight bytes decide:
//   the SZDD signature means LZ expansion, "MSCF" a cabinet; anything else,
//   including a file shorter than eight bytes or one that cannot be read, is
//   copied with CopyFile (so a missing source gives ERROR_FILE_NOT_FOUND).
//   A given type is not simulated, nor Wine's reading of KWAJ files as
//   cabinets.
// - SZDD goes through LZ32: an unreadable source or an uncreatable target
//   gives ERROR_FILE_NOT_FOUND, a failed LZCopy ERROR_INVALID_DATA. The
//   target receives the source's last-write time. A stream that ends early,
//   even right after the header, expands to what it holds, with success.
// - From a cabinet the first file is extracted to the target, the others are
//   skipped. The target is opened without truncation, so an existing longer
//   target keeps its tail beyond the extracted data. The data is written
//   block by block; a block cut short or failing its checksum ends the file
//   there, and success is still reported. Its last-write time is
//   the time of extraction: Wine does not apply the time stored in the
//   cabinet (Windows does, converted from local time).
// - A plain copy keeps the source's last-write time and attributes.
#include <algorithm>

#include "compressed_formats.h"
#include "lz32.h"
#include "machine.h"

namespace winsim {
namespace detail {

namespace {

const DWORD kErrorInvalidData = 13;  // ERROR_INVALID_DATA
// Extracted cabinet data is written one data block (at most 32 KiB) at a time.
const size_t kCabinetBlock = 0x8000;

// CopyFile(source, target, FALSE) as the simulated kernel does it, without
// appearing in the call log: the call is setupapi's, not the caller's.
DWORD PlainCopy(const std::string& source, const std::string& target) {
  Node* from = FindNode(source);
  if (!from) {
    std::string leaf;
    return FindParentDir(source, &leaf) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  }
  if (from->directory) return ERROR_ACCESS_DENIED;
  if (const DWORD error = OpenHandleConflict(from, FileUse::Read)) return error;
  Node* existing = FindNode(target);
  if (existing == from) return ERROR_SHARING_VIOLATION;
  const std::vector<uint8_t> data = from->data;
  const DWORD attributes = from->attributes;
  const FILETIME time = from->writeTime;
  Node* written = nullptr;
  if (const DWORD error = WriteFileNode(target, data, &written)) return error;
  written->attributes = attributes | FILE_ATTRIBUTE_ARCHIVE;
  written->writeTime = time;
  return ERROR_SUCCESS;
}

// An LZ32 handle closed when it goes out of scope.
class LzHandle {
 public:
  explicit LzHandle(INT handle) : handle_(handle) {}
  ~LzHandle() {
    if (handle_ >= 0) LzClose(handle_);
  }
  LzHandle(const LzHandle&) = delete;
  LzHandle& operator=(const LzHandle&) = delete;
  INT get() const { return handle_; }

 private:
  INT handle_;
};

DWORD ExpandLz(const std::string& source, const std::string& target) {
  OFSTRUCT sourceOf{};
  OFSTRUCT targetOf{};
  const LzHandle in(LzOpen(source, &sourceOf, OF_READ));
  if (in.get() < 0) return ERROR_FILE_NOT_FOUND;
  const LzHandle out(LzOpen(target, &targetOf, OF_CREATE));
  if (out.get() < 0) return ERROR_FILE_NOT_FOUND;
  return LzCopy(in.get(), out.get()) >= 0 ? ERROR_SUCCESS : kErrorInvalidData;
}

DWORD ExtractCabinet(const std::string& source, const std::string& target) {
  Node* from = FindNode(source);
  if (!from || from->directory) return ERROR_FILE_NOT_FOUND;
  CabinetEntry entry;
  // A file that is no readable cabinet extracts nothing, and Wine still
  // reports success.
  if (!ExtractFirstCabinetFile(from->data, &entry)) return ERROR_SUCCESS;

  // CreateFile with OPEN_ALWAYS: an existing target is reused, not truncated.
  Node* node = FindNode(target);
  if (node) {
    if (node->directory || (node->attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
    if (node->inUseError) return node->inUseError;
    if (const DWORD error = OpenHandleConflict(node, FileUse::Write)) return error;
  } else if (const DWORD error = WriteFileNode(target, {}, &node)) {
    return error;
  }
  for (size_t offset = 0; offset < entry.data.size(); offset += kCabinetBlock) {
    const size_t size = std::min(kCabinetBlock, entry.data.size() - offset);
    const size_t end = offset + size;
    const uint64_t growth = end > node->data.size() ? end - node->data.size() : 0;
    if (growth > DiskFreeBytes()) return ERROR_DISK_FULL;
    if (end > node->data.size()) node->data.resize(end);
    std::copy(entry.data.begin() + static_cast<std::ptrdiff_t>(offset),
              entry.data.begin() + static_cast<std::ptrdiff_t>(end),
              node->data.begin() + static_cast<std::ptrdiff_t>(offset));
    node->writeTime = Now();
  }
  return ERROR_SUCCESS;
}

DWORD SetupDecompressOrCopyFile(PCSTR source, PCSTR target, PUINT compressionType) {
  ApiCall call("SetupDecompressOrCopyFileA",
               {Arg(source), Arg(target), compressionType ? Dec(*compressionType) : std::string("NULL")});
  if (auto fault = call.Fault()) return static_cast<DWORD>(*fault);
  if (!source || !target) return ERROR_INVALID_PARAMETER;

  Node* node = FindNode(source);
  switch (node && !node->directory ? DetectSetupCompression(node->data) : kCompressionNone) {
    case kCompressionWinLza:
      return ExpandLz(source, target);
    case kCompressionMszip:
      return ExtractCabinet(source, target);
    default:
      return PlainCopy(source, target);
  }
}

}  // namespace

void RegisterSetupApi() {
  // Through void(*)(), the one function type every other converts to
  // without a warning.
  RegisterExport("setupapi.dll", "SetupDecompressOrCopyFileA",
                 reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SetupDecompressOrCopyFile)));
}

}  // namespace detail
}  // namespace winsim
