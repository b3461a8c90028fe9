// One instance of the tool at a time, marked by a named event that lives as
// long as the instance.
#ifndef KV_APP_INSTANCE_GUARD_H
#define KV_APP_INSTANCE_GUARD_H

#include <cstdint>

#include "win32api.h"

// The guard's name; on Windows 2000 and later it is created as
// "Global\Patch::KV_UPDAT", open to every account, so that an instance in any
// Terminal Services session counts.
extern const char kInstanceEventName[];

// Creates (or opens) the guard's event, auto-reset and not signalled, and
// hands it to `event` (null when it could not be created: the tool then runs
// unguarded); the caller closes it when the tool ends. 1 when another
// instance already holds it, else 0.
int32_t AcquireInstanceGuard(HANDLE& event);

#endif  // KV_APP_INSTANCE_GUARD_H
