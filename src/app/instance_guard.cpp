#include "app/instance_guard.h"

#include <string>

#include "common/os_level.h"

const char kInstanceEventName[] = "Patch::KV_UPDAT";

int32_t AcquireInstanceGuard(HANDLE& event) {
  std::string name = kInstanceEventName;
  SECURITY_DESCRIPTOR descriptor;
  SECURITY_ATTRIBUTES attributes = {};
  LPSECURITY_ATTRIBUTES security = nullptr;
  if (GetOsLevel() >= OsLevelNt5) {
    // A NULL DACL: an instance run by another user in another session can
    // open the event too, and so sees this one.
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = TRUE;
    security = &attributes;
    name = "Global\\" + name;
  }
  event = CreateEventA(security, FALSE, FALSE, name.c_str());
  return event && GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0;
}
