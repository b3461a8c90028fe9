// Files opened for reading on the simulated Windows: CreateFileA, ReadFile,
// GetFileSize, and the sharing rules an open handle imposes on the rest of
// the file system. (The plain answers are compared with Wine by the probe.)
#include "sim_fixture.h"
#include "win32api.h"

namespace {

class WinsimFileHandleTest : public SimTest {
 protected:
  HANDLE Open(const char* path, DWORD share = FILE_SHARE_READ, DWORD access = GENERIC_READ,
              DWORD disposition = OPEN_EXISTING) {
    return CreateFileA(path, access, share, nullptr, disposition, 0, nullptr);
  }
};

TEST_F(WinsimFileHandleTest, OpensRefusedWithTheirErrors) {
  winsim::AddFile("C:\\a.txt", "abc");
  winsim::AddFile("C:\\held.txt", "h");
  winsim::SetInUse("C:\\held.txt", ERROR_SHARING_VIOLATION);
  winsim::AddFile("C:\\run.exe", "MZ");
  winsim::SetInUse("C:\\run.exe", ERROR_ACCESS_DENIED);
  struct Row {
    const char* path;
    DWORD share, access, disposition, error;
  } rows[] = {
      {"", FILE_SHARE_READ, GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
      {"C:\\held.txt", FILE_SHARE_READ | FILE_SHARE_WRITE, GENERIC_READ, OPEN_EXISTING, ERROR_SHARING_VIOLATION},
      // The running image is mapped for reading: an open must share reading.
      {"C:\\run.exe", 0, GENERIC_READ, OPEN_EXISTING, ERROR_SHARING_VIOLATION},
      // What is not modelled fails loudly.
      {"C:\\a.txt", FILE_SHARE_READ, GENERIC_WRITE, OPEN_EXISTING, ERROR_NOT_SUPPORTED},
      {"C:\\a.txt", FILE_SHARE_READ, GENERIC_READ, OPEN_ALWAYS, ERROR_NOT_SUPPORTED},
      {"C:\\a.txt", FILE_SHARE_READ | FILE_SHARE_DELETE, GENERIC_READ, OPEN_EXISTING, ERROR_NOT_SUPPORTED},
  };
  for (const Row& row : rows) {
    SetLastError(0);
    EXPECT_EQ(Open(row.path, row.share, row.access, row.disposition), INVALID_HANDLE_VALUE) << row.path;
    EXPECT_EQ(GetLastError(), row.error) << row.path;
  }
  HANDLE image = Open("C:\\run.exe");
  EXPECT_NE(image, INVALID_HANDLE_VALUE);
  CloseHandle(image);
}

// Sizes and reads from the position are compared with Wine by the probe;
// faults in CreateFileA, ReadFile and GetFileSize are exercised by
// FileExpandTest through the tool.
TEST_F(WinsimFileHandleTest, AHandleIsReportedUntilClosed) {
  winsim::AddFile("C:\\a.txt", "abcdef");
  HANDLE file = Open("C:\\a.txt");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[8] = {};
  DWORD got = 0;
  const std::vector<std::string> open = winsim::OpenResources();
  ASSERT_EQ(open.size(), 1u);
  EXPECT_NE(open[0].find(": file C:\\a.txt"), std::string::npos) << open[0];
  EXPECT_EQ(winsim::OpenHandleCount(), 1);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(winsim::FormatCall(winsim::CallsTo("CloseHandle").back()), "CloseHandle(file C:\\a.txt)");
  EXPECT_FALSE(ReadFile(file, buffer, 8, &got, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetFileSize(file, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(WinsimFileHandleTest, AnOpenHandleSharesOnlyWhatItsModeAllows) {
  winsim::AddFile("C:\\a.txt", "a");
  winsim::AddFile("C:\\b.txt", "b");
  HANDLE shared = Open("C:\\a.txt", FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(shared, INVALID_HANDLE_VALUE);
  // Writing is shared; deleting and renaming never are.
  EXPECT_TRUE(CopyFileA("C:\\b.txt", "C:\\a.txt", FALSE));
  EXPECT_FALSE(DeleteFileA("C:\\a.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(MoveFileA("C:\\a.txt", "C:\\c.txt"));
  EXPECT_FALSE(MoveFileExA("C:\\b.txt", "C:\\a.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(shared);

  // Without shared reading, nobody else reads.
  HANDLE exclusive = Open("C:\\a.txt", 0);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CopyFileA("C:\\a.txt", "C:\\c.txt", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  std::string name = "C:\\a.txt";
  OFSTRUCT of{};
  EXPECT_EQ(LZOpenFileA(&name[0], &of, OF_READ), HFILE_ERROR);
  CloseHandle(exclusive);
  EXPECT_TRUE(DeleteFileA("C:\\a.txt"));
}

}  // namespace
