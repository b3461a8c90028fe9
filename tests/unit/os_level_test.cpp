// The operating-system level from the version information.
#include "common/os_level.h"
#include "sim_fixture.h"

namespace {

class OsLevelTest : public SimTest {};

TEST_F(OsLevelTest, LevelOfEachSystem) {
  const struct {
    const char* name;
    DWORD platform, major, minor;
    uint32_t level;
  } cases[] = {
      {"Windows 95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, OsLevelWin9x},
      {"Windows Me", VER_PLATFORM_WIN32_WINDOWS, 4, 90, OsLevelWin9x},
      {"NT 3.51", VER_PLATFORM_WIN32_NT, 3, 51, OsLevelNt351},
      {"NT 4.0", VER_PLATFORM_WIN32_NT, 4, 0, OsLevelNt4},
      {"2000", VER_PLATFORM_WIN32_NT, 5, 0, OsLevelNt5},
      {"XP", VER_PLATFORM_WIN32_NT, 5, 1, OsLevelNt5},
      {"Vista", VER_PLATFORM_WIN32_NT, 6, 0, OsLevelNt5},
      {"NT 3.5", VER_PLATFORM_WIN32_NT, 3, 50, OsLevelUnknown},
      {"NT 2.0", VER_PLATFORM_WIN32_NT, 2, 0, OsLevelUnknown},
      {"Win32s", VER_PLATFORM_WIN32s, 3, 10, OsLevelUnknown},
  };
  for (const auto& c : cases) {
    winsim::SetOsVersion(c.platform, c.major, c.minor, 1000);
    EXPECT_EQ(GetOsLevel(), c.level) << c.name;
  }
  // Asked with the plain structure; unreadable, the system is unknown.
  EXPECT_EQ(winsim::CallsTo("GetVersionExA").at(0).args.at(0), "148");
  winsim::InjectFault("GetVersionExA", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetOsLevel(), OsLevelUnknown);
}

}  // namespace
