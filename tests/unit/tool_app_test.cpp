// The application from start to end: which runner each command line starts,
// what each run shows, its exit code, its restart, and two whole runs driven
// by a scripted user on the virtual clock.
#include <algorithm>

#include "app/tool_app.h"
#include "dialog_fixture.h"
#include "suite_fixture.h"
#include "ui/dialog_ids.h"
#include "update_fixture.h"
#include "winsim/eventlog_control.h"
#include "winsim/firewall_control.h"
#include "winsim/printer_control.h"
#include "winsim/thread_control.h"
#include "winsim/ui_control.h"

namespace {

const char* kDll = "C:\\WINDOWS\\system32\\ZAMPUX.DLL";
const char* kDllShipped = "C:\\KVTOOL\\ZAMPUX.DL_";
const char* kExeShipped = "C:\\KVTOOL\\ZAMWTQNT.EX_";

// A box as the user saw it: the text (UTF-8) and the style; caption and
// owner are checked for every box.
struct Box {
  std::string text;
  UINT style;
  bool operator==(const Box& other) const { return text == other.text && style == other.style; }
};
std::ostream& operator<<(std::ostream& out, const Box& box) { return out << "[" << box.text << "] style " << box.style; }

const std::string kTitle = "Windows(R) XP SP2 対応 Kestrovane 設定ツール";
const Box kSetupDone{"設定を完了しました。\n", MB_OK};
const Box kRemovalDone{"設定の削除を完了しました。\n", MB_OK};
const Box kAskRestart{"設定を完了しました。\nKestrovaneを正常に動作させる為には再起動を行う必要があります。\n今すぐ再起動しますか？", MB_YESNO};
const Box kFirewallUnavailable{"ご使用のOSでは、本プログラムでの設定変更の必要はありません。\nプログラムを終了します。", MB_OK};
const Box kNotAdministrator{"実行権限がありません。\n本プログラムは、コンピュータの管理者で実行してください。", MB_OK};
const Box kNotInstalled{"Windows ファイアウォール の設定変更は必要ありません。\nKestrovane がインストールされていません。", MB_OK};
const Box kNoExceptions{"Windows ファイアウォール の設定削除は必要ありません。\n設定変更を行ったことが無いか、すでに設定の削除を完了しています。", MB_OK};
const Box kChangeFailed{"Windows ファイアウォール の設定変更に失敗しました。\n詳しくは、システム管理者にお問い合わせください。", MB_OK};
const std::string kRestartText =
    "'Windows(R) XP SP2 対応 Kestrovane 設定ツール' での設定を完了するために、システムの再起動が実行されました。";

class ToolAppTest : public SuiteTest {
 protected:
  // The suite installed with its communication program, the shipped files
  // as old as the installed ones, and the read-me beside the tool.
  void SetUp() override {
    SuiteTest::SetUp();
    InstallSuite();
    winsim::AddFile(kServer, VersionedImage({2, 300, 0, 1}, "exe"));
    winsim::AddFile(kDll, VersionedImage({2, 300, 0, 1}, "dll"));
    winsim::AddFile(kExeShipped, Compressed(VersionedImage({2, 300, 0, 1}, "exe")));
    winsim::AddFile(kDllShipped, Compressed(VersionedImage({2, 300, 0, 1}, "dll")));
    WriteReadme(40);
  }
  // One run of the tool with these arguments: its exit code.
  int Run(std::vector<std::string> arguments) {
    ToolApp app(user, std::move(arguments));
    EXPECT_EQ(app.InitInstance(), FALSE);
    return app.ExitInstance();
  }
  // The boxes shown; each without owner, with the tool's title, no icon.
  static std::vector<Box> Boxes() {
    std::vector<Box> boxes;
    for (const winsim::MessageBoxRecord& box : winsim::MessageBoxes()) {
      EXPECT_EQ(box.owner, nullptr);
      EXPECT_EQ(winsim::FromAnsi(box.caption), kTitle);
      EXPECT_EQ(box.style & 0xF0u, 0u) << "no icon";
      boxes.push_back({winsim::FromAnsi(box.text), box.style});
    }
    return boxes;
  }
  static void ShipNewerServer() { winsim::AddFile(kExeShipped, Compressed(VersionedImage({2, 300, 407, 9}, "exe"))); }
  static void ShipNewerLibraryInUse() {
    winsim::AddFile(kDllShipped, Compressed(VersionedImage({2, 300, 407, 9}, "dll")));
    winsim::SetInUse(kDll);
  }
  static void SeedSuiteExceptions() {
    for (NET_FW_PROFILE_TYPE profile : {NET_FW_PROFILE_DOMAIN, NET_FW_PROFILE_STANDARD})
      winsim::SeedFirewallApp(profile, {"Kestrovane", kPanel});
  }
  static std::vector<UserAction> Agree(bool scopeAny = false, std::vector<UserAction> then = {}) {
    std::vector<UserAction> script = {ScrollReadmeToEnd(ScrollWay::Notification), Click(kAgreeButton)};
    if (scopeAny) script.push_back(Click(kScopeAnyCheckBox));
    script.push_back(PressOk());
    script.insert(script.end(), then.begin(), then.end());
    return script;
  }
  ScriptedDialogs user;
};

// Every runner's way to its end: what it shows and its exit code, which is
// the job's result. Each runner ends a failed pre-check on one path (which
// check failed is ConfigJobTest's, and the text for each result
// MessageCatalogueTest's), so one failed check stands for all.
TEST_F(ToolAppTest, EachOutcomeShowsItsTextAndEndsWithItsCode) {
  using Arrange = void (*)();
  const Arrange nothing = [] {};
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    Arrange arrange;
    std::vector<UserAction> intro, consent, removal;
    int exitCode;
    std::vector<Box> boxes;
    int restarts;
    DWORD event;  // the run's event as Event Viewer shows its id; 0: none
  } cases[] = {
      // The wizard
      {"wizard, done", {}, nothing, {PressOk()}, Agree(), {}, 0, {kSetupDone}, 0, 1000},
      {"wizard, files wait, Yes", {}, [] { ShipNewerLibraryInUse(); winsim::AnswerMessageBox(IDYES); },
       {PressOk()}, Agree(), {}, 0, {kAskRestart}, 1, 1000},
      {"wizard, files wait, No", {}, [] { ShipNewerLibraryInUse(); winsim::AnswerMessageBox(IDNO); },
       {PressOk()}, Agree(), {}, 0, {kAskRestart}, 0, 1100},
      {"wizard, no firewall", {}, [] { winsim::SetFirewallInstalled(false); }, {PressOk()}, {}, {}, 2,
       {kFirewallUnavailable}, 0, 1202},
      {"wizard, no administrator", {}, [] { winsim::SetAdministrator(false); }, {PressOk()}, {}, {}, 3,
       {kNotAdministrator}, 0, 1203},
      {"wizard, suite missing", {}, [] { DeleteFileA(kDll); }, {PressOk()}, {}, {}, 4, {kNotInstalled}, 0, 1204},
      {"wizard, firewall refuses", {}, [] { winsim::InjectFault("INetFwAuthorizedApplications::Add", E_ACCESSDENIED); },
       {PressOk()}, Agree(), {}, 6, {kChangeFailed}, 0, 1206},
      {"wizard, consent cancelled", {}, nothing, {PressOk()}, {PressEsc()}, {}, 0, {}, 0, 1003},
      {"wizard, disagree", {}, nothing, {PressOk()},
       {ScrollReadmeToEnd(ScrollWay::ScrollBar), Click(kDisagreeButton), PressOk()}, {}, 0, {}, 0, 1003},
      // Keys pressed before the worker's first message do not end the run.
      {"wizard, firewall refuses, Esc right after OK", {},
       [] { winsim::InjectFault("INetFwAuthorizedApplications::Add", E_ACCESSDENIED); }, {PressOk()},
       Agree(false, {AtOnce(PressEsc()), AtOnce(ClickCloseBox())}), {}, 6, {kChangeFailed}, 0, 1206},
      // The worker's last message is posted again until it is queued.
      {"wizard, the finished message refused once", {},
       [] { winsim::InjectFault("PostMessageA", ERROR_NOT_ENOUGH_MEMORY, "dialog 103", 1, 1); }, {PressOk()},
       Agree(), {}, 0, {kSetupDone}, 0, 1000},
      {"wizard, no worker", {}, [] { winsim::InjectFault("CreateThread", ERROR_NOT_ENOUGH_MEMORY); }, {PressOk()},
       Agree(), {}, 6, {kChangeFailed}, 0, 1206},
      // Removal
      {"removal, done", {"/d"}, [] { SeedSuiteExceptions(); }, {}, {}, {Click(1001), PressOk()}, 0, {kRemovalDone}, 0, 1002},
      {"removal, no firewall", {"-D"}, [] { winsim::SetFirewallInstalled(false); }, {}, {}, {}, 2,
       {kFirewallUnavailable}, 0, 1202},
      {"removal, nothing to remove", {"D"}, nothing, {}, {}, {}, 5, {kNoExceptions}, 0, 1205},
      {"removal, firewall refuses", {"D"}, [] { SeedSuiteExceptions(); winsim::InjectFault("INetFwAuthorizedApplications::Remove", E_ACCESSDENIED); },
       {}, {}, {Click(1001), PressOk()}, 6, {kChangeFailed}, 0, 1206},
      {"removal, cancelled", {"D"}, [] { SeedSuiteExceptions(); }, {}, {}, {PressEsc()}, 0, {}, 0, 1003},
      {"removal, no worker", {"D"}, [] { SeedSuiteExceptions(); winsim::InjectFault("CreateThread", ERROR_NOT_ENOUGH_MEMORY); },
       {}, {}, {Click(1001), PressOk()}, 6, {kChangeFailed}, 0, 1206},
      // Silent Setup shows nothing, whatever happens
      {"silent, done", {"S"}, nothing, {}, {}, {}, 0, {}, 0, 1000},
      {"silent, files wait", {"/s", "-a"}, [] { ShipNewerLibraryInUse(); }, {}, {}, {}, 0, {}, 1, 1000},
      {"silent, files wait, the restart refused", {"S"}, [] { ShipNewerLibraryInUse(); winsim::RefuseRestart(ERROR_ACCESS_DENIED); },
       {}, {}, {}, 0, {}, 1, 1100},
      // Windows refuses to start the stopped server again: 0, with a warning.
      {"silent, the server not started again", {"S"},
       [] { ShipNewerServer(); winsim::InjectFault("StartServiceA", 1053); }, {}, {}, {}, 0, {}, 0, 1101},
      // N leaves the restart to the administrator: 3010 when files wait.
      {"silent N, files wait", {"S", "N"}, [] { ShipNewerLibraryInUse(); }, {}, {}, {}, 3010, {}, 0, 1001},
      {"silent N, nothing waits", {"/S", "-n"}, nothing, {}, {}, {}, 0, {}, 0, 1000},
      {"removal, N changes nothing", {"D", "N"}, [] { SeedSuiteExceptions(); }, {}, {}, {Click(1001), PressOk()}, 0,
       {kRemovalDone}, 0, 1002},
      // A log that refuses the event changes nothing else.
      {"silent, the log refuses", {"S"}, [] { winsim::InjectFault("ReportEventA", 1502); }, {}, {}, {}, 0, {}, 0, 0},
      {"silent, no administrator", {"S"}, [] { winsim::SetAdministrator(false); }, {}, {}, {}, 3, {}, 0, 1203},
      {"silent, firewall refuses", {"S"}, [] { winsim::InjectFault("INetFwAuthorizedApplications::Add", E_ACCESSDENIED); },
       {}, {}, {}, 6, {}, 0, 1206},
      // A worker that cannot start did nothing: not 0.
      {"silent, no worker", {"S"}, [] { winsim::InjectFault("CreateThread", ERROR_NOT_ENOUGH_MEMORY); }, {}, {}, {}, 6,
       {}, 0, 1206},
      // The result is read only once the worker has ended.
      {"silent, firewall refuses, the wait fails", {"S"},
       [] {
         winsim::InjectFault("INetFwAuthorizedApplications::Add", E_ACCESSDENIED);
         winsim::InjectFault("WaitForSingleObject", ERROR_INVALID_HANDLE, "", 0, 1);
       },
       {}, {}, {}, 6, {}, 0, 1206},
      // Another instance, in this or another user's session
      {"second instance", {"S"}, [] { winsim::HoldNamedEvent("Global\\Patch::KV_UPDAT", 0, true); }, {}, {}, {}, 1, {}, 0, 0},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SetUp();
    c.arrange();
    user = ScriptedDialogs();
    if (!c.intro.empty()) user.Script(kIntroDialogTemplate, c.intro);
    if (!c.consent.empty()) user.Script(kConsentDialogTemplate, c.consent);
    if (!c.removal.empty()) user.Script(kRemovalDialogTemplate, c.removal);
    EXPECT_EQ(Run(c.arguments), c.exitCode) << c.name;
    EXPECT_EQ(Boxes(), c.boxes) << c.name;
    // How the restart is made (the same for every run) is AWholeSetupWithAnUpdate's.
    EXPECT_EQ(static_cast<int>(winsim::RestartRequests().size()), c.restarts) << c.name;
    // Its type and text for each id are RunReportTest's.
    const auto events = winsim::ReportedEvents();
    EXPECT_EQ(events.size(), c.event ? 1u : 0u) << c.name;
    if (!events.empty()) {
      EXPECT_EQ(events[0].id & 0xFFFF, c.event) << c.name;
    }
    // Silent runs, second instances and failed removal checks show no dialog.
    if (c.intro.empty() && c.consent.empty() && c.removal.empty()) {
      EXPECT_TRUE(user.Shown().empty()) << c.name;
    }
  }
}

