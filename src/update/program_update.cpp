#include "update/program_update.h"

#include <vector>

#include "common/mbstring.h"
#include "update/file_expand.h"
#include "update/file_ops.h"
#include "update/file_replace.h"
#include "update/path_utils.h"
#include "update/restart_schedule.h"
#include "update/version_compare.h"

const UpdateFileEntry kUpdateFiles[2] = {
    {"ZAMPUX.DLL", "%CurrentDir%", "%windir%\\system32"},
    {"ZAMWTQNT.EXE", "%CurrentDir%", "%windir%\\system32"},
};

namespace {

const uint32_t kInstallFlags = RF_DECOMPRESS | RF_NEWER_ONLY | RF_REPLACE_AT_RESTART;

// A shipped copy and its installed file, with the staging copy that the
// update check expands it into.
struct StagedFile {
  std::string sourcePath;
  std::string installedPath;
  std::string stagingPath;
};

std::string InstalledPath(const UpdateFileEntry& entry) {
  std::string directory, path;
  ExpandDirToken(entry.destinationDirectory, directory);
  JoinPath(directory, entry.fileName, path);
  return path;
}

std::string SourcePath(const UpdateFileEntry& entry) {
  std::string directory, path;
  ExpandDirToken(entry.sourceDirectory, directory);
  JoinPath(directory, entry.fileName, path);
  // The last character (never half of a double-byte one) becomes "_".
  if (!path.empty()) path = path.substr(0, kv::LastCharStart(path)) + "_";
  return path;
}

}  // namespace

ProgramUpdate::ProgramUpdate() : UpdateCheckState(-1), installResults{2, 2} {}

ProgramUpdate::~ProgramUpdate() = default;

int32_t ProgramUpdate::IsSuiteInstalled() {
  for (const UpdateFileEntry& entry : kUpdateFiles)
    if (!FileExists(InstalledPath(entry))) return 0;
  return 1;
}

int32_t ProgramUpdate::IsUpdateNeeded() {
  if (UpdateCheckState != -1) return UpdateCheckState == 1 ? 1 : 0;

  // Both staging copies exist side by side between the two passes.
  std::vector<StagedFile> staged;
  for (const UpdateFileEntry& entry : kUpdateFiles) {
    StagedFile file{SourcePath(entry), InstalledPath(entry), std::string()};
    // With every numbered name taken, no copy is made: the row is not newer.
    if (MakeNumberedName(file.installedPath, file.stagingPath))
      CopyOrExpandFile(file.sourcePath, file.stagingPath, true);
    staged.push_back(file);
  }

  bool needed = false;
  for (const StagedFile& file : staged) {
    if (CompareFileVersions(file.stagingPath, file.installedPath) == 1) needed = true;
    DiscardCopy(file.stagingPath);
  }

  UpdateCheckState = needed ? 1 : 0;
  return UpdateCheckState;
}

int32_t ProgramUpdate::InstallUpdate() {
  bool restartNeeded = false;
  int row = 0;
  for (const UpdateFileEntry& entry : kUpdateFiles) {
    std::string pending;
    const int result = ReplaceInstalledFile(SourcePath(entry), InstalledPath(entry), pending, kInstallFlags);
    installResults[row++] = result;
    if (result == -1) restartNeeded = true;
  }
  return restartNeeded ? 1 : 0;
}
