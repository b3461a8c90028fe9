// winsim: named events in the namespaces of Terminal Services sessions, and
// security descriptors as far as a NULL DACL.
#include "scheduler.h"
#include "winsim/thread_control.h"

namespace winsim {
namespace detail {

namespace {

const std::string kGlobal = "Global\\", kLocal = "Local\\";

struct Event {
  std::string name;  // the full name ("Global\X", "Session\1\X"); empty: unnamed
  bool manualReset = false;
  bool signalled = false;
  DWORD session = 0;  // the session of the user who created it
  bool nullDacl = false;
};

struct EventHandle : WaitableObject {
  explicit EventHandle(std::shared_ptr<Event> event) : event(std::move(event)) {}
  std::string Describe() const override {
    return event->name.empty() ? "event (unnamed)" : "event \"" + event->name + "\"";
  }
  bool Acquire() override {
    if (!event->signalled) return false;
    if (!event->manualReset) event->signalled = false;
    return true;
  }
  const void* WaitKey() const override { return event.get(); }
  std::shared_ptr<Event> event;
};

struct Events {
  // Every named event while a handle (or another process) holds it.
  std::map<std::string, std::weak_ptr<Event>> named;  // key: full name
  std::vector<std::shared_ptr<Event>> held;            // held by other processes
};

Events& E() {
  static Events events;
  return events;
}

bool Is95Family() { return M().version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS; }

// Terminal Services namespaces exist from NT 5.0 on.
bool HasSessions() { return M().version.dwPlatformId == VER_PLATFORM_WIN32_NT && M().version.dwMajorVersion >= 5; }

// The full name of an event that a program in `session` names `name`.
// Session 0's local namespace is the global one, as on Windows XP.
std::string FullName(const std::string& name, DWORD session) {
  if (!HasSessions() || name.compare(0, kGlobal.size(), kGlobal) == 0) return name;
  const std::string local = name.compare(0, kLocal.size(), kLocal) == 0 ? name.substr(kLocal.size()) : name;
  return session == 0 ? kGlobal + local : "Session\\" + std::to_string(session) + "\\" + local;
}

std::shared_ptr<Event> Existing(const std::string& fullName) {
  auto it = E().named.find(fullName);
  return it == E().named.end() ? nullptr : it->second.lock();
}

const SECURITY_DESCRIPTOR* DescriptorOf(const SECURITY_ATTRIBUTES* attributes) {
  return attributes ? static_cast<const SECURITY_DESCRIPTOR*>(attributes->lpSecurityDescriptor) : nullptr;
}

// A DACL marked present but given as no list: every user has full access.
bool HasNullDacl(const SECURITY_ATTRIBUTES* attributes) {
  const SECURITY_DESCRIPTOR* descriptor = DescriptorOf(attributes);
  return descriptor && (descriptor->Control & SE_DACL_PRESENT) && !descriptor->Dacl;
}

// "NULL", or "SA(inheritable, NULL DACL)" with "not inheritable", and
// "default DACL" (none present) or "DACL" (a list). The length is left out:
// it is the size of the structure on the platform at hand.
std::string SecurityArg(const SECURITY_ATTRIBUTES* attributes) {
  if (!attributes) return "NULL";
  const SECURITY_DESCRIPTOR* descriptor = DescriptorOf(attributes);
  const char* dacl = HasNullDacl(attributes)                                 ? "NULL DACL"
                     : descriptor && (descriptor->Control & SE_DACL_PRESENT) ? "DACL"
                                                                             : "default DACL";
  return std::string("SA(") + (attributes->bInheritHandle ? "inheritable" : "not inheritable") + ", " + dacl + ")";
}

// The descriptor functions are stubs on the 95 family.
bool RefusedOn95(const ApiCall& call) {
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return true;
  }
  if (!Is95Family()) return false;
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return true;
}

}  // namespace

void ResetEvents() { E() = Events{}; }

}  // namespace detail

using namespace detail;

void SetSessionId(DWORD session) {
  auto lock = Lock();
  M().sessionId = session;
}

void HoldNamedEvent(const std::string& name, DWORD session, bool nullDacl) {
  auto lock = Lock();
  const std::string fullName = FullName(name, session);
  std::shared_ptr<Event> event = Existing(fullName);
  if (!event) {
    event = std::make_shared<Event>();
    event->name = fullName;
    event->session = session;
    event->nullDacl = nullDacl;
    E().named[fullName] = event;
  }
  E().held.push_back(event);
}

std::vector<std::string> NamedEvents() {
  auto lock = Lock();
  std::vector<std::string> names;
  for (const auto& entry : E().named)
    if (!entry.second.expired()) names.push_back(entry.first);
  return names;
}

}  // namespace winsim

using namespace winsim::detail;

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name) {
  ApiCall call("CreateEventA", {Arg(name), Dec(manualReset), Dec(initialState), SecurityArg(attributes)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return nullptr;
  }
  const std::string fullName = name && *name ? FullName(name, M().sessionId) : std::string();
  std::shared_ptr<Event> event = fullName.empty() ? nullptr : Existing(fullName);
  if (event) {
    // Opening an existing event asks for full access, which a default DACL
    // grants only to the user who created it.
    if (HasSessions() && event->session != M().sessionId && !event->nullDacl) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    HANDLE handle = AddKernelObject(std::make_shared<EventHandle>(event));
    SetLastError(ERROR_ALREADY_EXISTS);
    return handle;
  }
  event = std::make_shared<Event>();
  event->name = fullName;
  event->manualReset = manualReset != FALSE;
  event->signalled = initialState != FALSE;
  event->session = M().sessionId;
  event->nullDacl = !Is95Family() && HasNullDacl(attributes);
  if (!fullName.empty()) E().named[fullName] = event;
  SetLastError(ERROR_SUCCESS);
  return AddKernelObject(std::make_shared<EventHandle>(event));
}

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
  ApiCall call("InitializeSecurityDescriptor", {Dec(revision)});
  if (RefusedOn95(call)) return FALSE;
  if (revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_UNKNOWN_REVISION);
    return FALSE;
  }
  auto* absolute = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
  *absolute = SECURITY_DESCRIPTOR{};
  absolute->Revision = SECURITY_DESCRIPTOR_REVISION;
  return TRUE;
}

BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl, BOOL daclDefaulted) {
  ApiCall call("SetSecurityDescriptorDacl", {Dec(daclPresent), dacl ? "ACL" : "NULL", Dec(daclDefaulted)});
  if (RefusedOn95(call)) return FALSE;
  auto* absolute = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
  if (absolute->Revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_UNKNOWN_REVISION);
    return FALSE;
  }
  if (absolute->Control & SE_SELF_RELATIVE) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  // As Windows does it: without a DACL only the flag changes.
  if (!daclPresent) {
    absolute->Control &= ~SE_DACL_PRESENT;
    return TRUE;
  }
  absolute->Control |= SE_DACL_PRESENT;
  absolute->Dacl = dacl;
  if (daclDefaulted)
    absolute->Control |= SE_DACL_DEFAULTED;
  else
    absolute->Control &= ~SE_DACL_DEFAULTED;
  return TRUE;
}
