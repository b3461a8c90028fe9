// Message boxes, the program's string table, the token and the restart of
// Windows on the simulated machine (how each system restarts is
// SystemRestartTest's, through the tool). Expected bytes and error codes are
// those Windows XP gives (and Wine, where the probe compares them).
#include <cstring>
#include <string>

#include "sim_fixture.h"
#include "win32api.h"
#include "winsim/ui_control.h"

namespace {

// The current process's pseudo handle, as GetCurrentProcess gives it.
const HANDLE kSelf = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
const DWORD kUntouched = 0xDEAD;
// Text 5000 in code page 932: 対応 is 91CE 899E, 設定ツール 90DD 92E8 8363 815B 838B.
const char kTitle932[] = "Windows(R) XP SP2 \x91\xCE\x89\x9E Kestrovane \x90\xDD\x92\xE8\x83\x63\x81\x5B\x83\x8B";
const char kTitleAt1252[] = "Windows(R) XP SP2 ?? Kestrovane ?????";

class WinsimUiTest : public SimTest {
 protected:
  // The tool's way of enabling the shutdown privilege: whether each of the
  // three calls succeeded, as "111".
  static std::string EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES privileges{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    std::string steps;
    steps += OpenProcessToken(kSelf, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token) ? '1' : '0';
    steps += LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid) ? '1' : '0';
    steps += AdjustTokenPrivileges(token, FALSE, &privileges, 16, nullptr, nullptr) ? '1' : '0';
    if (token) CloseHandle(token);
    return steps;
  }
};

// Every text of the tool's string table and LoadStringA's edge cases (ids,
// instances, buffer sizes, cuts before a double-byte character) are compared
// with Wine by the probe's strings group. A handle that is no module, and a
// load that fails, are not.
TEST_F(WinsimUiTest, LoadStringFailuresEmptyTheBuffer) {
  char buffer[8] = "x";
  SetLastError(kUntouched);
  EXPECT_EQ(LoadStringA(reinterpret_cast<HINSTANCE>(0x12340000), 5000, buffer, sizeof buffer), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
  EXPECT_EQ(buffer[0], '\0');
  buffer[0] = 'x';
  winsim::InjectFault("LoadStringA", ERROR_NOT_ENOUGH_MEMORY, "5000");
  EXPECT_EQ(LoadStringA(nullptr, 5000, buffer, sizeof buffer), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(buffer[0], '\0');
}

TEST_F(WinsimUiTest, TextFollowsTheSimulatedCodePage) {
  char buffer[100];
  EXPECT_EQ(winsim::ToAnsi("Windows(R) XP SP2 対応 Kestrovane 設定ツール"), kTitle932);
  EXPECT_EQ(winsim::FromAnsi(kTitle932), "Windows(R) XP SP2 対応 Kestrovane 設定ツール");
  winsim::SetCodePage(1252);
  EXPECT_EQ(LoadStringA(nullptr, 5000, buffer, sizeof buffer), static_cast<int>(std::strlen(kTitleAt1252)));
  EXPECT_STREQ(buffer, kTitleAt1252);
}

// ADVAPI32.DLL loaded with the program, found by a bare name and its system
// path, and a module that is not loaded are compared with Wine by the
// probe's token and strings groups; that a planted copy is ignored, Wine
// cannot show.
TEST_F(WinsimUiTest, ModuleHandles) {
  const HMODULE advapi32 = GetModuleHandleA("ADVAPI32.DLL");
  ASSERT_NE(advapi32, nullptr);
  EXPECT_EQ(GetModuleHandleA("advapi32"), advapi32);

  // A planted copy beside the tool is never reached: the loaded system
  // module is a known DLL.
  winsim::AddFile("C:\\KVTOOL\\ADVAPI32.DLL", "MZ planted");
  const HMODULE bare = LoadLibraryA("ADVAPI32.DLL");
  EXPECT_EQ(bare, advapi32);
  EXPECT_EQ(winsim::ForeignModuleLoads(), 0);
  EXPECT_EQ(winsim::ModuleLoadCount("ADVAPI32.DLL"), 1);
  FreeLibrary(bare);
  EXPECT_EQ(GetModuleHandleA("C:\\KVTOOL\\ADVAPI32.DLL"), nullptr);

  const HMODULE setupapi = LoadLibraryA("C:\\WINDOWS\\system32\\setupapi.dll");
  EXPECT_EQ(GetModuleHandleA("SETUPAPI.DLL"), setupapi);
  FreeLibrary(setupapi);
  winsim::SetModulePresent("ADVAPI32.DLL", false);
  EXPECT_EQ(GetModuleHandleA("ADVAPI32.DLL"), nullptr);
}

TEST_F(WinsimUiTest, MessageBoxesAreAnsweredAndRecorded) {
  const int kNone = -1;
  struct Row {
    UINT style;
    int queued;  // kNone: no answer queued
    int answer;
  };
  // A plain OK box and a queued No are MessageCatalogueTest's and
  // ToolAppTest's, through the tool.
  const Row rows[] = {
      {MB_YESNO, kNone, IDYES},
      {MB_YESNO, IDCANCEL, 0},  // no such button: the box never closes
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.style);
    if (row.queued != kNone) winsim::AnswerMessageBox(row.queued);
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", row.style), row.answer);
    const std::vector<winsim::MessageBoxRecord> boxes = winsim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text + "|" + boxes[0].caption, "text|caption");
    EXPECT_EQ(boxes[0].style, row.style);
    EXPECT_EQ(boxes[0].answer, row.answer);
    EXPECT_EQ(winsim::ForeverBlockedCalls().size(), row.answer ? 0u : 1u);
    winsim::Reset();
  }

  // Button sets and default buttons that the tool does not use are refused.
  for (UINT style : {UINT{MB_ICONHAND | 2 /* abort, retry, ignore */}, UINT{MB_YESNO | MB_DEFBUTTON2}}) {
    EXPECT_EQ(MessageBoxA(nullptr, "text", nullptr, style), 0) << style;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED)) << style;
  }
  winsim::InjectFault("MessageBoxA", ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(MessageBoxA(nullptr, "text", nullptr, MB_OK), 0);
  EXPECT_EQ(winsim::MessageBoxes().size(), 0u);
}

