// Ownership of one COM interface pointer: released exactly once, by reset()
// where the order of releases matters, or by the destructor on every other
// path. Never AddRefs on its own.
#ifndef KV_FIREWALL_COM_PTR_H
#define KV_FIREWALL_COM_PTR_H

#include <utility>

#include "win32api.h"

namespace kv {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(other.release()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      pointer_ = other.release();
    }
    return *this;
  }
  ~ComPtr() { reset(); }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For an out parameter: releases what is held and hands out the slot.
  Interface** out() {
    reset();
    return &pointer_;
  }
  // The same slot, typed as CoCreateInstance wants it.
  void** outVoid() { return reinterpret_cast<void**>(out()); }

  Interface* release() { return std::exchange(pointer_, nullptr); }
  void reset() {
    if (Interface* pointer = std::exchange(pointer_, nullptr)) pointer->Release();
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace kv

#endif  // KV_FIREWALL_COM_PTR_H
