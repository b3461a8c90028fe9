// Path strings and directory tokens, including code page 932 text whose
// trail byte is 0x5C.
#include "sim_fixture.h"
#include "update/path_utils.h"
#include "win32api.h"

namespace {

// "ソ" in code page 932: lead byte 0x83, trail byte 0x5C.
const std::string kSo = "\x83\x5C";

class PathUtilsTest : public SimTest {};

// Both change the string in place and return it; a trail byte 0x5C is no
// backslash.
TEST_F(PathUtilsTest, AddAndRemoveOneRealBackslash) {
  const struct {
    std::string path, added, removed;
  } cases[] = {
      {"", "", ""},
      {"C:\\dir", "C:\\dir\\", "C:\\dir"},
      {"C:\\dir\\", "C:\\dir\\", "C:\\dir"},
      {"C:\\dir\\\\", "C:\\dir\\\\", "C:\\dir\\"},
      {"C:\\", "C:\\", "C:"},
      {"C:\\" + kSo, "C:\\" + kSo + "\\", "C:\\" + kSo},
  };
  for (const auto& c : cases) {
    std::string added = c.path, removed = c.path;
    EXPECT_EQ(AddBackslash(added), c.added) << c.path;
    EXPECT_EQ(added, c.added) << c.path;
    EXPECT_EQ(RemoveBackslash(removed), c.removed) << c.path;
    EXPECT_EQ(removed, c.removed) << c.path;
  }
}

TEST_F(PathUtilsTest, SplitAndJoinAtOneRealBackslash) {
  const struct {
    std::string path, dir, name;
  } splits[] = {
      {"C:\\WINDOWS\\system32\\ZAMPUX.DLL", "C:\\WINDOWS\\system32\\", "ZAMPUX.DLL"},
      {"ZAMPUX.DLL", "", "ZAMPUX.DLL"},
      {"C:\\dir\\", "C:\\dir\\", ""},
      {"C:\\d\\a" + kSo, "C:\\d\\", "a" + kSo},
  };
  for (const auto& c : splits) {
    std::string dir, name;
    SplitPath(c.path, dir, name);
    EXPECT_EQ(dir, c.dir) << c.path;
    EXPECT_EQ(name, c.name) << c.path;
  }
  const struct {
    std::string dir, joined;
  } joins[] = {{"C:\\dir", "C:\\dir\\f.txt"}, {"C:\\dir\\", "C:\\dir\\f.txt"}, {"", "f.txt"}, {kSo, kSo + "\\f.txt"}};
  for (const auto& c : joins) {
    std::string path;
    JoinPath(c.dir, "f.txt", path);
    EXPECT_EQ(path, c.joined) << c.dir;
  }
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
  // XP cuts a name longer than the path limit short without a terminator;
  // it must not be used.
  winsim::SetModuleFileName("C:\\" + std::string(300, 'a') + "\\KV_UPDAT.EXE");
  EXPECT_EQ(GetTokenDirectory(DirTokenCurrent), "");
}

TEST_F(PathUtilsTest, TokenDirectoryIsEmptyWhenTheSystemCannotTell) {
  winsim::InjectFault("GetWindowsDirectoryA", ERROR_INVALID_PARAMETER);
  winsim::InjectFault("GetModuleFileNameA", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetTokenDirectory(DirTokenWindows), "");
  EXPECT_EQ(GetTokenDirectory(DirTokenCurrent), "");
}

// The first token only, "%windir%" searched first (what stands before it
// goes), matched exactly and never inside a double-byte character (0x81 0x25
// is one character whose trail byte is "%").
TEST_F(PathUtilsTest, ExpandDirTokenReplacesTheFirstTokenOnly) {
  const struct {
    std::string text, expanded;
  } cases[] = {
      {"%windir%", "C:\\WINDOWS"},
      {"%windir%\\system32\\zambaz.exe", "C:\\WINDOWS\\system32\\zambaz.exe"},
      {"%CurrentDir%", "C:\\KVTOOL"},
      {"junk%windir%\\x", "C:\\WINDOWS\\x"},
      {"%CurrentDir%\\a\\%windir%\\b", "C:\\WINDOWS\\b"},
      {"%windir%\\%windir%", "C:\\WINDOWS\\%windir%"},
      {"%WINDIR%\\x", "%WINDIR%\\x"},
      {"no token", "no token"},
      {"\x81%windir%", "\x81%windir%"},
  };
  for (const auto& c : cases) {
    std::string out;
    ExpandDirToken(c.text, out);
    EXPECT_EQ(out, c.expanded) << c.text;
  }
}

}  // namespace
