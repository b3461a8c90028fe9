// Windows and processes on the simulated Windows: what a sent message costs
// on the clock for each kind of window, and where CreateProcessA finds its
// program.
#include <cstring>
#include <string>

#include "sim_fixture.h"
#include "win32api.h"
#include "winsim/desktop_control.h"

namespace {

const UINT kClose = WM_USER + 6;

winsim::WindowSetup Panel(winsim::WindowReaction reaction, uint64_t delayMs = 0) {
  return winsim::WindowSetup{"BAZWndClass", "Kestrovane", kClose, reaction, delayMs};
}

class WinsimDesktopTest : public SimTest {};

TEST_F(WinsimDesktopTest, FindWindowMatchesClassAndTitleIgnoringCase) {
  const HWND panel = winsim::AddWindow(Panel(winsim::WindowReaction::Closes));
  const HWND other = winsim::AddWindow({"Other", "Kestrovane", WM_CLOSE, winsim::WindowReaction::Closes, 0});
  EXPECT_EQ(FindWindowA("bazwndclass", "KESTROVANE"), panel);
  EXPECT_EQ(FindWindowA("BAZWndClass", nullptr), panel);
  EXPECT_EQ(FindWindowA(nullptr, "Kestrovane"), other);  // both match: the one opened last
  EXPECT_EQ(FindWindowA("BAZWndClass", ""), nullptr);    // an empty title is not "any title"
  EXPECT_EQ(GetLastError(), 1407u);
}

// One sent close message: its cost on the clock, and whether the window stays.
TEST_F(WinsimDesktopTest, SentMessagesByWindowReaction) {
  enum Send { Plain, Timeout, AbortIfHung };
  struct Row {
    const char* name;
    winsim::WindowReaction reaction;
    uint64_t silentMs;  // clock advanced after the window appears
    Send send;
    LRESULT result;
    DWORD error;
    uint64_t costMs;
    bool stays;
  };
  const Row rows[] = {
      {"closes", winsim::WindowReaction::Closes, 0, Timeout, 1, 0, 0, false},
      {"closes, plain send", winsim::WindowReaction::Closes, 0, Plain, 0, 0, 0, false},
      {"ignores", winsim::WindowReaction::Ignores, 0, Timeout, 1, 0, 0, true},
      {"hangs", winsim::WindowReaction::Hangs, 0, Timeout, 0, ERROR_TIMEOUT, 2000, true},
      {"hangs, not yet taken for hung", winsim::WindowReaction::Hangs, 4999, AbortIfHung, 0, ERROR_TIMEOUT, 2000, true},
      {"hangs for five seconds", winsim::WindowReaction::Hangs, 5000, AbortIfHung, 0, ERROR_TIMEOUT, 0, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    winsim::Reset();
    const HWND window = winsim::AddWindow(Panel(row.reaction));
    winsim::AdvanceClock(row.silentMs);
    const uint64_t start = winsim::NowMs();
    SetLastError(0);
    DWORD_PTR answer = 99;
    const UINT flags = row.send == AbortIfHung ? SMTO_ABORTIFHUNG : SMTO_NORMAL;
    const LRESULT result = row.send == Plain ? SendMessageA(window, kClose, 0, 0)
                                             : SendMessageTimeoutA(window, kClose, 0, 0, flags, 2000, &answer);
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(GetLastError(), row.error);
    EXPECT_EQ(answer, row.send == Plain ? 99u : 0u);
    EXPECT_EQ(winsim::NowMs() - start, row.costMs);
    EXPECT_EQ(IsWindow(window) != FALSE, row.stays);
  }
}

// A plain send to a hung window is among WinsimThreadTest's waits that
// never end; a close that waits is ProgramControlTest's.
TEST_F(WinsimDesktopTest, OnlyTheCloseMessageClosesAndAGoneWindowAnswersNothing) {
  const HWND window = winsim::AddWindow(Panel(winsim::WindowReaction::Closes));
  SendMessageA(window, WM_USER + 7, 0, 0);
  EXPECT_TRUE(IsWindow(window));
  SendMessageA(window, kClose, 0, 0);
  DWORD_PTR answer = 99;
  EXPECT_EQ(SendMessageTimeoutA(window, kClose, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

class WinsimProcessTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    for (const char* program : {"C:\\Program.exe", "C:\\Program Files\\Kv Tool\\panel.exe", "C:\\KVTOOL\\other.exe",
                                "C:\\WINDOWS\\system32\\ZAMBAZ.EXE", "C:\\WINDOWS\\other.exe"})
      winsim::AddFile(program, "MZ program");
  }

  // CreateProcessA as the tool calls it, from a writable buffer.
  BOOL Start(LPCSTR application, const std::string& commandLine, PROCESS_INFORMATION* info, DWORD flags = 0) {
    char buffer[MAX_PATH];
    std::strcpy(buffer, commandLine.c_str());
    STARTUPINFOA startup{};
    startup.cb = 68;
    std::memset(info, 0xCC, sizeof *info);
    SetLastError(0);
    const BOOL ok =
        CreateProcessA(application, buffer, nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, info);
    EXPECT_EQ(std::string(buffer), commandLine) << "the command line comes back unchanged";
    return ok;
  }
};

// An unquoted path with a blank, an application name (without ".exe" added,
// or in a missing directory) and a file that is no program are compared with
// Wine by the probe. After a failed search Wine leaves PROCESS_INFORMATION
// as it was, so only this test sees Windows clear it.
TEST_F(WinsimProcessTest, ProgramIsFoundAsWindowsFindsIt) {
  struct Row {
    const char* application;
    const char* commandLine;
    const char* image;  // empty: not started
    DWORD error;
  };
  const Row rows[] = {
      // Quoted: not "C:\Program" first.
      {nullptr, "\"C:\\Program Files\\Kv Tool\\panel.exe\" /x", "C:\\Program Files\\Kv Tool\\panel.exe", 0},
      {nullptr, "zambaz", "C:\\WINDOWS\\system32\\ZAMBAZ.EXE", 0},  // ".exe" added, system directory
      {nullptr, "other /x", "C:\\KVTOOL\\other.exe", 0},          // the caller's directory first
      {nullptr, "\"C:\\Program Files\\NoSuch.exe\"", "", ERROR_FILE_NOT_FOUND},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.commandLine);
    PROCESS_INFORMATION info;
    if (Start(row.application, row.commandLine, &info)) {
      EXPECT_TRUE(CloseHandle(info.hThread));
      EXPECT_TRUE(CloseHandle(info.hProcess));
    } else {
      EXPECT_EQ(GetLastError(), row.error);
      EXPECT_EQ(info.hProcess, nullptr) << "a failed start leaves no stale handle";
    }
    EXPECT_EQ(winsim::Launches().back().image, row.image);
  }
}

TEST_F(WinsimProcessTest, StartedProgramOpensItsWindowAndHoldsTwoHandles) {
  const std::string panel = "C:\\WINDOWS\\system32\\ZAMBAZ.EXE";
  winsim::SetProgramWindow(panel, Panel(winsim::WindowReaction::Closes));
  PROCESS_INFORMATION info;
  ASSERT_TRUE(Start(nullptr, panel, &info));
  EXPECT_NE(FindWindowA("BAZWndClass", "Kestrovane"), nullptr);
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_EQ(winsim::OpenResources().size(), 1u) << "the thread is still open";
  EXPECT_TRUE(CloseHandle(info.hThread));
}

TEST_F(WinsimProcessTest, CommandLineMustBeWritable) {
  STARTUPINFOA startup{};
  PROCESS_INFORMATION info{};
  // A string literal lies in read-only memory; the search writes into it.
  EXPECT_DEATH(CreateProcessA(nullptr, const_cast<LPSTR>("C:\\Program Files\\Kv Tool\\panel.exe"), nullptr,
                              nullptr, FALSE, 0, nullptr, nullptr, &startup, &info),
               "");
}

}  // namespace
