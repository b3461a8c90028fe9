// A machine with the printer-status suite installed, for the tests of the
// product environment: its uninstall entry, its programs in the system
// directory, the status server service and the status panel's window.
#ifndef KV_TESTS_SUITE_FIXTURE_H
#define KV_TESTS_SUITE_FIXTURE_H

#include <cstdint>
#include <string>
#include <vector>

#include "sim_fixture.h"
#include "winsim/desktop_control.h"
#include "winsim/service_control.h"

class SuiteTest : public SimTest {
 protected:
  static constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  static constexpr const char* kServer = "C:\\WINDOWS\\system32\\ZAMWTQNT.EXE";
  static constexpr const char* kPanel = "C:\\WINDOWS\\system32\\ZAMBAZ.EXE";

  // An uninstall entry with a REG_SZ (or other typed) "UninstallString".
  void AddUninstallEntry(const std::string& name, const std::string& command, DWORD type = REG_SZ);
  // The suite as an NT installation has it: the uninstall entry
  // "Kestrovane 1.2" with its command in C:\Program Files\Kestrovane, the
  // status server's and the status panel's files, the running service
  // ZAMWTQNT, and the panel's program registered to open its window.
  void InstallSuite();
  // The status panel's window, answering its close message as told.
  HWND OpenPanel(winsim::WindowReaction reaction = winsim::WindowReaction::Closes, uint64_t closeDelayMs = 0);
  static winsim::WindowSetup PanelWindow(winsim::WindowReaction reaction = winsim::WindowReaction::Closes,
                                        uint64_t closeDelayMs = 0);
  // Names of the calls in the log, in order, of those listed.
  static std::vector<std::string> CallSequence(const std::vector<std::string>& names);
};

#endif  // KV_TESTS_SUITE_FIXTURE_H
