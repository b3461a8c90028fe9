// Counting logged-on users over the Terminal Services sessions, and every
// way the session functions can be unavailable.
#include "suite/user_sessions.h"
#include "sim_fixture.h"
#include "winsim/session_control.h"

namespace {

class UserSessionsTest : public SimTest {};

const winsim::WtsSession kConsole{0, "Console", WTSActive, "Administrator"};
const winsim::WtsSession kListener{65536, "RDP-Tcp", WTSListen, ""};

TEST_F(UserSessionsTest, MoreThanOneLoggedOnUser) {
  const struct {
    const char* name;
    std::vector<winsim::WtsSession> sessions;
    int result;
  } cases[] = {
      {"the console user alone", {kConsole, kListener}, 0},
      {"a second user switched away", {kConsole, {1, "", WTSDisconnected, "Hanako"}}, 1},
      {"a second user connected", {kConsole, {2, "RDP-Tcp#1", WTSConnected, "Taro"}}, 1},
      {"a second user active", {{1, "RDP-Tcp#0", WTSActive, "Taro"}, kConsole}, 1},
      {"a log-on screen without a user", {kConsole, kListener, {3, "RDP-Tcp#2", WTSConnected, ""}}, 0},
      {"idle, down and listening sessions", {kConsole, {4, "", WTSIdle, "Taro"}, {5, "", WTSDown, "Jiro"}}, 0},
      {"nobody at all", {}, 0},
  };
  // Whether the local server gives a handle or not, the same sessions are
  // seen (without one, through WTS_CURRENT_SERVER_HANDLE, never closed).
  for (const auto& c : cases) {
    for (bool serverHandle : {true, false}) {
      winsim::SetSessions(c.sessions);
      if (!serverHandle) winsim::InjectFault("WTSOpenServerA", ERROR_ACCESS_DENIED);
      winsim::ClearCallLog();
      EXPECT_EQ(HasOtherUserSessions(), c.result) << c.name << ", server handle " << serverHandle;
      ASSERT_EQ(winsim::CallsTo("WTSEnumerateSessionsA").size(), 1u);
      EXPECT_EQ(winsim::CallsTo("WTSEnumerateSessionsA")[0].args[0] == "0x0", !serverHandle) << c.name;
      EXPECT_EQ(winsim::CallsTo("WTSCloseServer").size(), serverHandle ? 1u : 0u) << c.name;
      winsim::ClearFaults();
    }
  }

  // A session whose user cannot be read is not counted.
  winsim::SetSessions({kConsole, {1, "", WTSDisconnected, "Hanako"}});
  winsim::InjectFault("WTSQuerySessionInformationA", ERROR_ACCESS_DENIED, "1");
  EXPECT_EQ(HasOtherUserSessions(), 0);
}

TEST_F(UserSessionsTest, TheLibraryComesFromTheSystemDirectory) {
  winsim::AddFile("C:\\KVTOOL\\Wtsapi32.dll", "planted");
  winsim::SetSessions({kConsole, {1, "", WTSDisconnected, "Hanako"}});
  EXPECT_EQ(HasOtherUserSessions(), 1);
  ASSERT_EQ(winsim::CallsTo("LoadLibraryA").size(), 1u);
  EXPECT_EQ(winsim::CallsTo("LoadLibraryA")[0].args[0], "\"C:\\WINDOWS\\system32\\Wtsapi32.dll\"");
  EXPECT_EQ(winsim::ForeignModuleLoads(), 0);
}

// Every failure answers 0, with two users logged on, and releases what was
// obtained (the fixture checks the library, the server and the memory).
TEST_F(UserSessionsTest, UnavailableSessionFunctionsAnswerNo) {
  winsim::SetSessions({kConsole, {1, "", WTSDisconnected, "Hanako"}});
  for (const char* function : {"WTSEnumerateSessionsA", "WTSOpenServerA", "WTSCloseServer", "WTSFreeMemory",
                               "WTSQuerySessionInformationA"}) {
    winsim::SetExportPresent("Wtsapi32.dll", function, false);
    EXPECT_EQ(HasOtherUserSessions(), 0) << function;
    EXPECT_TRUE(winsim::CallsTo("WTSOpenServerA").empty()) << function;
    winsim::SetExportPresent("Wtsapi32.dll", function, true);
  }
  for (bool serverHandle : {true, false}) {
    if (!serverHandle) winsim::InjectFault("WTSOpenServerA", ERROR_ACCESS_DENIED, "", 0, 1);
    winsim::InjectFault("WTSEnumerateSessionsA", ERROR_ACCESS_DENIED, "", 0, 1);
    EXPECT_EQ(HasOtherUserSessions(), 0) << serverHandle;
  }
  winsim::SetModulePresent("Wtsapi32.dll", false);
  EXPECT_EQ(HasOtherUserSessions(), 0);
}

}  // namespace
