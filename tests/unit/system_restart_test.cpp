// The restart of Windows on each system, and what keeps it from happening.
#include "app/system_restart.h"
#include "sim_fixture.h"
#include "winsim/ui_control.h"

namespace {

class SystemRestartTest : public SimTest {
 protected:
  const std::string message = winsim::ToAnsi("再起動が実行されました。");
};

// Up to NT 4.0 through ExitWindowsEx; later through InitiateSystemShutdownExA,
// which exists from XP on: Windows 2000 and the unknown NT 3.5 get no
// restart, and neither falls back to ExitWindowsEx.
TEST_F(SystemRestartTest, EachSystemRestartsItsOwnWay) {
  enum Way { Exit, ShutdownEx, None };
  const struct {
    const char* name;
    DWORD platform, major, minor;
    bool versionUnreadable;
    Way way;
  } cases[] = {
      {"Windows Me", VER_PLATFORM_WIN32_WINDOWS, 4, 90, false, Exit},
      {"NT 3.51", VER_PLATFORM_WIN32_NT, 3, 51, false, Exit},
      {"NT 4.0", VER_PLATFORM_WIN32_NT, 4, 0, false, Exit},
      {"2000", VER_PLATFORM_WIN32_NT, 5, 0, false, None},
      {"XP", VER_PLATFORM_WIN32_NT, 5, 1, false, ShutdownEx},
      {"XP, version unreadable", VER_PLATFORM_WIN32_NT, 5, 1, true, ShutdownEx},
      {"NT 3.5, unknown", VER_PLATFORM_WIN32_NT, 3, 50, false, None},
  };
  for (const auto& c : cases) {
    FreshMachine();
    winsim::SetOsVersion(c.platform, c.major, c.minor, 1000);
    if (c.versionUnreadable) winsim::InjectFault("GetVersionExA", ERROR_INVALID_PARAMETER);
    RestartWindows(message, kRestartReason);
    const auto requests = winsim::RestartRequests();
    ASSERT_EQ(requests.size(), c.way == None ? 0u : 1u) << c.name;
    EXPECT_EQ(winsim::CallsTo("ExitWindowsEx").size(), c.way == Exit ? 1u : 0u) << c.name;
    if (c.way == None) continue;
    const winsim::RestartRequest& r = requests[0];
    // The 95 family restarts without a privilege; it has no tokens.
    EXPECT_EQ(r.shutdownPrivilegeEnabled, c.platform == VER_PLATFORM_WIN32_NT) << c.name;
    if (c.way == Exit) {
      EXPECT_EQ(r.function, "ExitWindowsEx") << c.name;
      EXPECT_EQ(r.exitFlags, static_cast<UINT>(EWX_REBOOT)) << c.name;
      EXPECT_TRUE(winsim::CallsTo("LoadLibraryA").empty()) << c.name;
      continue;
    }
    EXPECT_EQ(r.function, "InitiateSystemShutdownExA") << c.name;
    EXPECT_EQ(r.machine, "NULL") << c.name;
    EXPECT_EQ(r.message, message) << c.name;
    EXPECT_EQ(r.timeout, 0u) << c.name;
    EXPECT_FALSE(r.forceAppsClosed) << c.name;
    EXPECT_TRUE(r.rebootAfterShutdown) << c.name;
    EXPECT_EQ(r.reason, 0x80030004u) << c.name;
  }
}

TEST_F(SystemRestartTest, TheLibraryComesFromTheSystemDirectory) {
  winsim::AddFile("C:\\KVTOOL\\ADVAPI32.DLL", "planted");
  RestartWindows(message, kRestartReason);
  EXPECT_EQ(winsim::RestartRequests().size(), 1u);
  ASSERT_EQ(winsim::CallsTo("LoadLibraryA").size(), 1u);
  EXPECT_EQ(winsim::CallsTo("LoadLibraryA")[0].args[0], "\"C:\\WINDOWS\\system32\\ADVAPI32.DLL\"");
  EXPECT_EQ(winsim::ForeignModuleLoads(), 0);
}

TEST_F(SystemRestartTest, NoRestartWithoutTheLibrary) {
  winsim::SetModulePresent("ADVAPI32.DLL", false);
  RestartWindows(message, kRestartReason);
  EXPECT_TRUE(winsim::RestartRequests().empty());
  EXPECT_TRUE(winsim::CallsTo("ExitWindowsEx").empty());
}

}  // namespace