// Privilege names and their LUIDs, enabling the shutdown privilege, an
// unknown LUID, a handle without the right to adjust and a second close are
// compared with Wine by the probe's token group; a plain user and a withheld
// privilege are not.
TEST_F(WinsimUiTest, TokensAndPrivileges) {
  // A token handle is a kernel object, open until closed.
  HANDLE token = nullptr;
  HANDLE queryOnly = nullptr;
  ASSERT_TRUE(OpenProcessToken(kSelf, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
  ASSERT_TRUE(OpenProcessToken(kSelf, TOKEN_QUERY, &queryOnly));
  EXPECT_EQ(winsim::OpenResources().size(), 2u);
  EXPECT_EQ(winsim::CallsTo("OpenProcessToken")[1].args[1], "0x8") << "the access asked for";

  struct Adjust {
    bool administrator;
    bool shutdownHeld;
    DWORD luid;
    HANDLE* handle;
    BOOL result;
    DWORD error;
  };
  const Adjust adjusts[] = {
      {false, true, 19, &token, TRUE, ERROR_SUCCESS},  // every user may shut down
      {false, true, 20, &token, TRUE, ERROR_NOT_ALL_ASSIGNED},
      {true, false, 19, &token, TRUE, ERROR_NOT_ALL_ASSIGNED},
      {false, true, 19, &queryOnly, FALSE, ERROR_ACCESS_DENIED},
  };
  for (const Adjust& adjust : adjusts) {
    SCOPED_TRACE(adjust.luid);
    winsim::SetAdministrator(adjust.administrator);
    winsim::SetShutdownPrivilegeHeld(adjust.shutdownHeld);
    TOKEN_PRIVILEGES privileges{1, {{{adjust.luid, 0}, SE_PRIVILEGE_ENABLED}}};
    SetLastError(kUntouched);
    EXPECT_EQ(AdjustTokenPrivileges(*adjust.handle, FALSE, &privileges, 16, nullptr, nullptr), adjust.result);
    EXPECT_EQ(GetLastError(), adjust.error);
  }
  EXPECT_FALSE(ExitWindowsEx(EWX_REBOOT, 0)) << "a withheld privilege is not enabled";

  EXPECT_TRUE(CloseHandle(token));
  EXPECT_TRUE(CloseHandle(queryOnly));

  // A refused restart is recorded all the same.
  winsim::SetShutdownPrivilegeHeld(true);
  EXPECT_EQ(EnableShutdownPrivilege(), "111");
  winsim::RefuseRestart(1115);  // ERROR_SHUTDOWN_IN_PROGRESS
  EXPECT_FALSE(ExitWindowsEx(EWX_REBOOT, 0));
  EXPECT_EQ(GetLastError(), 1115u);
  EXPECT_EQ(winsim::RestartRequests().size(), 2u);
}

}  // namespace
