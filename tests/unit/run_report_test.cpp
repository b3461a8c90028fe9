// The event at the end of a run: its type, id and text with its inserts for
// each outcome, the source's registration, and that a log that refuses the
// event changes nothing else.
#include <gtest/gtest.h>

#include "app/run_report.h"
#include "sim_fixture.h"
#include "tool_messages.h"
#include "winsim/eventlog_control.h"
#include "winsim/ui_control.h"

namespace {

// The event's text as Event Viewer shows it: the message with its inserts.
std::string Rendered(const winsim::ReportedEvent& event) {
  std::string text = ToolMessageTable().at(event.id);
  for (size_t n = event.strings.size(); n >= 1; --n) {
    const std::string marker = "%" + std::to_string(n);
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at))
      text.replace(at, marker.size(), winsim::FromAnsi(event.strings[n - 1]));
  }
  return text;
}

RunReport SilentSetup(uint32_t exitCode) {
  RunReport report;
  report.mode = 3;
  report.exitCode = exitCode;
  report.workDone = exitCode == 0 || exitCode == 3010 || exitCode == 6;
  return report;
}

class RunReportTest : public SimTest {};

TEST_F(RunReportTest, OneEventPerOutcomeWithItsTypeIdAndInserts) {
  struct Row {
    const char* what;
    RunReport report;
    WORD type;
    DWORD id;                     // as Event Viewer shows it (the low word)
    std::vector<std::string> lines;  // lines the text must hold
  };
  RunReport updated = SilentSetup(0);
  updated.exceptions[0] = updated.exceptions[1] = 2;
  updated.sharing = SharingOn;
  updated.files[0] = FileReplaced;
  updated.files[1] = FileReplaced;
  updated.service = updated.panel = SuiteRestarted;
  RunReport pending = updated;
  pending.exitCode = 3010;
  pending.noRestart = 1;
  pending.scopeAny = 1;
  pending.files[1] = FileAtRestart;
  pending.restart = RestartLeftPending;
  RunReport restarted = pending;
  restarted.exitCode = 0;
  restarted.noRestart = 0;
  restarted.restart = RestartRequested;
  RunReport declined = pending;
  declined.exitCode = 0;
  declined.mode = 1;
  RunReport suiteDown = updated;
  suiteDown.service = SuiteNotRestarted;
  RunReport removed = SilentSetup(0);
  removed.mode = 2;
  removed.exceptions[0] = 2;
  removed.exceptions[1] = 1;
  removed.sharing = SharingOff;
  RunReport cancelled = SilentSetup(0);
  cancelled.mode = 1;
  cancelled.workDone = 0;
  RunReport refused = SilentSetup(6);
  refused.exceptions[0] = 2;
  refused.sharing = SharingFailed;

  const Row rows[] = {
      {"updated", updated, EVENTLOG_INFORMATION_TYPE, 1000,
       {"Kestrovane の設定が完了しました。", "実行モード: サイレント セットアップ (S)", "終了コード: 0",
        "ファイアウォールの例外 (ドメイン プロファイル): 追加しました", "ファイルとプリンタの共有: 有効にしました",
        "ZAMPUX.DLL: 新しい版に置き換えました", "状態サーバー サービス ZAMWTQNT: 停止し、再び開始しました",
        "Windows の再起動: 必要ありません"}},
      {"S A N, a file waits", pending, EVENTLOG_INFORMATION_TYPE, 1001,
       {"実行モード: サイレント セットアップ、すべてのアドレス、再起動なし (S A N)", "終了コード: 3010",
        "ZAMWTQNT.EXE: 次回の Windows の起動時に置き換えます", "Windows の再起動: 必要ですが、実行していません"}},
      {"S A, restarted", restarted, EVENTLOG_INFORMATION_TYPE, 1000,
       {"実行モード: サイレント セットアップ、すべてのアドレス (S A)", "Windows の再起動: 要求しました"}},
      {"wizard, restart declined", declined, EVENTLOG_WARNING_TYPE, 1100,
       {"実行モード: セットアップ ウィザード", "終了コード: 0", "Windows の再起動: 必要ですが、実行していません"}},
      {"service not started again", suiteDown, EVENTLOG_WARNING_TYPE, 1101,
       {"状態サーバー サービス ZAMWTQNT: 停止しましたが、再び開始できませんでした",
        "状態パネル ZAMBAZ.EXE: 停止し、再び開始しました"}},
      {"removal", removed, EVENTLOG_INFORMATION_TYPE, 1002,
       {"実行モード: 削除 (D)", "ファイアウォールの例外 (ドメイン プロファイル): 削除しました",
        "ファイアウォールの例外 (標準プロファイル): 一部だけ変更しました", "ファイルとプリンタの共有: 無効にしました"}},
      {"cancelled", cancelled, EVENTLOG_INFORMATION_TYPE, 1003, {"実行モード: セットアップ ウィザード"}},
      {"no firewall", SilentSetup(2), EVENTLOG_ERROR_TYPE, 1202,
       {"終了コード: 2", "ファイアウォールの例外 (標準プロファイル): 変更していません"}},
      {"not an administrator", SilentSetup(3), EVENTLOG_ERROR_TYPE, 1203, {"終了コード: 3"}},
      {"suite missing", SilentSetup(4), EVENTLOG_ERROR_TYPE, 1204, {"終了コード: 4"}},
      {"no exceptions", SilentSetup(5), EVENTLOG_ERROR_TYPE, 1205, {"終了コード: 5"}},
      {"change refused", refused, EVENTLOG_ERROR_TYPE, 1206,
       {"終了コード: 6", "ファイアウォールの例外 (ドメイン プロファイル): 追加しました",
        "ファイルとプリンタの共有: 変更できませんでした", "ZAMPUX.DLL: 変更していません"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FreshMachine();
    EXPECT_EQ(ReportRun(row.report), 0);
    const auto events = winsim::ReportedEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].source, "KV_UPDAT");
    EXPECT_EQ(events[0].type, row.type);
    EXPECT_EQ(events[0].id & 0xFFFF, row.id);
    EXPECT_EQ(events[0].strings.size(), 10u);
    const std::string text = Rendered(events[0]);
    for (const std::string& line : row.lines) EXPECT_NE(text.find(line + "\r\n"), std::string::npos) << line;
  }
}

