// The simulated file system behaves as Windows does for the calls the tool
// makes.
#include "sim_fixture.h"
#include "win32api.h"

namespace {

class WinsimFsTest : public SimTest {};

TEST_F(WinsimFsTest, PathsAreCaseInsensitiveAndKeepTheirCase) {
  winsim::AddFile("C:\\Data\\ReadMe.TXT", "x");
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA("c:\\DATA\\readme.txt", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "ReadMe.TXT");
  EXPECT_TRUE(FindClose(find));
  EXPECT_EQ(winsim::OpenHandleCount(), 0);
}

TEST_F(WinsimFsTest, TrailByteBackslashIsNotASeparator) {
  // 0x83 0x5C is one character in code page 932.
  const std::string dir = "C:\\\x83\x5C";
  winsim::AddDirectory(dir);
  EXPECT_TRUE(winsim::IsDirectory(dir));
  EXPECT_EQ(winsim::ListDirectory("C:\\").size(), 3u);  // KVTOOL, WINDOWS, and the new one
  EXPECT_NE(GetFileAttributesA(dir.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WinsimFsTest, DeleteRefusesReadOnlyAndInUseFiles) {
  winsim::AddFile("C:\\a.txt", "a");
  winsim::SetAttributes("C:\\a.txt", FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(DeleteFileA("C:\\a.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  winsim::SetAttributes("C:\\a.txt", 0);
  winsim::SetInUse("C:\\a.txt", ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(DeleteFileA("C:\\a.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  winsim::ClearInUse("C:\\a.txt");
  EXPECT_TRUE(DeleteFileA("C:\\a.txt"));
  EXPECT_FALSE(DeleteFileA("C:\\a.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileA("C:\\nodir\\a.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(WinsimFsTest, MoveDoesNotReplaceAndCopyKeepsTimeAndAttributes) {
  winsim::AddFile("C:\\a.txt", "a");
  winsim::AddFile("C:\\b.txt", "b");
  EXPECT_FALSE(MoveFileA("C:\\a.txt", "C:\\b.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  const FILETIME before = winsim::WriteTime("C:\\a.txt");
  winsim::SetAttributes("C:\\a.txt", FILE_ATTRIBUTE_READONLY);
  winsim::AdvanceClock(5000);
  EXPECT_TRUE(CopyFileA("C:\\a.txt", "C:\\c.txt", TRUE));
  const FILETIME copied = winsim::WriteTime("C:\\c.txt");
  EXPECT_EQ(CompareFileTime(&before, &copied), 0);
  EXPECT_TRUE(winsim::Attributes("C:\\c.txt") & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(CopyFileA("C:\\a.txt", "C:\\b.txt", TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
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
  EXPECT_EQ(GetShortPathNameA("C:\\missing.txt", buffer, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(WinsimFsTest, ShortPathTakesEveryComponentFromTheDisk) {
  // An 8.3 component written in another case comes back as stored, and a
  // missing directory is reported like a missing file.
  winsim::AddFile("C:\\Data\\PLAIN.TXT", "x");
  char buffer[MAX_PATH];
  EXPECT_EQ(GetShortPathNameA("C:\\DATA\\Plain.txt", buffer, MAX_PATH), 17u);
  EXPECT_STREQ(buffer, "C:\\Data\\PLAIN.TXT");
  SetLastError(0);
  EXPECT_EQ(GetShortPathNameA("C:\\NoDir\\PLAIN.TXT", buffer, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(WinsimFsTest, RunningImageCanBeRenamedButNotDeletedOrOverwritten) {
  winsim::AddFile("C:\\bin\\prog.exe", "MZ");
  winsim::AddFile("C:\\bin\\new.exe", "MZ new");
  winsim::SetInUse("C:\\bin\\prog.exe", ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileA("C:\\bin\\prog.exe"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(CopyFileA("C:\\bin\\new.exe", "C:\\bin\\prog.exe", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(winsim::FileText("C:\\bin\\prog.exe"), "MZ");
  // Renamed, the image is still the running one.
  EXPECT_TRUE(MoveFileA("C:\\bin\\prog.exe", "C:\\bin\\prog.old"));
  EXPECT_FALSE(DeleteFileA("C:\\bin\\prog.old"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(WinsimFsTest, OpenFileRefusesDeleteRenameAndOverwrite) {
  winsim::AddFile("C:\\open.txt", "a");
  winsim::AddFile("C:\\other.txt", "b");
  winsim::SetInUse("C:\\open.txt", ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(MoveFileA("C:\\open.txt", "C:\\moved.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(CopyFileA("C:\\other.txt", "C:\\open.txt", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(winsim::FileText("C:\\open.txt"), "a");
}

TEST_F(WinsimFsTest, DelayedMovesAreRecordedInOrderAndCarriedOutAtRestart) {
  winsim::AddFile("C:\\WINDOWS\\system32\\ZAMPUX.DLL", "old");
  winsim::AddFile("C:\\WINDOWS\\system32\\ZAMPUX.000", "new");
  winsim::SetInUse("C:\\WINDOWS\\system32\\ZAMPUX.DLL", ERROR_ACCESS_DENIED);
  EXPECT_TRUE(MoveFileExA("C:\\WINDOWS\\system32\\ZAMPUX.DLL", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_TRUE(MoveFileExA("C:\\WINDOWS\\system32\\ZAMPUX.000", "C:\\WINDOWS\\system32\\ZAMPUX.DLL",
                          MOVEFILE_DELAY_UNTIL_REBOOT));
  const auto pending = winsim::PendingFileRenameOperations();
  ASSERT_EQ(pending.size(), 2u);
  EXPECT_EQ(pending[0].source, "\\??\\C:\\WINDOWS\\system32\\ZAMPUX.DLL");
  EXPECT_EQ(pending[0].target, "");
  EXPECT_EQ(pending[1].target, "\\??\\C:\\WINDOWS\\system32\\ZAMPUX.DLL");
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
  EXPECT_TRUE(WritePrivateProfileStringA("rename", "C:\\WINDOWS\\system32\\ZAMPUX.DLL",
                                         "C:\\WINDOWS\\system32\\ZAMPUX.000", "WININIT.INI"));
  EXPECT_EQ(winsim::FileText("C:\\WINDOWS\\WININIT.INI"),
            "[rename]\r\nC:\\WINDOWS\\system32\\ZAMPUX.DLL=C:\\WINDOWS\\system32\\ZAMPUX.000\r\n");
  winsim::SimulateRestart();
  EXPECT_EQ(winsim::FileText("C:\\WINDOWS\\system32\\ZAMPUX.DLL"), "new");
  EXPECT_FALSE(winsim::Exists("C:\\WINDOWS\\WININIT.INI"));
  EXPECT_TRUE(winsim::Exists("C:\\WINDOWS\\WININIT.BAK"));
}

TEST_F(WinsimFsTest, ProfileKeyKeepsItsSpellingWhenItsValueChanges) {
  EXPECT_TRUE(WritePrivateProfileStringA("rename", "C:\\A\\B.DLL", "C:\\A\\B.000", "C:\\t.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("RENAME", "c:\\a\\b.dll", "C:\\A\\B.001", "C:\\t.ini"));
  EXPECT_EQ(winsim::FileText("C:\\t.ini"), "[rename]\r\nC:\\A\\B.DLL=C:\\A\\B.001\r\n");
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
