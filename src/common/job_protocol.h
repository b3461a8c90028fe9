// What the job of a run and the dialog that runs it share: the job's results
// and modes, the two messages its worker posts to the dialog, and what the
// dialog may ask of the job. The job (app/) and the dialogs (ui/) both build
// on this; neither needs the other's headers.
#ifndef KV_COMMON_JOB_PROTOCOL_H
#define KV_COMMON_JOB_PROTOCOL_H

#include <cstdint>

#include "win32api.h"

// Results of a job (1 is not one of them: exit code 1 means a second
// instance).
enum JobResult : int32_t {
  JobOk = 0,
  JobFirewallUnavailable = 2,
  JobNotAdministrator = 3,
  JobSuiteNotInstalled = 4,
  JobNoSuiteExceptions = 5,
  JobFirewallChangeFailed = 6,
};

// Modes of a job.
const int32_t JobModeSetup = 1;
const int32_t JobModeRemoval = 2;

// Posted to the owner window by the worker, both parameters 0.
const UINT WM_JOB_STARTED = WM_USER + 1;   // 1025, first thing on the worker
const UINT WM_JOB_FINISHED = WM_USER + 2;  // 1026, after the result is stored

// The work a dialog starts on a worker thread and joins when the worker
// reports its end.
class WorkerJob {
 public:
  virtual ~WorkerJob() = default;
  // Starts the work of `mode` with the user's choice; the worker posts
  // WM_JOB_STARTED and WM_JOB_FINISHED to `owner`. False when no worker
  // could be started: nothing is done and nothing will be posted, and the
  // job's result says that the work failed.
  virtual bool Start(HWND owner, int32_t mode, BOOL choice) = 0;
  // Joins the worker; returns only once it has ended.
  virtual void Wait() = 0;
};

#endif  // KV_COMMON_JOB_PROTOCOL_H
