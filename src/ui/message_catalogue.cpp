#include "ui/message_catalogue.h"

#include <string>

#include "common/job_protocol.h"
#include "ui/dialog_ids.h"
#include "ui/string_table.h"
#include "win32api.h"

namespace {

const int32_t kEitherMode = 0;

// The text of a failed pre-check or run, by its result and mode.
const struct {
  int32_t code;
  int32_t mode;
  UINT text;
} kResultTexts[] = {
    {JobFirewallUnavailable, kEitherMode, kTextFirewallUnavailable},
    {JobNotAdministrator, kEitherMode, kTextNotAdministrator},
    {JobSuiteNotInstalled, JobModeSetup, kTextSuiteNotInstalled},
    {JobNoSuiteExceptions, JobModeRemoval, kTextNoSuiteExceptions},
    {JobFirewallChangeFailed, kEitherMode, kTextFirewallChangeFailed},
};

int ShowBox(UINT text, UINT style) {
  const std::string body = LoadTableText(text);
  const std::string caption = LoadTableText(kTextTitle);
  return MessageBoxA(nullptr, body.c_str(), caption.c_str(), style);
}

}  // namespace

int ShowResultMessage(int32_t mode, int32_t code) {
  for (const auto& row : kResultTexts)
    if (row.code == code && (row.mode == kEitherMode || row.mode == mode)) return ShowBox(row.text, MB_OK);
  return 0;
}

int ShowDoneMessage(int32_t mode) { return ShowBox(mode == JobModeSetup ? kTextSetupDone : kTextRemovalDone, MB_OK); }

int32_t AskRestart() { return ShowBox(kTextAskRestart, MB_YESNO) == IDYES ? 1 : 0; }
