// winsim: files opened with CreateFileA, read with ReadFile and measured
// with GetFileSize; kernel objects closed by CloseHandle.
//
// Only what the tool does is modelled: an existing file opened for reading,
// sharing reading, writing or nothing. Any other request (write access, a
// creating disposition, FILE_SHARE_DELETE, which would let the file be
// deleted or renamed under the handle) fails with ERROR_NOT_SUPPORTED, so
// that code relying on it shows at once.
//
// An open handle takes part in the sharing rules of the whole file system:
// the file cannot be deleted or renamed while it is open, nor written unless
// every handle shares writing, nor read unless every handle shares reading
// (ERROR_SHARING_VIOLATION), as on Windows. Another program's open of a file
// (HoldOpenElsewhere) takes part in the same rules, with its own access.
#include <algorithm>
#include <cstring>

#include "machine.h"

namespace winsim {
namespace detail {

namespace {

struct FileObject : KernelObject {
  std::string path;  // full path of the simulated file
  DWORD share = 0;
  size_t position = 0;
  std::string Describe() const override { return "file " + path; }
};

const DWORD kSupportedShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

DWORD ShareNeeded(FileUse use) {
  switch (use) {
    case FileUse::Read: return FILE_SHARE_READ;
    case FileUse::Write: return FILE_SHARE_WRITE;
    case FileUse::Delete: break;
  }
  return FILE_SHARE_DELETE;
}

std::vector<const FileObject*> HandlesOn(const Node* node) {
  std::vector<const FileObject*> found;
  for (const auto& entry : M().kernelObjects) {
    const auto* file = dynamic_cast<const FileObject*>(entry.second.get());
    if (file && FindNode(file->path) == node) found.push_back(file);
  }
  return found;
}

HANDLE FailOpen(DWORD error) {
  SetLastErrorInternal(error);
  return INVALID_HANDLE_VALUE;
}

// The error that opening `node` for reading with `share` meets: a file held
// open without sharing refuses every open; a running program's image is
// mapped for reading, as every handle open here reads.
DWORD OpenError(const Node* node, DWORD share) {
  if (node->inUseError == ERROR_ACCESS_DENIED) {
    if (!(share & FILE_SHARE_READ)) return ERROR_SHARING_VIOLATION;
  } else if (node->inUseError) {
    return node->inUseError;
  }
  for (const FileObject* other : HandlesOn(node))
    if (!(other->share & FILE_SHARE_READ) || !(share & FILE_SHARE_READ)) return ERROR_SHARING_VIOLATION;
  if (node->heldAccess) {
    if (!(node->heldShare & FILE_SHARE_READ)) return ERROR_SHARING_VIOLATION;
    if ((node->heldAccess & GENERIC_READ) && !(share & FILE_SHARE_READ)) return ERROR_SHARING_VIOLATION;
    if ((node->heldAccess & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return ERROR_SHARING_VIOLATION;
  }
  return 0;
}

std::string HandleName(HANDLE handle) {
  auto file = KernelObjectAs<FileObject>(handle);
  return file ? file->Describe() : Hex(reinterpret_cast<uintptr_t>(handle));
}

}  // namespace

DWORD OpenHandleConflict(const Node* node, FileUse use) {
  for (const FileObject* file : HandlesOn(node))
    if (!(file->share & ShareNeeded(use))) return ERROR_SHARING_VIOLATION;
  if (node->heldAccess && !(node->heldShare & ShareNeeded(use))) return ERROR_SHARING_VIOLATION;
  return 0;
}

int OpenFileHandleCount() {
  int count = 0;
  for (const auto& entry : M().kernelObjects)
    if (dynamic_cast<const FileObject*>(entry.second.get())) ++count;
  return count;
}

}  // namespace detail

void HoldOpenElsewhere(const std::string& path, DWORD access, DWORD share) {
  auto lock = detail::Lock();
  if (detail::Node* node = detail::FindNode(path)) {
    node->heldAccess = access;
    node->heldShare = share;
  }
}

}  // namespace winsim

// ---- Simulated calls -------------------------------------------------------
using namespace winsim::detail;

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                   DWORD, HANDLE) {
  ApiCall call("CreateFileA", {Arg(fileName), Hex(desiredAccess), Hex(shareMode), Dec(creationDisposition)});
  if (auto fault = call.Fault()) return FailOpen(static_cast<DWORD>(*fault));
  if (desiredAccess != GENERIC_READ || creationDisposition != OPEN_EXISTING || (shareMode & ~kSupportedShare))
    return FailOpen(ERROR_NOT_SUPPORTED);
  if (!fileName || !*fileName) return FailOpen(ERROR_PATH_NOT_FOUND);
  Node* node = FindNode(fileName);
  if (!node) return FailOpen(MissingError(fileName));
  if (node->directory) return FailOpen(ERROR_ACCESS_DENIED);
  if (const DWORD error = OpenError(node, shareMode)) return FailOpen(error);
  auto file = std::make_shared<FileObject>();
  file->path = FullPathOf(node);
  file->share = shareMode;
  return AddKernelObject(file);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) {
  auto lock = Lock();
  ApiCall call("ReadFile", {HandleName(file), Dec(bytesToRead)});
  if (bytesRead) *bytesRead = 0;
  DWORD error = 0;
  auto object = KernelObjectAs<FileObject>(file);
  if (auto fault = call.Fault())
    error = static_cast<DWORD>(*fault);
  else if (!object)
    error = ERROR_INVALID_HANDLE;
  else if (overlapped || !bytesRead || (!buffer && bytesToRead))
    error = ERROR_NOT_SUPPORTED;  // reads at an offset, or without a count, are not modelled
  if (error) {
    SetLastErrorInternal(error);
    return FALSE;
  }
  const Node* node = FindNode(object->path);  // cannot go away while the handle is open
  const size_t size = node->data.size();
  const size_t count = object->position < size ? std::min<size_t>(bytesToRead, size - object->position) : 0;
  if (count) std::memcpy(buffer, node->data.data() + object->position, count);
  object->position += count;
  *bytesRead = static_cast<DWORD>(count);
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
  auto lock = Lock();
  ApiCall call("GetFileSize", {HandleName(file)});
  auto object = KernelObjectAs<FileObject>(file);
  DWORD error = object ? 0 : ERROR_INVALID_HANDLE;
  if (auto fault = call.Fault()) error = static_cast<DWORD>(*fault);
  if (error) {
    SetLastErrorInternal(error);
    return INVALID_FILE_SIZE;
  }
  const uint64_t size = FindNode(object->path)->data.size();
  if (fileSizeHigh) *fileSizeHigh = static_cast<DWORD>(size >> 32);
  return static_cast<DWORD>(size);
}
