// The operating-system level from the version information.
#include "app/os_level.h"
#include "sim_fixture.h"

namespace {

class OsLevelTest : public SimTest {};

TEST_F(OsLevelTest, KnownSystems) {
  const struct {
    winsim::Os os;
    uint32_t level;
  } cases[] = {
      {winsim::Os::Win95, OsLevelWin9x},      {winsim::Os::Win98, OsLevelWin9x}, {winsim::Os::WinMe, OsLevelWin9x},
      {winsim::Os::Nt351, OsLevelNt351},      {winsim::Os::Nt4, OsLevelNt4},     {winsim::Os::Win2000, OsLevelNt5},
      {winsim::Os::WinXp, OsLevelNt5},        {winsim::Os::Server2003, OsLevelNt5}, {winsim::Os::Vista, OsLevelNt5},
  };
  for (const auto& c : cases) {
    winsim::SetOs(c.os);
    EXPECT_EQ(GetOsLevel(), c.level) << static_cast<int>(c.os);
  }
}

TEST_F(OsLevelTest, UnknownSystems) {
  winsim::SetOsVersion(VER_PLATFORM_WIN32_NT, 3, 50, 807);  // NT 3.5
  EXPECT_EQ(GetOsLevel(), OsLevelUnknown);
  winsim::SetOsVersion(VER_PLATFORM_WIN32_NT, 2, 0, 1);
  EXPECT_EQ(GetOsLevel(), OsLevelUnknown);
  winsim::SetOsVersion(VER_PLATFORM_WIN32s, 3, 10, 0);
  EXPECT_EQ(GetOsLevel(), OsLevelUnknown);
  winsim::SetOsVersion(VER_PLATFORM_WIN32_NT, 5, 1, 2600);
  winsim::InjectFault("GetVersionExA", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetOsLevel(), OsLevelUnknown);
}

TEST_F(OsLevelTest, AsksWithThePlainStructure) {
  GetOsLevel();
  const auto calls = winsim::CallsTo("GetVersionExA");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args[0], "148");
}

}  // namespace
