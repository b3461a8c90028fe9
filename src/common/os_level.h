// The operating-system family the tool runs on.
#ifndef KV_COMMON_OS_LEVEL_H
#define KV_COMMON_OS_LEVEL_H

#include <cstdint>

// Levels, compared as unsigned numbers so that an unknown system counts as
// newer than every known one.
enum : uint32_t {
  OsLevelWin9x = 0,       // Windows 95, 98, Me
  OsLevelNt351 = 1,       // Windows NT 3.51
  OsLevelNt4 = 2,         // Windows NT 4.0
  OsLevelNt5 = 3,         // Windows 2000, XP and later
  OsLevelUnknown = 0xFFFFFFFFu,
};

uint32_t GetOsLevel();

#endif  // KV_COMMON_OS_LEVEL_H
