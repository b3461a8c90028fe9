// What one run did, told at its end in one event of the Application log
// (ReportRun). The runners fill it as the run goes; a field the run never
// reached keeps its "not reached" value.
#ifndef KV_APP_RUN_REPORT_H
#define KV_APP_RUN_REPORT_H

#include <cstdint>

#include "win32api.h"

// How a File and Printer Sharing, file or suite item ended.
enum ReportSharing : int32_t { SharingUnchanged = 0, SharingOn, SharingOff, SharingFailed };
enum ReportFile : int32_t { FileUnchanged = 0, FileReplaced, FileAtRestart, FileFailed };
enum ReportSuite : int32_t { SuiteAsFound = 0, SuiteRestarted, SuiteNotRestarted };
enum ReportRestart : int32_t { RestartNotNeeded = 0, RestartRequested, RestartLeftPending };

struct RunReport {
  int32_t mode = 0;       // RunMode: 1 Setup wizard, 2 Removal, 3 silent Setup
  BOOL scopeAny = 0;      // silent Setup: A
  BOOL noRestart = 0;     // silent Setup: N
  uint32_t exitCode = 0;  // the process exit code
  BOOL workDone = 0;      // the work sequence ran (not cancelled, no pre-check failed)
  // Per profile (domain, standard): how many of the suite's two programs
  // were authorized (Setup) or removed (Removal).
  int32_t exceptions[2] = {0, 0};
  int32_t sharing = SharingUnchanged;
  int32_t files[2] = {FileUnchanged, FileUnchanged};  // ZAMPUX.DLL, ZAMWTQNT.EXE
  int32_t service = SuiteAsFound;                     // the status server service
  int32_t panel = SuiteAsFound;                       // the status panel
  int32_t restart = RestartNotNeeded;
};

// The event's id (its severity in the top two bits gives its type) and type
// for a report.
DWORD RunEventId(const RunReport& report);
WORD RunEventType(DWORD eventId);

// Registers the tool as the event source "KV_UPDAT" of the Application log
// (the message file is the program itself, wherever it was copied) and
// writes one event for the report. An event that cannot be registered or
// written changes nothing else: the result is only returned (0 written,
// -1 not).
int ReportRun(const RunReport& report);

#endif  // KV_APP_RUN_REPORT_H
