// winsim: the reset of every area of the machine, in dependency order, and
// the list of what the areas still hold open.
#include "machine.h"

namespace winsim {
namespace detail {

void ResetExpansion();  // expand.cpp: setupapi.dll and LZ32 handles
void ResetFirewall();   // firewall_policy.cpp: COM, BSTRs and the firewall policy
void ResetServices();   // services.cpp: the service control manager
void ResetDesktop();    // desktop.cpp: windows and processes
void ResetSessions();   // sessions.cpp: Wtsapi32.dll and its sessions
void ResetPrinters();   // printers.cpp: local printers and zamgik.dll
void ResetEvents();     // events.cpp: named events
void ResetMessageWindows();  // messages.cpp: the tool's windows with message queues
void ResetMessageBoxes();  // message_boxes.cpp: boxes shown and queued answers
void ResetShutdown();   // shutdown.cpp: the token, ADVAPI32.DLL and restart requests
void ResetEventLog();   // eventlog.cpp: the events written

// Each area appends one line per resource it still holds open.
void ReportOpenFiles(std::vector<std::string>& out);     // fs.cpp, lz32.cpp: find and LZ handles
void ReportOpenKeys(std::vector<std::string>& out);      // registry.cpp
void ReportLoadedModules(std::vector<std::string>& out); // modules.cpp
void ReportKernelObjects(std::vector<std::string>& out); // kernel_objects.cpp
void ReportOpenServices(std::vector<std::string>& out);  // services.cpp
void ReportOpenSessions(std::vector<std::string>& out);  // sessions.cpp
void ReportOpenManagers(std::vector<std::string>& out);  // printers.cpp
void ReportComLeftovers(std::vector<std::string>& out);  // com.cpp: objects, BSTRs, apartments
void ReportLiveThreads(std::vector<std::string>& out);   // scheduler.cpp

void ResetAreas() {
  ResetFileSystem();
  ResetRegistry();
  ResetModules();
  ResetExpansion();
  ResetFirewall();
  ResetServices();
  ResetDesktop();
  ResetSessions();
  ResetPrinters();
  ResetEvents();
  ResetMessageWindows();
  ResetMessageBoxes();
  ResetShutdown();
  ResetEventLog();
}

}  // namespace detail

std::vector<std::string> OpenResources() {
  auto lock = detail::Lock();
  std::vector<std::string> out;
  detail::ReportOpenFiles(out);
  detail::ReportOpenKeys(out);
  detail::ReportLoadedModules(out);
  detail::ReportKernelObjects(out);
  detail::ReportOpenServices(out);
  detail::ReportOpenSessions(out);
  detail::ReportOpenManagers(out);
  detail::ReportComLeftovers(out);
  detail::ReportLiveThreads(out);
  return out;
}

}  // namespace winsim
