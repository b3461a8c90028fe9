// Path strings and directory tokens, including code page 932 text whose
// trail byte is 0x5C.
#include "sim_fixture.h"
#include "update/path_utils.h"
#include "win32api.h"

namespace {

// "ソ" in code page 932: lead byte 0x83, trail byte 0x5C.
const std::string kSo = "\x83\x5C";

class PathUtilsTest : public SimTest {};

TEST_F(PathUtilsTest, AddBackslashAppendsOnlyWhenMissing) {
  std::string empty;
  EXPECT_EQ(AddBackslash(empty), "");
  std::string dir = "C:\\dir";
  EXPECT_EQ(AddBackslash(dir), "C:\\dir\\");
  EXPECT_EQ(dir, "C:\\dir\\");  // changed in place too
  EXPECT_EQ(AddBackslash(dir), "C:\\dir\\");
  std::string dbcs = "C:\\" + kSo;
  EXPECT_EQ(AddBackslash(dbcs), "C:\\" + kSo + "\\");
}

TEST_F(PathUtilsTest, RemoveBackslashRemovesOneRealBackslash) {
  std::string dir = "C:\\dir\\\\";
  EXPECT_EQ(RemoveBackslash(dir), "C:\\dir\\");
  EXPECT_EQ(dir, "C:\\dir\\");
  std::string root = "C:\\";
  EXPECT_EQ(RemoveBackslash(root), "C:");
  std::string dbcs = "C:\\" + kSo;
  EXPECT_EQ(RemoveBackslash(dbcs), "C:\\" + kSo);
  std::string empty;
  EXPECT_EQ(RemoveBackslash(empty), "");
}

TEST_F(PathUtilsTest, SplitPathAtTheLastRealBackslash) {
  std::string dir, name;
  SplitPath("C:\\WINDOWS\\system32\\ZAMPUX.DLL", dir, name);
  EXPECT_EQ(dir, "C:\\WINDOWS\\system32\\");
  EXPECT_EQ(name, "ZAMPUX.DLL");
  SplitPath("ZAMPUX.DLL", dir, name);
  EXPECT_EQ(dir, "");
  EXPECT_EQ(name, "ZAMPUX.DLL");
  SplitPath("C:\\dir\\", dir, name);
  EXPECT_EQ(dir, "C:\\dir\\");
  EXPECT_EQ(name, "");
  // The trail byte of the file name's last character is not a separator.
  SplitPath("C:\\d\\a" + kSo, dir, name);
  EXPECT_EQ(dir, "C:\\d\\");
  EXPECT_EQ(name, "a" + kSo);
}

TEST_F(PathUtilsTest, JoinPathPutsExactlyOneBackslashBetween) {
  std::string path;
  JoinPath("C:\\dir", "f.txt", path);
  EXPECT_EQ(path, "C:\\dir\\f.txt");
  JoinPath("C:\\dir\\", "f.txt", path);
  EXPECT_EQ(path, "C:\\dir\\f.txt");
  JoinPath("", "f.txt", path);
  EXPECT_EQ(path, "f.txt");
  JoinPath(kSo, "f.txt", path);
  EXPECT_EQ(path, kSo + "\\f.txt");
}

TEST_F(PathUtilsTest, TokenDirectories) {
  EXPECT_EQ(GetTokenDirectory(DirTokenWindows), "C:\\WINDOWS");
  EXPECT_EQ(GetTokenDirectory(DirTokenCurrent), "C:\\KVTOOL");
  EXPECT_EQ(GetTokenDirectory(2), "");
  EXPECT_EQ(GetTokenDirectory(-1), "");

  winsim::SetWindowsDirectory("D:\\");
  EXPECT_EQ(GetTokenDirectory(DirTokenWindows), "D:");
  winsim::SetModuleFileName("KV_UPDAT.EXE");
  EXPECT_EQ(GetTokenDirectory(DirTokenCurrent), "");
  winsim::SetModuleFileName("C:\\" + kSo + "\\KV_UPDAT.EXE");
  EXPECT_EQ(GetTokenDirectory(DirTokenCurrent), "C:\\" + kSo);
}

TEST_F(PathUtilsTest, TokenDirectoryIsEmptyWhenTheSystemCannotTell) {
  winsim::InjectFault("GetWindowsDirectoryA", ERROR_INVALID_PARAMETER);
  winsim::InjectFault("GetModuleFileNameA", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetTokenDirectory(DirTokenWindows), "");
  EXPECT_EQ(GetTokenDirectory(DirTokenCurrent), "");
}

TEST_F(PathUtilsTest, ModuleNameLongerThanThePathLimitGivesNoDirectory) {
  // XP cuts such a name short without a terminator; it must not be used.
  winsim::SetModuleFileName("C:\\" + std::string(300, 'a') + "\\KV_UPDAT.EXE");
  EXPECT_EQ(GetTokenDirectory(DirTokenCurrent), "");
}

TEST_F(PathUtilsTest, ExpandDirTokenReplacesTheFirstTokenOnly) {
  std::string out;
  ExpandDirToken("%windir%", out);
  EXPECT_EQ(out, "C:\\WINDOWS");
  ExpandDirToken("%windir%\\system32\\zambaz.exe", out);
  EXPECT_EQ(out, "C:\\WINDOWS\\system32\\zambaz.exe");
  ExpandDirToken("%CurrentDir%", out);
  EXPECT_EQ(out, "C:\\KVTOOL");
  ExpandDirToken("junk%windir%\\x", out);
  EXPECT_EQ(out, "C:\\WINDOWS\\x");
  // "%windir%" is searched first, so what stands before it goes.
  ExpandDirToken("%CurrentDir%\\a\\%windir%\\b", out);
  EXPECT_EQ(out, "C:\\WINDOWS\\b");
  ExpandDirToken("%windir%\\%windir%", out);
  EXPECT_EQ(out, "C:\\WINDOWS\\%windir%");
}

TEST_F(PathUtilsTest, ExpandDirTokenIsExactAndCharacterAligned) {
  std::string out;
  ExpandDirToken("%WINDIR%\\x", out);
  EXPECT_EQ(out, "%WINDIR%\\x");
  ExpandDirToken("no token", out);
  EXPECT_EQ(out, "no token");
  // 0x81 0x25 is one double-byte character whose trail byte is "%": the token
  // cannot begin inside it.
  const std::string text = "\x81%windir%";
  ExpandDirToken(text, out);
  EXPECT_EQ(out, text);
}

}  // namespace