TEST_F(RunReportTest, TheSourceIsRegisteredWithTheProgramAsItsMessageFile) {
  winsim::SetModuleFileName("D:\\DEPLOY\\KV\\KV_UPDAT.EXE");
  ASSERT_EQ(ReportRun(SilentSetup(0)), 0);
  const char key[] = "SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\KV_UPDAT";
  DWORD type = 0;
  std::vector<uint8_t> data;
  ASSERT_TRUE(winsim::RegistryValue(HKEY_LOCAL_MACHINE, key, "EventMessageFile", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  const char path[] = "D:\\DEPLOY\\KV\\KV_UPDAT.EXE";
  EXPECT_EQ(data, std::vector<uint8_t>(path, path + sizeof path));
  ASSERT_TRUE(winsim::RegistryValue(HKEY_LOCAL_MACHINE, key, "TypesSupported", &type, &data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, (std::vector<uint8_t>{7, 0, 0, 0}));
}

// Whatever part fails, the run goes on as it would have: only the event
// (or its registration, or a word of it) is missing, and nothing is left
// open (the fixture checks that).
TEST_F(RunReportTest, AFailingLogChangesNothingElse) {
  struct Row {
    const char* call;
    int64_t error;
    int result;
    size_t events;
  };
  const Row rows[] = {
      {"RegisterEventSourceA", ERROR_ACCESS_DENIED, -1, 0},
      {"ReportEventA", 1502 /* ERROR_LOG_FILE_FULL */, -1, 0},
      {"RegCreateKeyExA", ERROR_ACCESS_DENIED, 0, 1},
      {"RegSetValueExA", ERROR_ACCESS_DENIED, 0, 1},
      {"FormatMessageA", ERROR_MR_MID_NOT_FOUND, 0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.call);
    FreshMachine();
    winsim::InjectFault(row.call, row.error, "", 0, 1);
    EXPECT_EQ(ReportRun(SilentSetup(0)), row.result);
    EXPECT_EQ(winsim::ReportedEvents().size(), row.events);
    EXPECT_TRUE(winsim::MessageBoxes().empty());
  }
}

}  // namespace
