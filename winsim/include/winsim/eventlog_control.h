// winsim: the events the program wrote to the event log, for tests.
#ifndef WINSIM_EVENTLOG_CONTROL_H
#define WINSIM_EVENTLOG_CONTROL_H

#include <string>
#include <vector>

#include "windows.h"

namespace winsim {

// Every event that ReportEventA wrote, in order: the source it was
// registered under, its type, category and id, and its insert strings as
// passed (bytes in the simulated ANSI code page). A failed call writes
// nothing. Only this computer's log is modelled: a server name other than
// NULL or "" fails with RPC_S_SERVER_UNAVAILABLE (1722).
struct ReportedEvent {
  std::string source;
  WORD type = 0;
  WORD category = 0;
  DWORD id = 0;
  std::vector<std::string> strings;
};
std::vector<ReportedEvent> ReportedEvents();

}  // namespace winsim

#endif  // WINSIM_EVENTLOG_CONTROL_H
