// File operations of the update: existence, forced deletion, moving over an
// existing file, directory trees and numbered staging names.
//
// Every operation reports a small signed code; none throws or passes a
// platform error on.
#ifndef KV_UPDATE_FILE_OPS_H
#define KV_UPDATE_FILE_OPS_H

#include <string>

// 1 a file or directory of that name exists, 0 the system says there is no
// such file or path (also for an empty path), -1 the look-up failed for
// another reason, so that nobody can tell.
int LookUpFile(const std::string& path);

// 1 when a file or directory of that name exists, 0 otherwise (also when
// the look-up failed).
int FileExists(const std::string& path);

// Deletes a file, clearing its read-only attribute first. A look-up that
// fails does not count as "nothing there": the deletion is tried.
// 1 deleted, 0 there was nothing to delete, -1 the delete failed.
int ForceDeleteFile(const std::string& path);

// Renames `source` to `target`. An existing target is first copied aside
// under its first free numbered name, then deleted; should the rename fail,
// the copy is renamed back, so the target keeps its content. The copy is
// then discarded (DiscardCopy).
// 1 an existing target was replaced, 0 moved to a new name, -1 the existing
// target could not be copied aside or deleted (both files untouched but for
// the target's read-only bit), -2 the rename failed (the target's old
// content put back), -3 the source does not exist.
int MoveFileOver(const std::string& source, const std::string& target);

// Makes a directory and any missing parents (a trailing backslash is
// allowed). 0 the directory exists or was made, -1 the path is a bare drive
// ("C:"), -2 empty path or creation failed, -3 a file has that name.
int CreateDirectoryTree(const std::string& path);

// The staging name for an installed file: its path with the extension
// replaced by the first free number of 000 to 999 (ZAMPUX.DLL gives
// ZAMPUX.000, ZAMPUX.001, ...), always beside the installed file. A file name
// without an extension gets the number appended as one ("NAME.000").
// Returns false and leaves `name` empty when all 1000 names are taken: an
// existing candidate may be a staging copy waiting for the next start of
// Windows, so none is ever handed out for writing.
bool MakeNumberedName(const std::string& installedPath, std::string& name);

#endif  // KV_UPDATE_FILE_OPS_H
