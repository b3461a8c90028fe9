#include "common/os_level.h"
#include "update/file_replace.h"
#include "win32api.h"

namespace {

// The 8.3 form of a path. Should the system not give one, the path is
// written as it is rather than an empty or stale buffer.
std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return path;
  return std::string(buffer, length);
}

}  // namespace

int ScheduleReplaceAtRestart(const std::string& newFile, const std::string& installedFile) {
  if (GetOsLevel() == OsLevelWin9x) {
    // WININIT.INI in the Windows directory; each line is TARGET=SOURCE.
    const std::string shortInstalled = ShortPath(installedFile);
    const std::string shortNew = ShortPath(newFile);
    WritePrivateProfileStringA("rename", shortInstalled.c_str(), shortNew.c_str(), "WININIT.INI");
    return 0;
  }
  // Deletion first, then the rename onto the freed name. No replace flag:
  // the deletion registered first makes room.
  MoveFileExA(installedFile.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExA(newFile.c_str(), installedFile.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT);
  return 0;
}
