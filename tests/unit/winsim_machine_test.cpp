// The machine itself: per-thread last error, the virtual clock, the
// operating-system profiles and reset.
#include <thread>

#include "sim_fixture.h"
#include "win32api.h"

namespace {

class WinsimMachineTest : public SimTest {};

TEST_F(WinsimMachineTest, LastErrorBelongsToItsThread) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD seenByOther = 12345;
  std::thread other([&] {
    seenByOther = GetLastError();
    SetLastError(ERROR_SHARING_VIOLATION);
  });
  other.join();
  EXPECT_EQ(seenByOther, 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// Sleep costing the clock and no real time is WinsimThreadTest's.
TEST_F(WinsimMachineTest, NewFilesAreStampedWithTheClocksTime) {
  Sleep(60000);
  winsim::AddFile("C:\\late.txt", "x");
  const FILETIME written = winsim::WriteTime("C:\\late.txt");
  const FILETIME expected = winsim::FileTimeAt(60000);
  EXPECT_EQ(CompareFileTime(&written, &expected), 0);
}

// XP SP2, the profile every test starts with, and what the other profiles
// make of the tool are OsLevelTest's and RestartRegistrationTest's.
TEST_F(WinsimMachineTest, VersionStructureOfAnUnknownSizeIsRefused) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = 100;  // neither structure
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

// The directories are what every test of the tool relies on; these are the
// program's own name and buffers too small.
TEST_F(WinsimMachineTest, DirectoriesAndModuleName) {
  char buffer[MAX_PATH];
  EXPECT_EQ(GetWindowsDirectoryA(buffer, 5), 11u);  // the size needed
  EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, MAX_PATH), 22u);
  EXPECT_STREQ(buffer, "C:\\KVTOOL\\KV_UPDAT.EXE");
  // Windows XP cuts a long name to the buffer and does not terminate it.
  char small[6] = {'#', '#', '#', '#', '#', '#'};
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, 5), 5u);
  EXPECT_EQ(std::string(small, 6), "C:\\KV#");
}

TEST_F(WinsimMachineTest, ResetGivesAFreshMachine) {
  winsim::AddFile("C:\\left.txt", "x");
  winsim::InjectFault("DeleteFileA", ERROR_ACCESS_DENIED);
  Sleep(10);
  winsim::Reset();
  EXPECT_FALSE(winsim::Exists("C:\\left.txt"));
  EXPECT_EQ(winsim::NowMs(), 0u);
  EXPECT_TRUE(winsim::CallLog().empty());
  winsim::AddFile("C:\\a.txt", "x");
  EXPECT_TRUE(DeleteFileA("C:\\a.txt"));  // the fault is gone too
}

}  // namespace
