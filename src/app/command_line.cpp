#include "app/command_line.h"

#include <string>

#include "common/mbstring.h"

void ToolCommandLineInfo::ParseParam(const char* param, BOOL flag, BOOL last) {
  (void)flag, (void)last;
  const std::string text = param ? param : "";
  if (kv::CompareTextNoCase(text, "D") == 0) {
    removeSwitch = 1;
  } else if (kv::CompareTextNoCase(text, "S") == 0) {
    silentSwitch = 1;
  } else if (kv::CompareTextNoCase(text, "A") == 0) {
    scopeAnySwitch = 1;
  } else if (kv::CompareTextNoCase(text, "N") == 0) {
    noRestartSwitch = 1;
  } else {
    unknownSeen = 1;
  }
}

RunMode ToolCommandLineInfo::GetRunMode(BOOL& scopeAny) const {
  scopeAny = 0;
  if (unknownSeen) return RunModeSetup;
  if (removeSwitch) return RunModeRemoval;
  if (!silentSwitch) return RunModeSetup;
  if (scopeAnySwitch) scopeAny = 1;
  return RunModeSilentSetup;
}

BOOL ToolCommandLineInfo::NoRestart() const {
  BOOL scopeAny = 0;
  return GetRunMode(scopeAny) == RunModeSilentSetup && noRestartSwitch ? 1 : 0;
}

void ParseCommandLine(ToolCommandLineInfo& info, int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const char* param = argv[i];
    BOOL flag = FALSE;
    if (param[0] == '-' || param[0] == '/') {
      flag = TRUE;
      ++param;
    }
    info.ParseParam(param, flag, i + 1 == argc);
  }
}
