// Ownership of system handles: one small template, closed exactly once.
//
// The call that closes a handle stays visible at its use where the order of
// closing matters: call reset() there; the destructor covers every early
// return.
#ifndef KV_COMMON_UNIQUE_HANDLE_H
#define KV_COMMON_UNIQUE_HANDLE_H

#include <utility>

#include "win32api.h"

namespace kv {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() : handle_(Traits::Invalid()) {}
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = other.release();
    }
    return *this;
  }
  ~UniqueHandle() { reset(); }

  bool valid() const { return Traits::IsValid(handle_); }
  explicit operator bool() const { return valid(); }
  Type get() const { return handle_; }
  Type release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset() {
    if (Traits::IsValid(handle_)) Traits::Close(handle_);
    handle_ = Traits::Invalid();
  }

 private:
  Type handle_;
};

// A kernel object that CloseHandle releases (a thread, an event, an access
// token); null when there is none.
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// A directory search (FindFirstFileA).
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { FindClose(h); }
};
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;

// A file opened with CreateFileA.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;

// A module loaded at run time (LoadLibraryA).
struct ModuleTraits {
  using Type = HMODULE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { FreeLibrary(h); }
};
using UniqueModule = UniqueHandle<ModuleTraits>;

// An LZ32 file handle (LZOpenFileA); negative values are error codes.
struct LzHandleTraits {
  using Type = INT;
  static Type Invalid() { return -1; }
  static bool IsValid(Type h) { return h >= 0; }
  static void Close(Type h) { LZClose(h); }
};
using UniqueLzFile = UniqueHandle<LzHandleTraits>;

// An open registry key (RegOpenKeyExA).
struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { RegCloseKey(h); }
};
using UniqueRegKey = UniqueHandle<RegKeyTraits>;

// A handle of the service control manager or of a service.
struct ServiceHandleTraits {
  using Type = SC_HANDLE;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { CloseServiceHandle(h); }
};
using UniqueServiceHandle = UniqueHandle<ServiceHandleTraits>;

}  // namespace kv

#endif  // KV_COMMON_UNIQUE_HANDLE_H
