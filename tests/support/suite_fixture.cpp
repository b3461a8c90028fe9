#include "suite_fixture.h"

#include <algorithm>

void SuiteTest::AddUninstallEntry(const std::string& name, const std::string& command, DWORD type) {
  winsim::SetRegistryString(HKEY_LOCAL_MACHINE, std::string(kUninstall) + "\\" + name, "UninstallString", command,
                            type);
}

winsim::WindowSetup SuiteTest::PanelWindow(winsim::WindowReaction reaction, uint64_t closeDelayMs) {
  winsim::WindowSetup setup;
  setup.className = "BAZWndClass";
  setup.title = "Kestrovane";
  setup.closeMessage = 0x406;
  setup.reaction = reaction;
  setup.closeDelayMs = closeDelayMs;
  return setup;
}

void SuiteTest::InstallSuite() {
  AddUninstallEntry("Kestrovane 1.2", "C:\\Program Files\\Kestrovane\\UNINST.EXE -f");
  winsim::AddFile(kServer, "MZ server");
  winsim::AddFile(kPanel, "MZ panel");
  winsim::AddService({"ZAMWTQNT", SERVICE_RUNNING, 3000, 2000, {}});
  winsim::SetProgramWindow(kPanel, PanelWindow());
}

HWND SuiteTest::OpenPanel(winsim::WindowReaction reaction, uint64_t closeDelayMs) {
  return winsim::AddWindow(PanelWindow(reaction, closeDelayMs));
}

std::vector<std::string> SuiteTest::CallSequence(const std::vector<std::string>& names) {
  std::vector<std::string> sequence;
  for (const winsim::Call& call : winsim::CallLog())
    if (std::find(names.begin(), names.end(), call.name) != names.end()) sequence.push_back(call.name);
  return sequence;
}
