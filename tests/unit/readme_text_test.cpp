// The read-me text: every line followed by CR LF, whatever ends it in the
// file, and an empty box when the file cannot be read.
#include "sim_fixture.h"
#include "ui/readme_text.h"

namespace {

class ReadmeTextTest : public SimTest {
 protected:
  static constexpr const char* kReadme = "C:\\KVTOOL\\Readme.txt";
};

TEST_F(ReadmeTextTest, EveryLineEndsInCrLf) {
  const std::string longLine(70000, 'x');  // longer than any read buffer
  const struct {
    const char* name;
    std::string file;
    std::string text;
  } cases[] = {
      {"CR LF", "one\r\ntwo\r\n", "one\r\ntwo\r\n"},
      {"lone LF", "one\ntwo\n", "one\r\ntwo\r\n"},
      {"last line without an end", "one\r\ntwo", "one\r\ntwo\r\n"},
      {"empty lines", "\n\r\n\n", "\r\n\r\n\r\n"},
      {"a lone CR stays", "a\rb\r\r\n", "a\rb\r\r\n"},
      {"DBCS text with a 0x5C trail byte", "\x83\x5C\x95\x5C\n", "\x83\x5C\x95\x5C\r\n"},
      {"a CR LF across a read boundary", std::string(4095, 'a') + "\r\nb", std::string(4095, 'a') + "\r\nb\r\n"},
      {"a long line", longLine + "\nend", longLine + "\r\nend\r\n"},
      {"an empty file", "", ""},
  };
  for (const auto& c : cases) {
    winsim::AddFile(kReadme, c.file);
    EXPECT_EQ(LoadReadme("Readme.txt"), c.text) << c.name;
  }
}

TEST_F(ReadmeTextTest, AFileThatCannotBeReadLeavesTheBoxEmpty) {
  winsim::AddFile(kReadme, "text\n");
  winsim::AddFile("C:\\OTHER\\Readme.txt", "elsewhere\n");
  const struct {
    const char* name;
    void (*arrange)();
    std::string text;
  } cases[] = {
      {"beside the tool", [] {}, "text\r\n"},
      {"missing", [] { ::DeleteFileA(kReadme); }, ""},
      {"held open by a writer that shares", [] {
         winsim::HoldOpenElsewhere(kReadme, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
       }, "text\r\n"},
      {"held open without sharing", [] { winsim::SetInUse(kReadme); }, ""},
      {"a read fails", [] { winsim::InjectFault("ReadFile", ERROR_LOCK_VIOLATION); }, ""},
      {"looked up in the current directory", [] { winsim::SetCurrentDirectory("C:\\OTHER"); }, "elsewhere\r\n"},
  };
  for (const auto& c : cases) {
    c.arrange();
    EXPECT_EQ(LoadReadme("Readme.txt"), c.text) << c.name;
    winsim::ClearInUse(kReadme);
    winsim::ClearFaults();
    winsim::SetCurrentDirectory("C:\\KVTOOL");
    winsim::AddFile(kReadme, "text\n");
  }
}

}  // namespace

// Started from elsewhere (a shortcut, a script), the tool still finds the
// read-me beside itself; one in the current directory comes first.
TEST_F(ReadmeTextTest, TheReadmeIsLookedForInTheCurrentDirectoryThenBesideTheProgram) {
  winsim::AddFile(kReadme, "beside\n");
  winsim::AddDirectory("C:\\OTHER");
  const struct {
    const char* name;
    const char* current;  // Readme.txt in the current directory, or null
    const char* text;
  } cases[] = {
      {"only beside the program", nullptr, "beside\r\n"},
      {"in the current directory too", "current\n", "current\r\n"},
  };
  for (const auto& c : cases) {
    winsim::SetCurrentDirectory("C:\\OTHER");
    if (c.current) winsim::AddFile("C:\\OTHER\\Readme.txt", c.current);
    EXPECT_EQ(LoadToolReadme(), c.text) << c.name;
  }
  winsim::InjectFault("GetModuleFileNameA", ERROR_INSUFFICIENT_BUFFER);
  ::DeleteFileA("C:\\OTHER\\Readme.txt");
  EXPECT_EQ(LoadToolReadme(), "") << "the program's directory unknown";
}
