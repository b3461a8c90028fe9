#include "sim_fixture.h"

#include "tool_messages.h"
#include "tool_strings.h"
#include "winsim/ui_control.h"

void SimTest::InstallToolStrings() {
  static const bool installed =
      (winsim::SetStringTable(ToolStringTable()), winsim::SetMessageTable(ToolMessageTable()), true);
  static_cast<void>(installed);
}
