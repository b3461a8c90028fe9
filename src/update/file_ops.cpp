#include "update/file_ops.h"

#include <cstdio>

#include "common/mbstring.h"
#include "common/unique_handle.h"
#include "update/path_utils.h"
#include "update/restart_schedule.h"
#include "win32api.h"

namespace {

const int kNumberedNames = 1000;

bool IsNoSuchFile(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Clears the read-only bit, which refuses deletion; the result is not
// checked, the deletion tells.
void ClearReadOnly(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

// 1 deleted, 0 there was no such file, -1 the deletion failed.
int Delete(const std::string& path) {
  if (DeleteFileA(path.c_str())) return 1;
  return IsNoSuchFile(GetLastError()) ? 0 : -1;
}

}  // namespace

int LookUpFile(const std::string& path) {
  if (path.empty()) return 0;
  WIN32_FIND_DATAA data;
  kv::UniqueFindHandle find(FindFirstFileA(path.c_str(), &data));
  if (find.valid()) return 1;
  return IsNoSuchFile(GetLastError()) ? 0 : -1;
}

int FileExists(const std::string& path) { return LookUpFile(path) == 1 ? 1 : 0; }

int ForceDeleteFile(const std::string& path) {
  // Only the system's "no such file" means there is nothing to delete; a
  // look-up that failed otherwise leaves the question to the deletion.
  if (LookUpFile(path) == 0) return 0;
  ClearReadOnly(path);
  return Delete(path);
}

int MoveFileOver(const std::string& source, const std::string& target) {
  if (LookUpFile(source) == 0) return -3;
  if (LookUpFile(target) == 0) return MoveFileA(source.c_str(), target.c_str()) ? 0 : -2;

  // The target's content is copied aside under a numbered name before the
  // target is deleted, so that it can be put back should the rename fail:
  // the target is never left missing. A copy (not a rename) keeps the
  // deletion as the test of whether the target may be replaced now, since
  // a running program's image can be renamed but not deleted.
  ClearReadOnly(target);
  std::string aside;
  if (!MakeNumberedName(target, aside)) return -1;
  if (!CopyFileA(target.c_str(), aside.c_str(), TRUE)) {
    // Whatever a failed copy wrote is removed; a file that took the name
    // meanwhile is not the copy's.
    if (GetLastError() != ERROR_FILE_EXISTS) DiscardCopy(aside);
    return -1;
  }
  const int deleted = Delete(target);
  if (deleted < 0) {
    DiscardCopy(aside);
    return -1;
  }
  if (!MoveFileA(source.c_str(), target.c_str())) {
    // Should even this fail, the old content stays under the aside name.
    MoveFileA(aside.c_str(), target.c_str());
    return -2;
  }
  DiscardCopy(aside);
  return 1;
}

int CreateDirectoryTree(const std::string& path) {
  if (path.empty()) return -2;
  std::string directory = path;
  RemoveBackslash(directory);
  if (directory.size() == 2 && directory[1] == ':') return -1;

  WIN32_FIND_DATAA data;
  kv::UniqueFindHandle find(FindFirstFileA(directory.c_str(), &data));
  if (find.valid()) {
    find.reset();
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return -3;
  }

  if (CreateDirectoryA(directory.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  const size_t slash = kv::FindLastChar(directory, '\\');
  const std::string parent = slash == std::string::npos ? std::string() : directory.substr(0, slash);
  if (parent.empty()) return -2;
  const int made = CreateDirectoryTree(parent);
  if (made <= -2) return made;
  return CreateDirectoryA(directory.c_str(), nullptr) ? 0 : -2;
}

bool MakeNumberedName(const std::string& installedPath, std::string& name) {
  name.clear();
  // The number replaces the extension of the file name only: a dot in a
  // directory name must not move the staging copy out of its directory.
  std::string directory, fileName;
  SplitPath(installedPath, directory, fileName);
  const size_t dot = kv::FindLastChar(fileName, '.');
  const std::string stem = directory + (dot == std::string::npos ? fileName + "." : fileName.substr(0, dot + 1));

  for (int n = 0; n < kNumberedNames; ++n) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "000%d", n);
    const std::string text = digits;
    const std::string candidate = stem + text.substr(text.size() - 3);
    // A name is free only when the system says no such file exists: one
    // that could not be looked up may be a copy waiting for the next start.
    if (LookUpFile(candidate) == 0) {
      name = candidate;
      return true;
    }
  }
  return false;
}
