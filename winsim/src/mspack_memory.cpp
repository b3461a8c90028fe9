// winsim: the in-memory mspack_system. A handle is a name and a position;
// the bytes stay in the owner's map, so an open file sees every write.
#include "mspack_memory.h"

#include <cstdlib>
#include <cstring>

namespace winsim {
namespace detail {

namespace {

struct MemoryFile {
  std::vector<uint8_t>* data;
  size_t position;
};

MemoryFile* AsMemory(mspack_file* file) { return reinterpret_cast<MemoryFile*>(file); }

}  // namespace

MemoryFiles::MemoryFiles() : system_() {
  system_.open = &MemoryFiles::Open;
  system_.close = &MemoryFiles::Close;
  system_.read = &MemoryFiles::Read;
  system_.write = &MemoryFiles::Write;
  system_.seek = &MemoryFiles::Seek;
  system_.tell = &MemoryFiles::Tell;
  system_.message = &MemoryFiles::Message;
  system_.alloc = &MemoryFiles::Alloc;
  system_.free = &MemoryFiles::Free;
  system_.copy = &MemoryFiles::Copy;
  system_.null_ptr = nullptr;
  system_.owner = this;
}

void MemoryFiles::Put(const std::string& name, std::vector<uint8_t> data) { files_[name] = std::move(data); }

std::vector<uint8_t> MemoryFiles::Take(const std::string& name) {
  auto it = files_.find(name);
  if (it == files_.end()) return {};
  std::vector<uint8_t> data = std::move(it->second);
  files_.erase(it);
  return data;
}

mspack_file* MemoryFiles::Open(mspack_system* self, const char* name, int mode) {
  MemoryFiles* owner = static_cast<Bridge*>(self)->owner;
  if (!name) return nullptr;
  auto it = owner->files_.find(name);
  switch (mode) {
    case MSPACK_SYS_OPEN_READ:
    case MSPACK_SYS_OPEN_UPDATE:
      if (it == owner->files_.end()) return nullptr;
      break;
    case MSPACK_SYS_OPEN_WRITE:
      it = owner->files_.insert_or_assign(name, std::vector<uint8_t>()).first;
      break;
    case MSPACK_SYS_OPEN_APPEND:
      it = owner->files_.emplace(name, std::vector<uint8_t>()).first;
      break;
    default:
      return nullptr;
  }
  const size_t position = mode == MSPACK_SYS_OPEN_APPEND ? it->second.size() : 0;
  return reinterpret_cast<mspack_file*>(new MemoryFile{&it->second, position});
}

void MemoryFiles::Close(mspack_file* file) { delete AsMemory(file); }

int MemoryFiles::Read(mspack_file* file, void* buffer, int bytes) {
  MemoryFile* f = AsMemory(file);
  if (!f || !buffer || bytes < 0) return -1;
  const size_t available = f->position < f->data->size() ? f->data->size() - f->position : 0;
  const size_t count = std::min(available, static_cast<size_t>(bytes));
  if (count) std::memcpy(buffer, f->data->data() + f->position, count);
  f->position += count;
  return static_cast<int>(count);
}

int MemoryFiles::Write(mspack_file* file, void* buffer, int bytes) {
  MemoryFile* f = AsMemory(file);
  if (!f || !buffer || bytes < 0) return -1;
  const size_t end = f->position + static_cast<size_t>(bytes);
  if (end > f->data->size()) f->data->resize(end);
  if (bytes) std::memcpy(f->data->data() + f->position, buffer, static_cast<size_t>(bytes));
  f->position = end;
  return bytes;
}

int MemoryFiles::Seek(mspack_file* file, off_t offset, int mode) {
  MemoryFile* f = AsMemory(file);
  if (!f) return -1;
  off_t base = 0;
  switch (mode) {
    case MSPACK_SYS_SEEK_START: base = 0; break;
    case MSPACK_SYS_SEEK_CUR: base = static_cast<off_t>(f->position); break;
    case MSPACK_SYS_SEEK_END: base = static_cast<off_t>(f->data->size()); break;
    default: return -1;
  }
  const off_t target = base + offset;
  // As with a disk file, the position may pass the end; reads there give 0.
  if (target < 0) return -1;
  f->position = static_cast<size_t>(target);
  return 0;
}

off_t MemoryFiles::Tell(mspack_file* file) {
  MemoryFile* f = AsMemory(file);
  return f ? static_cast<off_t>(f->position) : -1;
}

void* MemoryFiles::Alloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }

void MemoryFiles::Free(void* pointer) { std::free(pointer); }

void MemoryFiles::Copy(void* source, void* destination, size_t bytes) { std::memmove(destination, source, bytes); }

}  // namespace detail
}  // namespace winsim
