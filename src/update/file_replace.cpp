#include "update/file_replace.h"

#include "update/file_expand.h"
#include "update/file_ops.h"
#include "update/version_compare.h"

int ReplaceInstalledFile(const std::string& source, const std::string& installedPath, std::string& pending,
                         uint32_t flags) {
  pending.clear();
  const bool decompress = (flags & RF_DECOMPRESS) != 0;

  if (!FileExists(installedPath)) return CopyOrExpandFile(source, installedPath, decompress);

  std::string staging;
  if (!MakeNumberedName(installedPath, staging)) return -2;
  const int copied = CopyOrExpandFile(source, staging, decompress);
  if (copied != 0) return copied;

  if (flags & RF_NEWER_ONLY) {
    const int newer = CompareFileVersions(staging, installedPath);
    if (newer != 1) {
      ForceDeleteFile(staging);
      return newer == -1 ? -2 : 2;
    }
  }

  if (MoveFileOver(staging, installedPath) >= 0) return 1;

  if (flags & RF_REPLACE_AT_RESTART) {
    ScheduleReplaceAtRestart(staging, installedPath);
    pending = staging;
    return -1;
  }
  if (flags & RF_KEEP_PENDING) {
    pending = staging;
    return -1;
  }
  ForceDeleteFile(staging);
  return -2;
}
