// The tests of the dialogs: a scripted user and the read-me beside the tool.
#ifndef KV_TESTS_DIALOG_FIXTURE_H
#define KV_TESTS_DIALOG_FIXTURE_H

#include <string>

#include "scripted_dialogs.h"
#include "sim_fixture.h"

// "Readme.txt" in the tool's directory, the current directory of a fresh
// machine: `lines` lines ending in CR LF. Returns its text.
inline std::string WriteReadme(unsigned lines) {
  std::string text;
  for (unsigned i = 1; i <= lines; ++i) text += "line " + std::to_string(i) + "\r\n";
  winsim::AddFile("C:\\KVTOOL\\Readme.txt", text);
  return text;
}

class DialogTest : public SimTest {
 protected:
  ScriptedDialogs user;
};

#endif  // KV_TESTS_DIALOG_FIXTURE_H
