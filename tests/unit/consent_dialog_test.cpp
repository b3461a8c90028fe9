// The consent dialog as a user meets it: what is enabled when, what scrolling
// the read-me does, and how it ends. The introduction, a plain dialog, is met
// in ToolAppTest's runs.
#include "dialog_fixture.h"
#include "ui/consent_dialog.h"
#include "ui/dialog_ids.h"

namespace {

class ConsentDialogTest : public DialogTest {
 protected:
  const DialogRecord& Run(std::vector<UserAction> script) {
    user.Script(kConsentDialogTemplate, std::move(script));
    user.RunModal(kConsentDialogTemplate, dialog);
    return user.Last(kConsentDialogTemplate);
  }
  ConsentDialog dialog;
};

TEST_F(ConsentDialogTest, OpensWithTheReadmeFromItsTopAndOnlyDisagreeAndCancelUsable) {
  const std::string text = WriteReadme(40);
  const DialogRecord& shown = Run({PressEsc()});
  const ControlStates& c = shown.shown;
  EXPECT_FALSE(c.at(IDOK).enabled);
  EXPECT_FALSE(c.at(kAgreeButton).enabled);
  EXPECT_FALSE(c.at(kScopeAnyCheckBox).enabled);
  EXPECT_TRUE(c.at(kDisagreeButton).enabled);
  EXPECT_TRUE(c.at(IDCANCEL).enabled);
  for (int id : {kAgreeButton, kDisagreeButton, kScopeAnyCheckBox}) EXPECT_FALSE(c.at(id).checked) << id;
  EXPECT_TRUE(c.at(kHeading).bold);
  EXPECT_TRUE(c.at(kDisagreeButton).tabStop);  // the keyboard reaches the radio group
  EXPECT_EQ(c.at(kReadmeBox).text, text);
  EXPECT_TRUE(shown.caretAtStart);
  EXPECT_EQ(shown.readme.position, 0u);
  EXPECT_EQ(shown.result, IDCANCEL);
}

TEST_F(ConsentDialogTest, AgreeFollowsTheScrollRuleAndOkTheRadioButtons) {
  const unsigned kEnd = 41 - 12;  // 40 lines and the empty last one, a page of 12
  const struct {
    const char* name;
    unsigned readmeLines;  // 0: no read-me
    bool wineBox;          // the box reports the program's own scrolling
    std::vector<UserAction> script;
    bool agree, ok, scope, scopeChecked;
    INT_PTR result;
  } cases[] = {
      {"untouched", 40, false, {PressEsc()}, false, false, false, false, IDCANCEL},
      {"scroll bar to the end", 40, false, {ScrollReadmeToEnd(ScrollWay::ScrollBar), PressEsc()},
       true, false, false, false, IDCANCEL},
      {"wheel to the end", 40, false, {ScrollReadmeToEnd(ScrollWay::Notification), PressEsc()},
       true, false, false, false, IDCANCEL},
      {"scroll bar one line short", 40, false, {ScrollReadmeTo(kEnd - 1, ScrollWay::ScrollBar), PressEsc()},
       false, false, false, false, IDCANCEL},
      {"wheel one line short", 40, false, {ScrollReadmeTo(kEnd - 1, ScrollWay::Notification), PressEsc()},
       false, false, false, false, IDCANCEL},
      {"end reached, then back to the top", 40, false,
       {ScrollReadmeToEnd(ScrollWay::Notification), ScrollReadmeTo(0, ScrollWay::ScrollBar),
        ScrollReadmeTo(0, ScrollWay::Notification), PressEsc()},
       true, false, false, false, IDCANCEL},
      {"a text that fits the box", 5, false,
       {ScrollReadmeToEnd(ScrollWay::ScrollBar), ScrollReadmeToEnd(ScrollWay::Notification), PressEsc()},
       false, false, false, false, IDCANCEL},
      {"no read-me", 0, false, {ScrollReadmeToEnd(ScrollWay::Notification), PressEsc()},
       false, false, false, false, IDCANCEL},
      {"the box reports filling and placing the caret", 40, true, {PressEsc()},
       false, false, false, false, IDCANCEL},
      {"that box, wheel to the end", 40, true, {ScrollReadmeToEnd(ScrollWay::Notification), PressEsc()},
       true, false, false, false, IDCANCEL},
      {"disagree enables OK, never agree", 40, false,
       {Click(kAgreeButton), Click(kDisagreeButton), PressEsc()}, false, true, false, false, IDCANCEL},
      {"agree enables the scope box", 40, false,
       {ScrollReadmeToEnd(ScrollWay::Notification), Click(kAgreeButton), PressEsc()},
       true, true, true, false, IDCANCEL},
      {"scope ticked, then disagree", 40, false,
       {ScrollReadmeToEnd(ScrollWay::Notification), Click(kAgreeButton), Click(kScopeAnyCheckBox),
        Click(kDisagreeButton), PressEsc()},
       true, true, false, false, IDCANCEL},
      {"scope ticked, disagree, agree again", 40, false,
       {ScrollReadmeToEnd(ScrollWay::ScrollBar), Click(kAgreeButton), Click(kScopeAnyCheckBox),
        Click(kDisagreeButton), Click(kAgreeButton), PressEsc()},
       true, true, true, false, IDCANCEL},
      {"OK with agree and no job stays open", 40, false,
       {ScrollReadmeToEnd(ScrollWay::ScrollBar), Click(kAgreeButton), PressOk(), PressEsc()},
       true, true, true, false, IDCANCEL},
      {"OK with disagree", 40, false, {Click(kDisagreeButton), PressOk()}, false, true, false, false, IDCANCEL},
      {"Enter with disagree", 40, false, {Click(kDisagreeButton), PressEnter()}, false, true, false, false,
       IDCANCEL},
      {"Alt+F4", 40, false, {PressAltF4()}, false, false, false, false, IDCANCEL},
      {"the close box", 40, false, {ClickCloseBox()}, false, false, false, false, IDCANCEL},
  };
  for (const auto& c : cases) {
    FreshMachine();
    if (c.readmeLines) WriteReadme(c.readmeLines);
    ScriptedDialogs scripted;
    scripted.NotifyProgramScrolls(c.wineBox);
    scripted.Script(kConsentDialogTemplate, c.script);
    ConsentDialog fresh;
    EXPECT_EQ(scripted.RunModal(kConsentDialogTemplate, fresh), c.result) << c.name;
    const ControlStates& end = scripted.Last(kConsentDialogTemplate).controls;
    EXPECT_EQ(end.at(kAgreeButton).enabled, c.agree) << c.name;
    EXPECT_EQ(end.at(IDOK).enabled, c.ok) << c.name;
    EXPECT_EQ(end.at(kScopeAnyCheckBox).enabled, c.scope) << c.name;
    EXPECT_EQ(end.at(kScopeAnyCheckBox).checked, c.scopeChecked) << c.name;
  }
}

}  // namespace
