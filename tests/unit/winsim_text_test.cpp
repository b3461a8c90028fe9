// Code page 932 on the simulated machine: lead bytes, character stepping and
// conversion to UTF-16.
#include "sim_fixture.h"
#include "win32api.h"

namespace {

class WinsimTextTest : public SimTest {};

TEST_F(WinsimTextTest, TrailByteBackslashStaysInsideItsCharacter) {
  const char text[] = "C:\\\x83\x5C\\a";  // "C:\ソ\a"
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_TRUE(IsDBCSLeadByte(0x83));
  EXPECT_FALSE(IsDBCSLeadByte(0x5C));
  const char* p = CharNextA(text + 3);
  EXPECT_EQ(p, text + 5);
  EXPECT_EQ(CharPrevA(text, text + 5), text + 3);
  EXPECT_EQ(CharNextA(text + 7), text + 7);  // stays on the terminator
}

TEST_F(WinsimTextTest, MultiByteToWideCharConvertsCodePage932) {
  const char text[] = "C:\\\x83\x5C";
  WCHAR wide[16] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 5);  // with the terminator
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 16), 5);
  EXPECT_EQ(wide[3], u'\x30BD');  // KATAKANA LETTER SO
  EXPECT_EQ(wide[4], u'\0');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 3, wide, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(WinsimTextTest, SingleByteCodePageHasNoLeadBytes) {
  winsim::SetCodePage(1252);
  EXPECT_FALSE(IsDBCSLeadByte(0x83));
  const char text[] = "\xE9";
  WCHAR wide[2] = {};
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 1, wide, 2), 1);
  EXPECT_EQ(wide[0], u'\xE9');
}

TEST_F(WinsimTextTest, ConversionFaultsCanBeInjected) {
  winsim::InjectFault("MultiByteToWideChar", ERROR_NOT_ENOUGH_MEMORY);
  WCHAR wide[4];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", -1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

}  // namespace
