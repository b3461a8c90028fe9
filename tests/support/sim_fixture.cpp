#include "sim_fixture.h"

#include "tool_strings.h"
#include "winsim/ui_control.h"

void SimTest::InstallToolStrings() {
  static const bool installed = (winsim::SetStringTable(ToolStringTable()), true);
  static_cast<void>(installed);
}
