// Ownership of one BSTR: freed exactly once with SysFreeString. A null BSTR
// is a valid empty value and owns nothing.
#ifndef KV_FIREWALL_BSTR_H
#define KV_FIREWALL_BSTR_H

#include <utility>

#include "win32api.h"

namespace kv {

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(BSTR owned) : text_(owned) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : text_(other.release()) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      reset();
      text_ = other.release();
    }
    return *this;
  }
  ~Bstr() { reset(); }

  BSTR get() const { return text_; }
  explicit operator bool() const { return text_ != nullptr; }

  BSTR release() { return std::exchange(text_, nullptr); }
  void reset() {
    if (BSTR text = std::exchange(text_, nullptr)) SysFreeString(text);
  }

 private:
  BSTR text_ = nullptr;
};

}  // namespace kv

#endif  // KV_FIREWALL_BSTR_H
