// Closing a window with a bounded wait, and starting a program so that only
// its own file can run.
#include "suite/program_control.h"
#include "suite_fixture.h"

namespace {

class ProgramControlTest : public SuiteTest {};

TEST_F(ProgramControlTest, ClosingAWindowCostsWhatItTakesAndNoMoreThanTenPointOneSeconds) {
  using winsim::WindowReaction;
  const struct {
    const char* name;
    WindowReaction reaction;
    uint64_t closeDelayMs;
    uint64_t elapsedMs;
  } cases[] = {
      {"closes at once", WindowReaction::Closes, 0, 100},
      {"closes after 250 ms", WindowReaction::Closes, 250, 400},
      {"closes after 9.95 s", WindowReaction::Closes, 9950, 10100},
      {"ignores the message", WindowReaction::Ignores, 0, 10100},
      {"its thread hangs", WindowReaction::Hangs, 0, 10100},
  };
  for (const auto& c : cases) {
    const HWND window = OpenPanel(c.reaction, c.closeDelayMs);
    const uint64_t start = winsim::NowMs();
    CloseWindowAndWait(window, 0x406, 0, 0);
    EXPECT_EQ(winsim::NowMs() - start, c.elapsedMs) << c.name;
    EXPECT_EQ(winsim::WindowExists(window), c.reaction != WindowReaction::Closes) << c.name;
  }
  EXPECT_TRUE(winsim::CallsTo("SendMessageA").empty());

  winsim::ClearCallLog();
  const uint64_t start = winsim::NowMs();
  CloseWindowAndWait(nullptr, 0x406, 0, 0);
  EXPECT_EQ(winsim::NowMs(), start);
  EXPECT_TRUE(winsim::CallLog().empty());
}

TEST_F(ProgramControlTest, LaunchStartsExactlyThatFileAndDoesNotWait) {
  winsim::AddFile(kPanel, "MZ panel");
  winsim::SetProgramWindow(kPanel, PanelWindow());
  EXPECT_EQ(LaunchProgram(kPanel), 1);
  const std::vector<winsim::Launch> launches = winsim::Launches();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].applicationName, kPanel);
  EXPECT_EQ(launches[0].commandLine, "\"" + std::string(kPanel) + "\"");
  EXPECT_EQ(launches[0].image, kPanel);
  EXPECT_EQ(launches[0].creationFlags, 0u);
  EXPECT_EQ(launches[0].inheritHandles, FALSE);
  EXPECT_EQ(launches[0].currentDirectory, "NULL");
  EXPECT_EQ(launches[0].startupInfoSize, sizeof(STARTUPINFOA));
  EXPECT_EQ(launches[0].startupFlags, 0u);
  EXPECT_EQ(winsim::WindowCount("BAZWndClass", "Kestrovane"), 1);
  EXPECT_EQ(winsim::NowMs(), 0u);
}

// Windows in a directory with a space: the first word of an unquoted
// command line would name C:\Win.exe.
TEST_F(ProgramControlTest, APathWithSpacesNeverStartsAnotherProgram) {
  winsim::SetWindowsDirectory("C:\\Win Dir");
  const std::string panel = "C:\\Win Dir\\system32\\ZAMBAZ.EXE";
  winsim::AddFile(panel, "MZ panel");
  winsim::AddFile("C:\\Win.exe", "MZ planted");
  EXPECT_EQ(LaunchProgram(panel), 1);
  ASSERT_EQ(winsim::Launches().size(), 1u);
  EXPECT_EQ(winsim::Launches()[0].image, panel);
}

TEST_F(ProgramControlTest, LongPathsAndMissingProgramsAreHandled) {
  const std::string longPath = "C:\\" + std::string(300, 'd') + "\\ZAMBAZ.EXE";  // longer than any fixed buffer
  winsim::AddFile(longPath, "MZ panel");
  EXPECT_EQ(LaunchProgram(longPath), 1);
  ASSERT_EQ(winsim::Launches().size(), 1u);
  EXPECT_EQ(winsim::Launches()[0].commandLine, "\"" + longPath + "\"");  // whole, not cut short

  EXPECT_EQ(LaunchProgram("C:\\NOWHERE\\ZAMBAZ.EXE"), 1);
  ASSERT_EQ(winsim::Launches().size(), 2u);
  EXPECT_EQ(winsim::Launches()[1].image, "");
}

}  // namespace
