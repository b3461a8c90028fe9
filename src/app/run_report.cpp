// The event at the end of a run: its id and type from the report, its
// inserts as words of the program's own message table (so that they are in
// the system's language and code page, like every other text of the tool),
// and the registration of the source that lets Event Viewer find the texts.
#include "app/run_report.h"

#include <cstddef>
#include <string>

#include "app/event_messages.h"

namespace {

const char kSource[] = "KV_UPDAT";
const char kSourceKey[] = "SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\KV_UPDAT";
const DWORD kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
const int kInsertCount = 10;

// A word of the message table without its line end; empty when it cannot
// be read (the event is written all the same).
std::string Word(DWORD id) {
  char buffer[256] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, id, 0,
                                buffer, sizeof buffer, nullptr);
  while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r')) --length;
  return std::string(buffer, length);
}

DWORD ModeWord(const RunReport& report) {
  if (report.mode == 1) return MSG_MODE_WIZARD;
  if (report.mode == 2) return MSG_MODE_REMOVAL;
  if (report.noRestart) return report.scopeAny ? MSG_MODE_SILENT_ANY_NO_RESTART : MSG_MODE_SILENT_NO_RESTART;
  return report.scopeAny ? MSG_MODE_SILENT_ANY : MSG_MODE_SILENT;
}

DWORD ExceptionsWord(const RunReport& report, int32_t changed) {
  if (changed <= 0) return MSG_NOT_CHANGED;
  if (changed == 1) return MSG_EXCEPTIONS_PARTLY;
  return report.mode == 2 ? MSG_EXCEPTIONS_REMOVED : MSG_EXCEPTIONS_ADDED;
}

// The word for a value of one of the report's enumerations, listed in its
// order; the first for a value out of range.
template <size_t N>
DWORD Pick(int32_t value, const DWORD (&words)[N]) {
  return value >= 0 && static_cast<size_t>(value) < N ? words[value] : words[0];
}

// The registration Event Viewer reads; made again on every run, since the
// tool runs from wherever it was copied. Failing is harmless: the event is
// still written, only shown without its text.
void RegisterSource() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSourceKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, "EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path), length + 1);
  RegSetValueExA(key, "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kTypesSupported),
                 sizeof kTypesSupported);
  RegCloseKey(key);
}

}  // namespace

DWORD RunEventId(const RunReport& report) {
  switch (report.exitCode) {
    case 2: return MSG_FIREWALL_UNAVAILABLE;
    case 3: return MSG_NOT_ADMINISTRATOR;
    case 4: return MSG_SUITE_NOT_INSTALLED;
    case 5: return MSG_NO_SUITE_EXCEPTIONS;
    case 6: return MSG_FIREWALL_CHANGE_FAILED;
    case 3010: return MSG_SETUP_DONE_RESTART_PENDING;
    default: break;
  }
  if (!report.workDone) return MSG_NOTHING_DONE;
  if (report.mode == 2) return MSG_REMOVAL_DONE;
  if (report.restart == RestartLeftPending) return MSG_SETUP_DONE_RESTART_LEFT;
  if (report.service == SuiteNotRestarted || report.panel == SuiteNotRestarted) return MSG_SETUP_DONE_SUITE_DOWN;
  return MSG_SETUP_DONE;
}

WORD RunEventType(DWORD eventId) {
  switch (eventId >> 30) {
    case 3: return EVENTLOG_ERROR_TYPE;
    case 2: return EVENTLOG_WARNING_TYPE;
    default: return EVENTLOG_INFORMATION_TYPE;
  }
}

int ReportRun(const RunReport& report) {
  static const DWORD kSharing[] = {MSG_NOT_CHANGED, MSG_SHARING_ON, MSG_SHARING_OFF, MSG_SHARING_FAILED};
  static const DWORD kFile[] = {MSG_FILE_UNCHANGED, MSG_FILE_REPLACED, MSG_FILE_AT_RESTART, MSG_FILE_FAILED};
  static const DWORD kSuite[] = {MSG_SUITE_AS_FOUND, MSG_SUITE_RESTARTED, MSG_SUITE_NOT_RESTARTED};
  static const DWORD kRestart[] = {MSG_RESTART_NOT_NEEDED, MSG_RESTART_REQUESTED, MSG_RESTART_LEFT};
  const std::string inserts[kInsertCount] = {
      Word(ModeWord(report)),
      std::to_string(report.exitCode),
      Word(ExceptionsWord(report, report.exceptions[0])),
      Word(ExceptionsWord(report, report.exceptions[1])),
      Word(Pick(report.sharing, kSharing)),
      Word(Pick(report.files[0], kFile)),
      Word(Pick(report.files[1], kFile)),
      Word(Pick(report.service, kSuite)),
      Word(Pick(report.panel, kSuite)),
      Word(Pick(report.restart, kRestart)),
  };
  LPCSTR strings[kInsertCount];
  for (int i = 0; i < kInsertCount; ++i) strings[i] = inserts[i].c_str();

  RegisterSource();
  HANDLE source = RegisterEventSourceA(nullptr, kSource);
  if (!source) return -1;
  const DWORD id = RunEventId(report);
  const BOOL written =
      ReportEventA(source, RunEventType(id), 0, id, nullptr, kInsertCount, 0, strings, nullptr);
  DeregisterEventSource(source);
  return written ? 0 : -1;
}
