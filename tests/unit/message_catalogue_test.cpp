// The message boxes: which text each outcome shows, how it is shown, and
// texts that cannot be loaded.
#include <string>

#include "sim_fixture.h"
#include "tool_strings.h"
#include "ui/message_catalogue.h"
#include "ui/string_table.h"
#include "winsim/ui_control.h"

namespace {

class MessageCatalogueTest : public SimTest {
 protected:
  // A text of the tool's string table as a Japanese system shows it.
  static std::string Text(UINT id) { return winsim::ToAnsi(ToolStringTable().at(id)); }
};

// The outcomes a run can reach (done, a restart asked, an unreachable
// firewall, nothing to remove, a failed change) are checked box by box in
// ToolAppTest; these are the others.
TEST_F(MessageCatalogueTest, EachOutcomeShowsItsText) {
  const struct {
    const char* name;
    int (*show)();
    UINT text;  // 0: no box
    UINT style;
    int answer;  // queued answer, 0 for none
    int result;
  } cases[] = {
      {"setup: plain user", [] { return ShowResultMessage(1, 3); }, 5025, MB_OK, 0, IDOK},
      {"removal: plain user", [] { return ShowResultMessage(2, 3); }, 5025, MB_OK, 0, IDOK},
      {"setup: suite missing", [] { return ShowResultMessage(1, 4); }, 5026, MB_OK, 0, IDOK},
      {"removal: suite missing", [] { return ShowResultMessage(2, 4); }, 0, 0, 0, 0},
      {"setup: no exceptions", [] { return ShowResultMessage(1, 5); }, 0, 0, 0, 0},
      {"no failure", [] { return ShowResultMessage(1, 0); }, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    FreshMachine();
    if (c.answer) winsim::AnswerMessageBox(c.answer);
    EXPECT_EQ(c.show(), c.result) << c.name;
    const auto boxes = winsim::MessageBoxes();
    ASSERT_EQ(boxes.size(), c.text ? 1u : 0u) << c.name;
    if (!c.text) continue;
    EXPECT_EQ(boxes[0].text, Text(c.text)) << c.name;
    EXPECT_EQ(boxes[0].caption, Text(5000)) << c.name;
    EXPECT_EQ(boxes[0].owner, nullptr) << c.name;
    EXPECT_EQ(boxes[0].style, c.style) << c.name;
  }
}

TEST_F(MessageCatalogueTest, ATextThatCannotBeLoadedLeavesItsPlaceEmpty) {
  winsim::InjectFault("LoadStringA", 1814, "5000", 0, 1);  // ERROR_RESOURCE_NAME_NOT_FOUND
  ShowDoneMessage(1);
  winsim::InjectFault("LoadStringA", 1814, "5029", 0, 1);
  ShowResultMessage(2, 6);
  const auto boxes = winsim::MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, Text(5008));
  EXPECT_EQ(boxes[0].caption, "");
  EXPECT_EQ(boxes[1].text, "");
  EXPECT_EQ(boxes[1].caption, Text(5000));
}

// Texts longer than the first buffer come whole, also where the buffer
// would end inside a double-byte character.
TEST_F(MessageCatalogueTest, LongTextsAreLoadedWhole) {
  struct RestoreTable {
    ~RestoreTable() { winsim::SetStringTable(ToolStringTable()); }
  } restore;
  std::string kana;
  for (int i = 0; i < 600; ++i) kana += "あ";
  winsim::SetStringTable({{1, std::string(511, 'x')}, {2, kana}});
  EXPECT_EQ(LoadTableText(1), std::string(511, 'x'));
  EXPECT_EQ(LoadTableText(2), winsim::ToAnsi(kana));
  EXPECT_EQ(LoadTableText(3), "");
}

}  // namespace
