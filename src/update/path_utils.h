// Path strings: trailing backslashes, splitting and joining, and the two
// directory tokens of the tool's fixed tables.
//
// Paths are narrow strings in the system's ANSI code page; every search walks
// characters, so the trail byte of a double-byte character is never taken for
// a backslash. None of the functions fails or keeps state.
#ifndef KV_UPDATE_PATH_UTILS_H
#define KV_UPDATE_PATH_UTILS_H

#include <string>

// Directory tokens, in the order ExpandDirToken tries them.
enum DirToken {
  DirTokenWindows = 0,  // "%windir%": the Windows directory
  DirTokenCurrent = 1,  // "%CurrentDir%": the directory of the tool's program file
};

// Appends one backslash unless the path is empty or already ends in one.
// Changes `path` and returns a copy of the result.
std::string AddBackslash(std::string& path);

// Removes one trailing backslash, if there is one ("C:\" becomes "C:").
// Changes `path` and returns a copy of the result.
std::string RemoveBackslash(std::string& path);

// Directory up to and including the last backslash, and the name after it.
// Without a backslash the directory is empty and the name is the whole path.
void SplitPath(const std::string& fullPath, std::string& directory, std::string& fileName);

// The directory, one backslash, and the name; an empty directory gives the
// name alone.
void JoinPath(const std::string& directory, const std::string& fileName, std::string& path);

// The directory a token stands for, without a trailing backslash; empty for
// an unknown index or when the system cannot tell.
std::string GetTokenDirectory(int index);

// Replaces the first token found ("%windir%" is tried before "%CurrentDir%")
// by its directory; whatever stood before the token is dropped and any later
// token is left as it is. A text without a token comes back unchanged.
void ExpandDirToken(const std::string& text, std::string& expanded);

#endif  // KV_UPDATE_PATH_UTILS_H
