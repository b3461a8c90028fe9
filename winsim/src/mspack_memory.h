// winsim: an mspack_system whose files are byte vectors held in memory, so
// the simulated file system's content can be expanded without touching the
// host's disk.
#ifndef WINSIM_MSPACK_MEMORY_H
#define WINSIM_MSPACK_MEMORY_H

#include <mspack.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace winsim {
namespace detail {

class MemoryFiles {
 public:
  MemoryFiles();
  MemoryFiles(const MemoryFiles&) = delete;
  MemoryFiles& operator=(const MemoryFiles&) = delete;

  // The system to hand to mspack_create_*_decompressor. It lives as long as
  // this object.
  mspack_system* System() { return &system_; }

  void Put(const std::string& name, std::vector<uint8_t> data);
  // The content of a named file; empty when it does not exist.
  std::vector<uint8_t> Take(const std::string& name);
  bool Has(const std::string& name) const { return files_.count(name) != 0; }

 private:
  struct Bridge : mspack_system {
    MemoryFiles* owner;
  };
  static mspack_file* Open(mspack_system* self, const char* name, int mode);
  static void Close(mspack_file* file);
  static int Read(mspack_file* file, void* buffer, int bytes);
  static int Write(mspack_file* file, void* buffer, int bytes);
  static int Seek(mspack_file* file, off_t offset, int mode);
  static off_t Tell(mspack_file* file);
  static void Message(mspack_file*, const char*, ...) {}
  static void* Alloc(mspack_system*, size_t bytes);
  static void Free(void* pointer);
  static void Copy(void* source, void* destination, size_t bytes);

  Bridge system_;
  std::map<std::string, std::vector<uint8_t>> files_;
};

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_MSPACK_MEMORY_H
