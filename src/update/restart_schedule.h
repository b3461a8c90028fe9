// Registrations with Windows for its next start: the replacement of an
// installed file, and the deletion of a copy the update made. Each is
// registered whole or not at all, and the caller learns which.
#ifndef KV_UPDATE_RESTART_SCHEDULE_H
#define KV_UPDATE_RESTART_SCHEDULE_H

#include <string>

// Registers the replacement of `installedFile` by `newFile` for the next
// start of Windows: on the 95 family one [rename] line of WININIT.INI keyed
// by the installed file's short path; elsewhere (an unknown system too) one
// delayed move that replaces the existing file. 0 registered, -1 nothing was
// registered.
int ScheduleReplaceAtRestart(const std::string& newFile, const std::string& installedFile);

// Registers the deletion of `file` for the next start: on the 95 family a
// "NUL" line of WININIT.INI's [rename] section, unless one is there already
// (the profile functions keep one line per key, and another program's
// deletion is not written over); elsewhere a delayed move without a target.
// 0 registered, -1 nothing was registered.
int ScheduleDeleteAtRestart(const std::string& file);

// Removes a copy the update made (a staging copy, or an installed file's
// copy set aside): deleted now (ForceDeleteFile), or, when that fails,
// registered for deletion at the next start, so that no copy stays behind
// unreferenced. 1 deleted, 0 there was nothing to delete, 2 its deletion
// waits for the next start, -1 neither could be done.
int DiscardCopy(const std::string& path);

#endif  // KV_UPDATE_RESTART_SCHEDULE_H