// Leaving the introduction ends the run before any check is made.
TEST_F(ToolAppTest, CancellingTheIntroductionChecksNothing) {
  user.Script(kIntroDialogTemplate, {ClickCloseBox()});
  EXPECT_EQ(Run({}), 0);
  EXPECT_TRUE(winsim::MessageBoxes().empty());
  EXPECT_TRUE(winsim::CallsTo("CoCreateInstance").empty());
  EXPECT_TRUE(winsim::CallsTo("OpenSCManagerA").empty());
  ASSERT_EQ(user.Shown().size(), 1u);
}

// The whole interactive Setup with an update: the panel open, the server
// running, two printers on a suite driver, the library in use. The calls that
// change something, in order, and the waits the work is allowed, no more.
TEST_F(ToolAppTest, AWholeSetupWithAnUpdate) {
  OpenPanel();
  winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZAM\\Kestrovane\\Printers\\LP-1\\Status Variables");
  winsim::AddPrinter("Office A", "ZAM LP-1");
  winsim::AddPrinter("Office B", "ZAM LP-1");
  ShipNewerServer();
  ShipNewerLibraryInUse();
  winsim::AnswerMessageBox(IDYES);
  user.Script(kIntroDialogTemplate, {PressOk()});
  user.Script(kConsentDialogTemplate, Agree(true));
  winsim::ClearCallLog();

  EXPECT_EQ(Run({}), 0);

  // The calls that change something, their texts in UTF-8 and without the
  // panel's window handle, which varies.
  std::vector<std::string> changes;
  const std::vector<std::string> changing = {
      "INetFwAuthorizedApplications::Add", "INetFwService::put_Enabled", "UpdatePrinterStatusA",
      "SendMessageTimeoutA", "ControlService", "MoveFileA", "MoveFileExA", "StartServiceA", "CreateProcessA",
      "MessageBoxA", "InitiateSystemShutdownExA", "ExitWindowsEx"};
  for (winsim::Call call : winsim::CallLog()) {
    if (std::find(changing.begin(), changing.end(), call.name) == changing.end()) continue;
    if (call.name == "SendMessageTimeoutA") call.args.erase(call.args.begin());
    for (std::string& arg : call.args) arg = winsim::FromAnsi(arg);
    changes.push_back(winsim::FormatCall(call));
  }
  const std::string sys = "C:\\WINDOWS\\system32\\";
  const std::vector<std::string> expected = {
      // Both programs in the domain, then the standard profile; File and
      // Printer Sharing on in both.
      "INetFwAuthorizedApplications::Add(\"" + sys + "zambaz.exe\", DOMAIN)",
      "INetFwAuthorizedApplications::Add(\"" + sys + "zambaz.exe\", STANDARD)",
      "INetFwAuthorizedApplications::Add(\"" + sys + "zamwtqnt.exe\", DOMAIN)",
      "INetFwAuthorizedApplications::Add(\"" + sys + "zamwtqnt.exe\", STANDARD)",
      "INetFwService::put_Enabled(DOMAIN, -1)",
      "INetFwService::put_Enabled(STANDARD, -1)",
      // The hand-off, the panel, the server.
      "UpdatePrinterStatusA(\"Office A\", \"ServerConnection\", 0, 4)",
      "UpdatePrinterStatusA(\"Office B\", \"ServerConnection\", 0, 4)",
      "SendMessageTimeoutA(0x406, 0, 0, 0x0, 10000)",
      "ControlService(\"ZAMWTQNT\", 1)",
      // The library in use waits for the next start; the server is replaced now.
      "MoveFileExA(\"" + sys + "ZAMPUX.000\", \"" + sys + "ZAMPUX.DLL\", 0x5)",
      "MoveFileA(\"" + sys + "ZAMWTQNT.000\", \"" + sys + "ZAMWTQNT.EXE\")",
      "StartServiceA(\"ZAMWTQNT\", 0)",
      "CreateProcessA(\"" + sys + "ZAMBAZ.EXE\", \"\"" + sys + "ZAMBAZ.EXE\"\", 0, 0x0, NULL)",
      "MessageBoxA(\"" + kAskRestart.text + "\", \"" + kTitle + "\", 0x0, 0x4)",
      "InitiateSystemShutdownExA(NULL, \"" + kRestartText + "\", 0, 0, 1, 0x80030004)",
  };
  EXPECT_EQ(changes, expected);

  // 5 s hand-off, one 100 ms poll for the panel, the stop seen at the 3.0 s
  // reading plus a second, the start seen at the 2.0 s reading.
  EXPECT_EQ(winsim::NowMs(), 5000u + 100u + 3000u + 1000u + 2000u);
  EXPECT_EQ(winsim::FileContent(kServer), VersionedImage({2, 300, 407, 9}, "exe"));
  for (NET_FW_PROFILE_TYPE profile : {NET_FW_PROFILE_DOMAIN, NET_FW_PROFILE_STANDARD}) {
    ASSERT_EQ(winsim::FirewallApps(profile).size(), 2u);
    for (const winsim::FirewallApp& app : winsim::FirewallApps(profile)) EXPECT_EQ(app.scope, NET_FW_SCOPE_ALL);
    EXPECT_TRUE(winsim::FirewallServiceState(profile, NET_FW_SERVICE_FILE_AND_PRINT).enabled);
  }
  EXPECT_EQ(winsim::ServiceState("ZAMWTQNT"), static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(winsim::WindowCount("BAZWndClass", "Kestrovane"), 1);
}

// The whole Removal with File and Printer Sharing switched off too.
TEST_F(ToolAppTest, AWholeRemoval) {
  SeedSuiteExceptions();
  for (NET_FW_PROFILE_TYPE profile : {NET_FW_PROFILE_DOMAIN, NET_FW_PROFILE_STANDARD})
    winsim::SeedFirewallService(profile, NET_FW_SERVICE_FILE_AND_PRINT, {true, NET_FW_SCOPE_LOCAL_SUBNET});
  user.Script(kRemovalDialogTemplate, {Click(kRemovePermissionCheckBox), Click(kDisableSharingCheckBox), PressOk()});

  EXPECT_EQ(Run({"D"}), 0);
  EXPECT_EQ(Boxes(), std::vector<Box>{kRemovalDone});
  for (NET_FW_PROFILE_TYPE profile : {NET_FW_PROFILE_DOMAIN, NET_FW_PROFILE_STANDARD}) {
    EXPECT_TRUE(winsim::FirewallApps(profile).empty());
    EXPECT_FALSE(winsim::FirewallServiceState(profile, NET_FW_SERVICE_FILE_AND_PRINT).enabled);
  }
  EXPECT_TRUE(winsim::CallsTo("OpenSCManagerA").size() == 1u) << "only the administrator check";
  EXPECT_TRUE(winsim::RestartRequests().empty());
  EXPECT_EQ(winsim::NowMs(), 0u) << "a removal waits for nothing";
}

// Where the system allows it, the current directory is out of the library
// search from the start: the status manager, missing from the system
// directory, is not taken from there. Without SetDllDirectoryA (before XP
// SP1) or kernel32's handle the run goes on as before.
TEST_F(ToolAppTest, TheCurrentDirectoryIsOutOfTheLibrarySearch) {
  using Arrange = void (*)();
  const struct {
    const char* name;
    Arrange arrange;
    size_t calls;
    int foreignLoads;
  } cases[] = {
      {"XP SP2", [] {}, 1, 0},
      {"no SetDllDirectoryA", [] { winsim::SetExportPresent("kernel32.dll", "SetDllDirectoryA", false); }, 0, 1},
      {"kernel32 not found", [] { winsim::InjectFault("GetModuleHandleA", ERROR_MOD_NOT_FOUND, "kernel32"); }, 0, 1},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SetUp();
    OpenPanel();  // the hand-off loads the status manager
    ShipNewerServer();
    winsim::SetModulePresent("zamgik.dll", false);
    winsim::AddFile("C:\\DOCS\\zamgik.dll", "planted");
    winsim::SetCurrentDirectory("C:\\DOCS");
    c.arrange();
    EXPECT_EQ(Run({"S"}), 0) << c.name;
    const std::vector<winsim::Call> calls = winsim::CallsTo("SetDllDirectoryA");
    ASSERT_EQ(calls.size(), c.calls) << c.name;
    if (!calls.empty()) {
      EXPECT_EQ(calls[0].args, std::vector<std::string>{"\"\""}) << c.name;
    }
    EXPECT_EQ(winsim::ForeignModuleLoads(), c.foreignLoads) << c.name;
  }
}

}  // namespace
