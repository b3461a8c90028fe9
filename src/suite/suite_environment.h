// The installed printer-status suite as this run finds it, and the stop and
// restart of its status server and status panel around the program update.
//
// One object lives for one update: constructed, filled once by DetectSuite,
// then IsSpoolerRunning, StopStatusServer and RestartStatusServer; its
// destruction closes the service control manager. It only reads the
// installation; what it changes is the running state of the status server
// service and of the status panel program, and the status manager's
// "ServerConnection" value of the suite's printers.
#ifndef KV_SUITE_SUITE_ENVIRONMENT_H
#define KV_SUITE_SUITE_ENVIRONMENT_H

#include <cstdint>
#include <string>

#include "suite/service_control.h"

// One program of the suite: its full path (empty until examined) and whether
// it was found (what "found" means depends on the program; see DetectSuite).
struct SuiteProgram {
  std::string path;
  int32_t detected = 0;
};

// The status panel's main window, and the message that asks it to close.
extern const char kStatusPanelWindowClass[];  // "BAZWndClass"
extern const char kStatusPanelWindowTitle[];  // "Kestrovane"
const UINT kStatusPanelCloseMessage = WM_USER + 6;  // 1030

class SuiteEnvironment {
 public:
  SuiteEnvironment();
  virtual ~SuiteEnvironment();
  SuiteEnvironment(const SuiteEnvironment&) = delete;
  SuiteEnvironment& operator=(const SuiteEnvironment&) = delete;

  // Finds the suite: -1 the version of Windows cannot be read (nothing
  // changed), 0 the suite is not installed (no program examined), 1 filled.
  // On the NT family the service control manager is opened here.
  //   program        file (95 family / NT)            directory  found when
  //   yemProgram     ZAMYEM95.EXE / ZAMYEMNT.EXE      system     the file exists
  //   jofProgram     ZAMJOF95.EXE / ZAMJOFNT.EXE      system     the file exists
  //   statusServer   ZAMWTQ95.EXE / ZAMWTQNT.EXE      system     + service ZAMWTQNT not stopped (NT),
  //                                                              or a ZAMWTQ run-services value (95)
  //   drxProgram     ZAMDRX95.EXE / ZAMDRXNT.EXE      system     + service ZAMDRX not stopped (NT),
  //                                                              or a ZAMDRX run-services value (95)
  //   vodProgram     - / ZAMVODNT.EXE                 system     + service ZAMVOD not stopped (NT only)
  //   kltProgram     ZAMKLT95.EXE / ZAMKLTNT.EXE      install    the file exists
  //   statusPanel    ZAMBAZ.EXE                       system     the file exists
  int32_t DetectSuite();

  // The directory of the suite's uninstall command: among the uninstall
  // entries whose names begin with "Kestrovane" and have a REG_SZ
  // "UninstallString", the one named "Kestrovane 1.2" (any case) if there is
  // one, else the one with the greatest name; the directory is the command
  // up to and including its last backslash (empty without one). 1 found,
  // 0 not (`directory` then empty).
  int32_t FindInstallDirectory(std::string& directory);

  // 1 when a value of that name exists under either run-services key of the
  // 95 family.
  int32_t IsRunServicesEntry(const std::string& valueName);

  // 1 when the print spooler service exists and is not stopped. Always 0
  // while the service control manager is not open (95 family, suite not
  // installed, or the manager refused).
  int32_t IsSpoolerRunning();

  // Hands the printers' status over (HandOffPrinterStatus), closes the
  // status panel, and stops the status server service, in this order, each
  // step whatever the previous one did. 1 when the service is stopped
  // afterwards; 0 otherwise or when the suite is not installed (then nothing
  // is done). What it took down is kept in `serverStopped` and
  // `panelClosed`.
  int32_t StopStatusServer();

  // After StopStatusServer, whatever it gave: starts the status server
  // service if it ran when the suite was detected or the stop asked it to
  // stop, then starts the status panel if its program file was found or the
  // stop closed it, unless a panel window is open now (one that did not
  // close, or could not be found to be closed). A panel whose path detection
  // could not build is started from the system directory read again. 0 when
  // the suite is not installed (nothing is done), else 1; whether Windows
  // started them is not looked at.
  int32_t RestartStatusServer();

  // While the status panel runs: for every local printer whose driver is one
  // of the suite's ("ZAM " and a model of SOFTWARE\ZAM\Kestrovane\Printers
  // that has "Status Variables"), writes 0 to its "ServerConnection" status
  // through the status manager library "zamgik.dll", then pauses 5 s
  // whenever the library was loaded.
  void HandOffPrinterStatus();

  int32_t isWin9x;
  int32_t isInstalled;
  ServiceControl services;
  SuiteProgram kltProgram;
  SuiteProgram statusServer;
  SuiteProgram jofProgram;
  SuiteProgram drxProgram;
  SuiteProgram vodProgram;
  SuiteProgram yemProgram;
  SuiteProgram statusPanel;
  // What StopStatusServer took down, whatever detection said: a stop was
  // requested of the status server service; the panel's window was asked to
  // close.
  int32_t serverStopped;
  int32_t panelClosed;
  // What RestartStatusServer brought back: the service runs again (its
  // start reached running); the panel's program was started again.
  int32_t serverRestarted;
  int32_t panelRelaunched;
};

// The system directory ending in a backslash; empty when it cannot be read.
std::string SystemDirectoryPath();

// The status panel's program file in the system directory.
extern const char kStatusPanelFile[];  // "ZAMBAZ.EXE"

#endif  // KV_SUITE_SUITE_ENVIRONMENT_H
