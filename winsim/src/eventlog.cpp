// winsim: the event log. A source handle is a kernel-like object that
// DeregisterEventSource closes (OpenResources lists a handle left open);
// ReportEventA records the event under the handle's source. As on Windows,
// the source need not be registered in the registry for the event to be
// written: the registration only lets Event Viewer find the texts.
#include "exports.h"
#include "winsim/eventlog_control.h"

namespace winsim {
namespace detail {

namespace {

const DWORD kRpcServerUnavailable = 1722;

struct EventSource : KernelObject {
  explicit EventSource(std::string name) : name(std::move(name)) {}
  std::string Describe() const override { return "event source " + name; }
  std::string name;
};

std::vector<ReportedEvent>& Events() {
  static std::vector<ReportedEvent> events;
  return events;
}

}  // namespace

void ResetEventLog() { Events().clear(); }

}  // namespace detail

std::vector<ReportedEvent> ReportedEvents() {
  auto lock = detail::Lock();
  return detail::Events();
}

}  // namespace winsim

using namespace winsim::detail;

HANDLE RegisterEventSourceA(LPCSTR uncServerName, LPCSTR sourceName) {
  ApiCall call("RegisterEventSourceA", {Arg(sourceName), Arg(uncServerName)});
  DWORD error = 0;
  if (auto fault = call.Fault())
    error = static_cast<DWORD>(*fault);
  else if (uncServerName && *uncServerName)
    error = kRpcServerUnavailable;
  else if (!sourceName || !*sourceName)
    error = ERROR_INVALID_PARAMETER;
  if (error) {
    SetLastError(error);
    return nullptr;
  }
  return AddKernelObject(std::make_shared<EventSource>(sourceName));
}

BOOL ReportEventA(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID, WORD numStrings, DWORD dataSize,
                  LPCSTR* strings, LPVOID rawData) {
  winsim::ReportedEvent event;
  event.type = type;
  event.category = category;
  event.id = eventId;
  for (WORD i = 0; strings && i < numStrings; ++i) event.strings.push_back(strings[i] ? strings[i] : "");
  std::string inserts;
  for (const std::string& text : event.strings) inserts += (inserts.empty() ? "" : "|") + text;
  ApiCall call("ReportEventA", {Hex(reinterpret_cast<uintptr_t>(eventLog)), Hex(type), Hex(eventId), inserts});
  auto source = KernelObjectAs<EventSource>(eventLog);
  DWORD error = 0;
  if (auto fault = call.Fault())
    error = static_cast<DWORD>(*fault);
  else if (!source)
    error = ERROR_INVALID_HANDLE;
  else if ((numStrings && !strings) || (dataSize && !rawData))
    error = ERROR_INVALID_PARAMETER;
  if (error) {
    SetLastError(error);
    return FALSE;
  }
  event.source = source->name;
  Events().push_back(event);
  return TRUE;
}

BOOL DeregisterEventSource(HANDLE eventLog) {
  ApiCall call("DeregisterEventSource", {Hex(reinterpret_cast<uintptr_t>(eventLog))});
  DWORD error = 0;
  if (auto fault = call.Fault())
    error = static_cast<DWORD>(*fault);
  else if (!KernelObjectAs<EventSource>(eventLog))
    error = ERROR_INVALID_HANDLE;
  if (error) {
    SetLastError(error);
    return FALSE;
  }
  M().kernelObjects.erase(reinterpret_cast<uintptr_t>(eventLog));
  return TRUE;
}
