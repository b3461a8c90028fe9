// The tests of the dialogs: a scripted user and the read-me beside the tool.
#ifndef KV_TESTS_DIALOG_FIXTURE_H
#define KV_TESTS_DIALOG_FIXTURE_H

#include <string>

#include "scripted_dialogs.h"
#include "sim_fixture.h"

class DialogTest : public SimTest {
 protected:
  static constexpr const char* kReadme = "C:\\KVTOOL\\Readme.txt";

  // "Readme.txt" in the current directory, `lines` lines ending in CR LF.
  static std::string WriteReadme(unsigned lines) {
    std::string text;
    for (unsigned i = 1; i <= lines; ++i) text += "line " + std::to_string(i) + "\r\n";
    winsim::AddFile(kReadme, text);
    return text;
  }

  ScriptedDialogs user;
};

#endif  // KV_TESTS_DIALOG_FIXTURE_H
