// The update of the suite's communication program: the two files in the
// system directory and the copies shipped beside the tool.
#ifndef KV_UPDATE_PROGRAM_UPDATE_H
#define KV_UPDATE_PROGRAM_UPDATE_H

#include <cstdint>
#include <string>

// One row of the update table. The shipped copy lies in the source
// directory under the file name with its last character replaced by "_".
struct UpdateFileEntry {
  const char* fileName;
  const char* sourceDirectory;       // with a directory token
  const char* destinationDirectory;  // with a directory token
};

class ProgramUpdate {
 public:
  ProgramUpdate();
  virtual ~ProgramUpdate();

  // 1 when every installed file of the table exists, else 0.
  int32_t IsSuiteInstalled();

  // 1 when at least one shipped file is newer than the installed one. The
  // first call expands each shipped file into a staging copy beside the
  // installed file, compares and deletes them; later calls return the same
  // answer without touching the disk.
  int32_t IsUpdateNeeded();

  // Replaces each installed file by its shipped copy when that is newer.
  // 1 when at least one file could only be registered for replacement at
  // the next start of Windows, else 0. Other failures are passed over.
  int32_t InstallUpdate();

  // -1 not yet computed, 0 no shipped file is newer, 1 at least one is.
  int32_t UpdateCheckState;
  // What InstallUpdate did with each row of the table: ReplaceInstalledFile's
  // result (1 or 0 replaced, -1 registered for the next start, 2 not newer,
  // any other a failure), 2 before InstallUpdate.
  int32_t installResults[2];
};

// The fixed table, in processing order.
extern const UpdateFileEntry kUpdateFiles[2];

#endif  // KV_UPDATE_PROGRAM_UPDATE_H
