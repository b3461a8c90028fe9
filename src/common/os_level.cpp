#include "common/os_level.h"

#include "win32api.h"

uint32_t GetOsLevel() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);  // 148 bytes
  if (!GetVersionExA(&info)) return OsLevelUnknown;

  if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return OsLevelWin9x;
  if (info.dwPlatformId != VER_PLATFORM_WIN32_NT) return OsLevelUnknown;

  if (info.dwMajorVersion == 3) return info.dwMinorVersion == 51 ? OsLevelNt351 : OsLevelUnknown;
  if (info.dwMajorVersion == 4) return OsLevelNt4;
  if (info.dwMajorVersion >= 5) return OsLevelNt5;
  return OsLevelUnknown;
}
