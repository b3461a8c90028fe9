#include "update/file_replace.h"

#include "update/file_expand.h"
#include "update/file_ops.h"
#include "update/restart_schedule.h"
#include "update/version_compare.h"

int ReplaceInstalledFile(const std::string& source, const std::string& installedPath, std::string& pending,
                         uint32_t flags) {
  pending.clear();
  const bool decompress = (flags & RF_DECOMPRESS) != 0;

  // Only a file the system says is not there is written to directly; one
  // that cannot be looked up goes through a staging copy like any other.
  if (LookUpFile(installedPath) == 0) return CopyOrExpandFile(source, installedPath, decompress);

  std::string staging;
  if (!MakeNumberedName(installedPath, staging)) return -2;
  const int copied = CopyOrExpandFile(source, staging, decompress);
  if (copied != 0) {
    DiscardCopy(staging);  // whatever a failed expansion could not remove itself
    return copied;
  }

  if (flags & RF_NEWER_ONLY) {
    const int newer = CompareFileVersions(staging, installedPath);
    if (newer != 1) {
      DiscardCopy(staging);
      return newer == -1 ? -2 : 2;
    }
  }

  if (MoveFileOver(staging, installedPath) >= 0) return 1;

  // A registration that cannot be made is a replacement that failed: the
  // staging copy would wait for nothing.
  const bool waits = (flags & RF_REPLACE_AT_RESTART) ? ScheduleReplaceAtRestart(staging, installedPath) == 0
                                                     : (flags & RF_KEEP_PENDING) != 0;
  if (waits) {
    pending = staging;
    return -1;
  }
  DiscardCopy(staging);
  return -2;
}
