// The simulated file system behaves as Windows does for the calls the tool
// makes. Finding, deleting, moving and copying files (read-only, held open or
// the running image), short names of existing paths and profile files are
// compared with Wine by the probe's fs, delayed and profile groups; these
// tests cover what the probe cannot show.
#include "sim_fixture.h"
#include "win32api.h"

namespace {

class WinsimFsTest : public SimTest {};

TEST_F(WinsimFsTest, TrailByteBackslashIsNotASeparator) {
  // 0x83 0x5C is one character in code page 932.
  const std::string dir = "C:\\\x83\x5C";
  winsim::AddDirectory(dir);
  EXPECT_TRUE(winsim::IsDirectory(dir));
  EXPECT_EQ(winsim::ListDirectory("C:\\").size(), 3u);  // KVTOOL, WINDOWS, and the new one
  EXPECT_NE(GetFileAttributesA(dir.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WinsimFsTest, DeleteInAMissingDirectoryIsPathNotFound) {
  EXPECT_FALSE(DeleteFileA("C:\\nodir\\a.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(WinsimFsTest, FullDiskRefusesWrites) {
  winsim::AddFile("C:\\big.bin", std::string(100, 'x'));
  winsim::SetDiskFree(50);
  EXPECT_FALSE(CopyFileA("C:\\big.bin", "C:\\copy.bin", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_FALSE(winsim::Exists("C:\\copy.bin"));
}

TEST_F(WinsimFsTest, ShortNamesFollowTheEightDotThreeScheme) {
  winsim::AddFile("C:\\Program Files\\Long File Name.text", "x");
  char buffer[MAX_PATH];
  DWORD n = GetShortPathNameA("C:\\Program Files\\Long File Name.text", buffer, MAX_PATH);
  ASSERT_GT(n, 0u);
  EXPECT_STREQ(buffer, "C:\\PROGRA~1\\LONGFI~1.TEX");
  EXPECT_EQ(GetShortPathNameA("C:\\WINDOWS\\system32", buffer, MAX_PATH), 19u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS\\system32");
}

TEST_F(WinsimFsTest, ARenamedRunningImageIsStillInUse) {
  winsim::AddFile("C:\\bin\\prog.exe", "MZ");
  winsim::SetInUse("C:\\bin\\prog.exe", ERROR_ACCESS_DENIED);
  EXPECT_TRUE(MoveFileA("C:\\bin\\prog.exe", "C:\\bin\\prog.old"));
  EXPECT_FALSE(DeleteFileA("C:\\bin\\prog.old"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(WinsimFsTest, DelayedMovesAreCarriedOutAtRestart) {
  winsim::AddFile("C:\\WINDOWS\\system32\\ZAMPUX.DLL", "old");
  winsim::AddFile("C:\\WINDOWS\\system32\\ZAMPUX.000", "new");
  winsim::SetInUse("C:\\WINDOWS\\system32\\ZAMPUX.DLL", ERROR_ACCESS_DENIED);
  EXPECT_TRUE(MoveFileExA("C:\\WINDOWS\\system32\\ZAMPUX.DLL", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_TRUE(MoveFileExA("C:\\WINDOWS\\system32\\ZAMPUX.000", "C:\\WINDOWS\\system32\\ZAMPUX.DLL",
                          MOVEFILE_DELAY_UNTIL_REBOOT));
  winsim::SimulateRestart();
  EXPECT_EQ(winsim::FileText("C:\\WINDOWS\\system32\\ZAMPUX.DLL"), "new");
  EXPECT_FALSE(winsim::Exists("C:\\WINDOWS\\system32\\ZAMPUX.000"));
  EXPECT_TRUE(winsim::PendingFileRenameOperations().empty());
}

TEST_F(WinsimFsTest, WininitRenameSectionIsCarriedOutOnThe95Family) {
  winsim::SetOs(winsim::Os::Win98);
  winsim::AddFile("C:\\WINDOWS\\system32\\ZAMPUX.DLL", "old");
  winsim::AddFile("C:\\WINDOWS\\system32\\ZAMPUX.000", "new");
  EXPECT_FALSE(MoveFileExA("C:\\WINDOWS\\system32\\ZAMPUX.000", "C:\\x", MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  // What the tool writes there, and the rename it brings, are
  // RestartRegistrationTest's; the file is kept as WININIT.BAK.
  EXPECT_TRUE(WritePrivateProfileStringA("rename", "C:\\WINDOWS\\system32\\ZAMPUX.DLL",
                                         "C:\\WINDOWS\\system32\\ZAMPUX.000", "WININIT.INI"));
  winsim::SimulateRestart();
  EXPECT_EQ(winsim::FileText("C:\\WINDOWS\\system32\\ZAMPUX.DLL"), "new");
  EXPECT_FALSE(winsim::Exists("C:\\WINDOWS\\WININIT.INI"));
  EXPECT_TRUE(winsim::Exists("C:\\WINDOWS\\WININIT.BAK"));
}

TEST_F(WinsimFsTest, FaultsApplyToMatchingCallsOnly) {
  winsim::AddFile("C:\\a.txt", "a");
  winsim::AddFile("C:\\b.txt", "b");
  winsim::InjectFault("DeleteFileA", ERROR_WRITE_FAULT, "b.TXT", 0, 1);
  EXPECT_TRUE(DeleteFileA("C:\\a.txt"));
  EXPECT_FALSE(DeleteFileA("C:\\b.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
  EXPECT_TRUE(DeleteFileA("C:\\b.txt"));  // the fault was for one call
  EXPECT_EQ(winsim::CallsTo("DeleteFileA").size(), 3u);
}

}  // namespace
