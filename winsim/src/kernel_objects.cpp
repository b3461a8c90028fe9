// winsim: kernel object handles (CloseHandle for every kind), and the record
// of calls that would never have returned.
#include "machine.h"

namespace winsim {
namespace detail {

HANDLE AddKernelObject(std::shared_ptr<KernelObject> object) {
  const uintptr_t id = M().nextHandle += 4;
  M().kernelObjects[id] = std::move(object);
  return reinterpret_cast<HANDLE>(id);
}

void RecordBlockedForever(const std::string& what) { M().blockedForever.push_back(what); }

void ReportKernelObjects(std::vector<std::string>& out) {
  for (const auto& entry : M().kernelObjects) out.push_back("handle " + Hex(entry.first) + ": " + entry.second->Describe());
}

}  // namespace detail

std::vector<std::string> ForeverBlockedCalls() {
  auto lock = detail::Lock();
  return detail::M().blockedForever;
}

}  // namespace winsim

using namespace winsim::detail;

BOOL CloseHandle(HANDLE object) {
  auto lock = Lock();
  auto it = M().kernelObjects.find(reinterpret_cast<uintptr_t>(object));
  ApiCall call("CloseHandle", {it == M().kernelObjects.end() ? Hex(reinterpret_cast<uintptr_t>(object))
                                                              : it->second->Describe()});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  if (it == M().kernelObjects.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  M().kernelObjects.erase(it);
  return TRUE;
}
