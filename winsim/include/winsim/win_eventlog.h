// winsim: writing to the event log (RegisterEventSourceA, ReportEventA,
// DeregisterEventSource).
#ifndef WINSIM_WIN_EVENTLOG_H
#define WINSIM_WIN_EVENTLOG_H

#include "win_types.h"

typedef void* PSID;

#define EVENTLOG_SUCCESS 0x0000
#define EVENTLOG_ERROR_TYPE 0x0001
#define EVENTLOG_WARNING_TYPE 0x0002
#define EVENTLOG_INFORMATION_TYPE 0x0004

HANDLE RegisterEventSourceA(LPCSTR uncServerName, LPCSTR sourceName);
BOOL ReportEventA(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID userSid, WORD numStrings,
                  DWORD dataSize, LPCSTR* strings, LPVOID rawData);
BOOL DeregisterEventSource(HANDLE eventLog);

#endif  // WINSIM_WIN_EVENTLOG_H
