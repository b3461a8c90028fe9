// Existence, forced deletion, moving over a file, directory trees and the
// numbered staging names.
#include "sim_fixture.h"
#include "update/file_ops.h"
#include "win32api.h"

namespace {

const char* kSys = "C:\\WINDOWS\\system32";

class FileOpsTest : public SimTest {};

TEST_F(FileOpsTest, FileExistsForFilesAndDirectoriesAndClosesItsSearch) {
  winsim::AddFile("C:\\a.txt", "a");
  EXPECT_EQ(FileExists("C:\\a.txt"), 1);
  EXPECT_EQ(FileExists(kSys), 1);
  EXPECT_EQ(FileExists("C:\\missing.txt"), 0);
  EXPECT_EQ(FileExists(""), 0);
  EXPECT_TRUE(winsim::CallsTo("FindFirstFileA").size() == 3u);  // none for the empty path

  // A look-up that fails otherwise than "no such file" tells nothing.
  EXPECT_EQ(LookUpFile("C:\\missing.txt"), 0);
  winsim::InjectFault("FindFirstFileA", ERROR_ACCESS_DENIED);
  EXPECT_EQ(LookUpFile("C:\\a.txt"), -1);
  EXPECT_EQ(FileExists("C:\\a.txt"), 0);
}

TEST_F(FileOpsTest, ForceDeleteFileCodes) {
  EXPECT_EQ(ForceDeleteFile("C:\\missing.txt"), 0);
  EXPECT_TRUE(winsim::CallsTo("DeleteFileA").empty());

  winsim::AddFile("C:\\ro.txt", "r");
  winsim::SetAttributes("C:\\ro.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(ForceDeleteFile("C:\\ro.txt"), 1);
  EXPECT_FALSE(winsim::Exists("C:\\ro.txt"));
  const auto set = winsim::CallsTo("SetFileAttributesA");
  ASSERT_EQ(set.size(), 1u);
  EXPECT_EQ(set[0].args[1], "0x2");  // only the read-only bit is cleared

  winsim::AddFile("C:\\busy.txt", "b");
  winsim::SetInUse("C:\\busy.txt", ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ForceDeleteFile("C:\\busy.txt"), -1);
  EXPECT_TRUE(winsim::Exists("C:\\busy.txt"));

  // A failed look-up is not "nothing to delete".
  winsim::AddFile("C:\\unseen.txt", "u");
  winsim::InjectFault("FindFirstFileA", ERROR_ACCESS_DENIED, "unseen", 0, 1);
  EXPECT_EQ(ForceDeleteFile("C:\\unseen.txt"), 1);
  EXPECT_FALSE(winsim::Exists("C:\\unseen.txt"));
}

TEST_F(FileOpsTest, MoveFileOverCodes) {
  EXPECT_EQ(MoveFileOver("C:\\none", "C:\\t"), -3);

  winsim::AddFile("C:\\s1", "one");
  EXPECT_EQ(MoveFileOver("C:\\s1", "C:\\t"), 0);
  EXPECT_EQ(winsim::FileText("C:\\t"), "one");

  winsim::AddFile("C:\\s2", "two");
  winsim::SetAttributes("C:\\t", FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(MoveFileOver("C:\\s2", "C:\\t"), 1);
  EXPECT_EQ(winsim::FileText("C:\\t"), "two");
  EXPECT_FALSE(winsim::Exists("C:\\s2"));

  winsim::AddFile("C:\\s3", "three");
  winsim::SetInUse("C:\\t", ERROR_ACCESS_DENIED);
  EXPECT_EQ(MoveFileOver("C:\\s3", "C:\\t"), -1);
  EXPECT_EQ(winsim::FileText("C:\\s3"), "three");  // the source stays
  EXPECT_EQ(winsim::FileText("C:\\t"), "two");

  // The target's content is set aside before it is deleted, and put back
  // when the rename fails; no copy stays.
  winsim::ClearInUse("C:\\t");
  winsim::InjectFault("MoveFileA", ERROR_SHARING_VIOLATION, "C:\\s3", 0, 1);
  EXPECT_EQ(MoveFileOver("C:\\s3", "C:\\t"), -2);
  EXPECT_EQ(winsim::FileText("C:\\t"), "two");
  EXPECT_EQ(winsim::FileText("C:\\s3"), "three");
  EXPECT_FALSE(winsim::Exists("C:\\t.000"));

  // No copy aside, no deletion.
  winsim::InjectFault("CopyFileA", ERROR_DISK_FULL, "", 0, 1);
  EXPECT_EQ(MoveFileOver("C:\\s3", "C:\\t"), -1);
  EXPECT_EQ(winsim::FileText("C:\\t"), "two");
  EXPECT_FALSE(winsim::Exists("C:\\t.000"));
}

TEST_F(FileOpsTest, CreateDirectoryTreeCodes) {
  EXPECT_EQ(CreateDirectoryTree(""), -2);
  EXPECT_EQ(CreateDirectoryTree("C:\\"), -1);
  EXPECT_EQ(CreateDirectoryTree("C:"), -1);
  EXPECT_EQ(CreateDirectoryTree("C:\\WINDOWS\\system32\\"), 0);

  EXPECT_EQ(CreateDirectoryTree("C:\\a\\b\\c\\"), 0);
  EXPECT_TRUE(winsim::IsDirectory("C:\\a\\b\\c"));

  winsim::AddFile("C:\\file.txt", "f");
  EXPECT_EQ(CreateDirectoryTree("C:\\file.txt"), -3);
  EXPECT_EQ(CreateDirectoryTree("C:\\file.txt\\sub\\"), -3);  // a file in the way of a parent

  winsim::InjectFault("CreateDirectoryA", ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateDirectoryTree("C:\\x\\y"), -2);
  EXPECT_FALSE(winsim::Exists("C:\\x"));
  EXPECT_EQ(CreateDirectoryTree("relative"), -2);
}

// The extension is replaced by the first free number; a dot in a directory
// (after a trail byte that looks like a backslash, too) is no extension.
TEST_F(FileOpsTest, NumberedNamesReplaceTheExtensionBesideTheFile) {
  winsim::AddFile("C:\\WINDOWS\\system32\\ZAMPUX.000", "left over");
  winsim::AddFile("C:\\WINDOWS\\system32\\ZAMPUX.001", "left over");
  const struct {
    std::string path, numbered;
  } cases[] = {
      {"C:\\WINDOWS\\system32\\ZAMPUX.DLL", "C:\\WINDOWS\\system32\\ZAMPUX.002"},
      {"C:\\WINDOWS\\system32\\ZAMWTQNT.EXE", "C:\\WINDOWS\\system32\\ZAMWTQNT.000"},
      {"C:\\dir.old\\README", "C:\\dir.old\\README.000"},
      {"README", "README.000"},
      {"C:\\\x83\x5C.x\\FILE.DLL", "C:\\\x83\x5C.x\\FILE.000"},  // C:\ソ.x\FILE.DLL
  };
  for (const auto& c : cases) {
    std::string name;
    ASSERT_TRUE(MakeNumberedName(c.path, name)) << c.path;
    EXPECT_EQ(name, c.numbered) << c.path;
  }

  // A name whose look-up fails may be taken: it is passed over.
  winsim::InjectFault("FindFirstFileA", ERROR_ACCESS_DENIED, "ZAMPUX.001", 0, 1);
  std::string name;
  ASSERT_TRUE(MakeNumberedName("C:\\WINDOWS\\system32\\ZAMPUX.DLL", name));
  EXPECT_EQ(name, "C:\\WINDOWS\\system32\\ZAMPUX.002");
}

}  // namespace
