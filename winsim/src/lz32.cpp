// winsim: LZ32 (LZOpenFileA, LZCopy, LZClose) over the simulated file system.
//
// Handles: a plain file gets a small positive number; an SZDD file opened for
// reading gets a compressed handle from 0x400 up. (LZ32 has only sixteen of
// those; the tool holds one at a time, so the limit is not simulated.)
// Failures are negative: HFILE_ERROR (-1) from LZOpenFileA, an LZERROR_*
// from LZCopy.
#include "lz32.h"

#include <algorithm>
#include <cstring>

#include "compressed_formats.h"

namespace winsim {
namespace detail {

namespace {

const INT kFirstCompressedHandle = 0x400;
const INT kFirstPlainHandle = 0x20;
// LZCopy moves the data in pieces of this size, each one write, so a full
// disk leaves a destination of whole pieces. This is Wine's buffer; the size
// Windows' LZ32 uses is not known.
const size_t kCopyBuffer = 1000;
const WORD kShareModes = 0x70;
const DWORD kErrorInvalidData = 13;  // ERROR_INVALID_DATA

std::shared_ptr<OpenFile> Lookup(INT handle) {
  auto it = M().lzFiles.find(handle);
  return it == M().lzFiles.end() ? nullptr : it->second;
}

INT FreeCompressedHandle() {
  INT handle = kFirstCompressedHandle;
  while (M().lzFiles.count(handle)) ++handle;
  return handle;
}

INT NewPlainHandle() {
  INT handle = M().nextLzHandle;
  while (M().lzFiles.count(handle)) handle += 4;
  M().nextLzHandle = handle + 4;
  return handle;
}

// The name LZ32 tries when a file cannot be opened: the last character of
// the extension replaced by '_' (an extension shorter than three characters
// gets '_' appended), or "._" appended when there is no extension.
std::string CompressedName(const std::string& name) {
  std::string result = name;
  const size_t slash = result.rfind('\\');
  const size_t dot = result.find('.', slash == std::string::npos ? 0 : slash);
  if (dot == std::string::npos) return result + "._";
  if (result.size() - dot - 1 < 3)
    result += '_';
  else
    result.back() = '_';
  return result;
}

// FileTimeToDosDateTime: the date and time fields of the MS-DOS format.
void DosDateTime(FILETIME time, WORD* date, WORD* clock) {
  const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  const uint64_t seconds = ticks / 10000000ULL;
  // Days since 1601-01-01 to a civil date.
  int64_t days = static_cast<int64_t>(seconds / 86400) - 134774;  // now days since 1970-01-01
  const uint64_t secondOfDay = seconds % 86400;
  days += 719468;
  const int64_t era = days / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yearOfEra + era * 400 + (month <= 2);
  *date = static_cast<WORD>(((year - 1980) << 9) | (month << 5) | day);
  *clock = static_cast<WORD>(((secondOfDay / 3600) << 11) | (((secondOfDay / 60) % 60) << 5) | ((secondOfDay % 60) / 2));
}

// The bare name searched as SearchPathA does without a path: the
// application's directory, the current directory, the system directory, the
// Windows directory.
std::string Locate(const std::string& name) {
  if (name.find_first_of("\\/:") != std::string::npos) return NormalizePath(name);
  const std::string& exe = M().moduleFileName;
  const std::string appDir = exe.substr(0, exe.rfind('\\') == std::string::npos ? 0 : exe.rfind('\\'));
  for (const std::string& dir : {appDir, M().currentDir, M().windowsDir + "\\system32", M().windowsDir}) {
    if (dir.empty()) continue;
    const std::string candidate = NormalizePath(dir + "\\" + name);
    if (FindNode(candidate)) return candidate;
  }
  return NormalizePath(name);
}

INT OpenFailed(OFSTRUCT* ofs, DWORD error) {
  ofs->nErrCode = static_cast<WORD>(error);
  SetLastErrorInternal(error);
  return HFILE_ERROR;
}

// OpenFile for the styles LZ32 passes on: OF_CREATE creates or truncates,
// anything else opens an existing file; OF_EXIST only tests.
INT OpenPlain(const std::string& name, OFSTRUCT* ofs, WORD style) {
  ofs->cBytes = sizeof(OFSTRUCT);
  ofs->nErrCode = 0;
  if (name.empty()) return OpenFailed(ofs, ERROR_PATH_NOT_FOUND);
  const std::string full = (style & OF_CREATE) ? NormalizePath(name) : Locate(name);
  if (full.size() >= OFS_MAXPATHNAME) return OpenFailed(ofs, kErrorInvalidData);
  std::memcpy(ofs->szPathName, full.c_str(), full.size() + 1);

  auto file = std::make_shared<OpenFile>();
  file->path = full;
  if (style & OF_CREATE) {
    // CreateFile with CREATE_ALWAYS and FILE_ATTRIBUTE_NORMAL: an existing
    // hidden or system file is refused, any other is truncated.
    Node* existing = FindNode(full);
    if (existing && !existing->directory && (existing->attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
      return OpenFailed(ofs, ERROR_ACCESS_DENIED);
    Node* node = nullptr;
    if (const DWORD error = WriteFileNode(full, {}, &node)) return OpenFailed(ofs, error);
    node->attributes = FILE_ATTRIBUTE_ARCHIVE;
    file->writable = true;
  } else {
    Node* node = FindNode(full);
    if (!node) return OpenFailed(ofs, ERROR_FILE_NOT_FOUND);
    if (node->directory) return OpenFailed(ofs, ERROR_ACCESS_DENIED);
    file->writable = (style & (OF_WRITE | OF_READWRITE)) != 0;
    // A file in use can still be read (a running program's image can);
    // writing to it is refused.
    if (file->writable && node->inUseError) return OpenFailed(ofs, node->inUseError);
    if (file->writable && (node->attributes & FILE_ATTRIBUTE_READONLY)) return OpenFailed(ofs, ERROR_ACCESS_DENIED);
    if (const DWORD error = OpenHandleConflict(node, file->writable ? FileUse::Write : FileUse::Read))
      return OpenFailed(ofs, error);
    DosDateTime(node->writeTime, &ofs->Reserved1, &ofs->Reserved2);
  }
  if (style & OF_EXIST) return TRUE;
  const INT handle = NewPlainHandle();
  M().lzFiles[handle] = file;
  return handle;
}

// Writes `data` at the handle's position, as WriteFile would: all of it, or
// nothing when the disk has too little room.
bool WriteAt(OpenFile& file, const uint8_t* data, size_t size) {
  Node* node = FindNode(file.path);
  if (!node || node->directory || !file.writable || file.expanding) return false;
  const size_t end = file.position + size;
  const uint64_t growth = end > node->data.size() ? end - node->data.size() : 0;
  if (growth > DiskFreeBytes()) return false;
  if (end > node->data.size()) node->data.resize(end);
  std::copy(data, data + size, node->data.begin() + static_cast<std::ptrdiff_t>(file.position));
  file.position = end;
  node->writeTime = Now();
  return true;
}

}  // namespace

INT LzOpen(const std::string& name, OFSTRUCT* ofs, WORD style) {
  const BYTE cBytes = ofs->cBytes;
  INT handle = OpenPlain(name, ofs, style);
  if (handle == HFILE_ERROR) handle = OpenPlain(CompressedName(name), ofs, style);
  if (handle == HFILE_ERROR) {
    ofs->cBytes = cBytes;
    return HFILE_ERROR;
  }
  if ((style & ~kShareModes) != OF_READ) return handle;

  std::shared_ptr<OpenFile> file = Lookup(handle);
  Node* node = FindNode(file->path);
  if (!node || ClassifyLz(node->data) != LzKind::Szdd) return handle;
  const INT compressed = FreeCompressedHandle();
  M().lzFiles.erase(handle);
  file->expanding = true;
  M().lzFiles[compressed] = file;
  return compressed;
}

LONG LzCopy(INT source, INT destination) {
  std::shared_ptr<OpenFile> in = Lookup(source);
  if (!in) return LZERROR_BADINHANDLE;
  Node* inNode = FindNode(in->path);
  if (!inNode || inNode->directory) return LZERROR_READ;

  std::vector<uint8_t> content;
  if (in->expanding) {
    const std::vector<uint8_t> expanded = ExpandSzdd(inNode->data);
    if (in->position < expanded.size()) content.assign(expanded.begin() + static_cast<std::ptrdiff_t>(in->position), expanded.end());
    in->position = std::max(in->position, expanded.size());
  } else {
    // A plain handle is examined once more from its start: an SZDD file is
    // expanded, a file with an unknown method copies nothing.
    switch (ClassifyLz(inNode->data)) {
      case LzKind::Plain:
        content = inNode->data;
        break;
      case LzKind::UnknownMethod:
        return 0;
      case LzKind::Szdd:
        content = ExpandSzdd(inNode->data);
        break;
    }
  }
  const FILETIME sourceTime = inNode->writeTime;

  std::shared_ptr<OpenFile> out = Lookup(destination);
  for (size_t offset = 0; offset < content.size(); offset += kCopyBuffer) {
    const size_t size = std::min(kCopyBuffer, content.size() - offset);
    if (!out || !WriteAt(*out, content.data() + offset, size)) return LZERROR_WRITE;
  }
  // The destination keeps the source's last-write time.
  if (out && !out->expanding)
    if (Node* outNode = FindNode(out->path)) outNode->writeTime = sourceTime;
  return static_cast<LONG>(content.size());
}

void LzClose(INT file) { M().lzFiles.erase(file); }

// Open LZ handles, beside the find handles that fs.cpp reports.
void ReportOpenLzFiles(std::vector<std::string>& out) {
  for (const auto& file : M().lzFiles) out.push_back("LZ handle " + Dec(file.first) + " " + file.second->path);
}

void ResetLz() {
  M().lzFiles.clear();
  M().nextLzHandle = kFirstPlainHandle;
}

}  // namespace detail
}  // namespace winsim

// ---- Simulated calls -------------------------------------------------------
using namespace winsim::detail;

INT LZOpenFileA(LPSTR fileName, LPOFSTRUCT reOpenBuffer, WORD style) {
  ApiCall call("LZOpenFileA", {Arg(fileName), Hex(style)});
  if (!reOpenBuffer) return HFILE_ERROR;
  if (auto fault = call.Fault()) {
    // A negative fault is an LZERROR_* handed back as it is; a positive one
    // is the Win32 error of the failed open.
    if (*fault < 0) return static_cast<INT>(*fault);
    reOpenBuffer->nErrCode = static_cast<WORD>(*fault);
    SetLastErrorInternal(static_cast<DWORD>(*fault));
    return HFILE_ERROR;
  }
  return LzOpen(fileName ? fileName : "", reOpenBuffer, style);
}

LONG LZCopy(INT source, INT destination) {
  ApiCall call("LZCopy", {Dec(source), Dec(destination)});
  if (auto fault = call.Fault()) return static_cast<LONG>(*fault);
  return LzCopy(source, destination);
}

void LZClose(INT file) {
  // Logged with the file's path, so that the order of closing shows.
  auto lock = Lock();
  const std::shared_ptr<OpenFile> open = Lookup(file);
  ApiCall call("LZClose", {Dec(file), open ? Arg(open->path.c_str()) : std::string("unknown")});
  // A failing close leaves the handle open.
  if (call.Fault()) return;
  LzClose(file);
}
