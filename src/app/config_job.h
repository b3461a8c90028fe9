// The job of one run: the pre-checks of its mode, then the Setup or Removal
// work on one worker thread, reported through `result` and `restartNeeded`.
#ifndef KV_APP_CONFIG_JOB_H
#define KV_APP_CONFIG_JOB_H

#include <cstdint>

#include "app/run_report.h"
#include "common/job_protocol.h"
#include "firewall/firewall_setting.h"
#include "update/program_update.h"
#include "win32api.h"

class ConfigJob : public WorkerJob {
 public:
  ConfigJob();
  ~ConfigJob() override;
  ConfigJob(const ConfigJob&) = delete;
  ConfigJob& operator=(const ConfigJob&) = delete;

  // The checks of a mode, the first failure deciding: the firewall can be
  // reached (else 2), the user is an administrator (else 3), then for Setup
  // the suite is installed (else 4), for Removal the suite has exceptions
  // (else 5). Stored in `result` and returned.
  int32_t PreCheck(int32_t mode);

  // Starts the work of `mode` on a worker thread, with the user's choice
  // (Setup: open the exceptions to any address; Removal: also switch File
  // and Printer Sharing off). The worker posts WM_JOB_STARTED and
  // WM_JOB_FINISHED to `owner` when there is one; the second message is
  // posted again until it is queued or the window is gone. A job works at
  // most once: a second Start while a worker exists changes nothing (true).
  // If the thread cannot be started, `workerThread` stays empty, `result`
  // is JobFirewallChangeFailed (nothing was done), and the answer is false;
  // a later Start may try again.
  bool Start(HWND owner, int32_t mode, BOOL choice) override;

  // Joins the worker, without a time limit; at once when none was started.
  // It returns only once the worker has ended, also when a wait fails.
  void Wait() override;

  // The worker's body: the sequence of `mode`, its result stored.
  void Run();

  // The firewall exceptions, then the program update when a shipped file is
  // newer, stopping and restarting the suite around it where that is safe.
  // 0, or 6 when the firewall could not be changed (nothing else is done).
  int32_t SetupSequence(int32_t& restartNeeded);
  // The suite's exceptions removed when there are any: 0, or 6.
  int32_t RemovalSequence();

  HWND ownerWindow;
  HANDLE workerThread;
  ProgramUpdate programUpdate;
  FirewallSetting firewallSetting;
  int32_t mode;
  int32_t result;
  int32_t restartNeeded;
  // What became of the status server service and the status panel
  // (ReportSuite), for the run's report.
  int32_t serverOutcome;
  int32_t panelOutcome;
};

#endif  // KV_APP_CONFIG_JOB_H
