// Which of two files is the newer one: by the file version of their version
// resources, and where that does not decide, by their last-write times.
//
// Free functions without state over ANSI paths. Results of the comparisons:
// 0 the same, 1 the first file is newer, 2 the second file is newer, and for
// CompareFileVersions also -1 when a last-write time cannot be read.
#ifndef KV_UPDATE_VERSION_COMPARE_H
#define KV_UPDATE_VERSION_COMPARE_H

#include <string>

#include "win32api.h"

// The file version of the file's fixed version information: `ms` holds
// major.minor, `ls` build.revision (16 bits each). Both are 0 after a
// failure. 1 when the file has fixed version information, 0 otherwise.
int GetFileVersionNumber(const std::string& path, DWORD& ms, DWORD& ls);

// Compares two file versions half by half, as unsigned numbers: 0/1/2.
int CompareVersionNumbers(DWORD firstMs, DWORD firstLs, DWORD secondMs, DWORD secondLs);

// The last-write time that a directory search reports for the path.
// 1 found, 0 not found (`time` is then unchanged).
int GetFileWriteTime(const std::string& path, FILETIME& time);

// 0 equal, 1 the first time is later, 2 the second time is later.
int CompareFileTimes(FILETIME first, FILETIME second);

// Version numbers first; when they are equal or either file has none, the
// last-write times: 0/1/2, or -1 when a time cannot be read. Callers pass the
// candidate file first and the installed file second.
int CompareFileVersions(const std::string& first, const std::string& second);

#endif  // KV_UPDATE_VERSION_COMPARE_H
