#include "update/restart_schedule.h"

#include "common/os_level.h"
#include "update/file_ops.h"
#include "win32api.h"

namespace {

const char* kWininit = "WININIT.INI";  // a bare name: the file in the Windows directory

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
    // Each line is TARGET=SOURCE; WININIT replaces an existing target.
    const std::string shortInstalled = ShortPath(installedFile);
    const std::string shortNew = ShortPath(newFile);
    return WritePrivateProfileStringA("rename", shortInstalled.c_str(), shortNew.c_str(), kWininit) ? 0 : -1;
  }
  // One operation that replaces the installed file: there is never a
  // deletion registered without the rename that fills its place. On the
  // 95 family (an unreadable version) the call fails and is reported.
  return MoveFileExA(newFile.c_str(), installedFile.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)
             ? 0
             : -1;
}

int ScheduleDeleteAtRestart(const std::string& file) {
  if (GetOsLevel() == OsLevelWin9x) {
    char existing[MAX_PATH] = {};
    GetPrivateProfileStringA("rename", "NUL", "", existing, MAX_PATH, kWininit);
    if (existing[0] != '\0') return -1;
    return WritePrivateProfileStringA("rename", "NUL", ShortPath(file).c_str(), kWininit) ? 0 : -1;
  }
  return MoveFileExA(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? 0 : -1;
}

int DiscardCopy(const std::string& path) {
  const int deleted = ForceDeleteFile(path);
  if (deleted >= 0) return deleted;
  return ScheduleDeleteAtRestart(path) == 0 ? 2 : -1;
}
