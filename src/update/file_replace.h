// Replacing an installed file by a shipped one, now or at the next start of
// Windows.
#ifndef KV_UPDATE_FILE_REPLACE_H
#define KV_UPDATE_FILE_REPLACE_H

#include <cstdint>
#include <string>

// Flags of ReplaceInstalledFile; several may be combined.
enum : uint32_t {
  RF_DECOMPRESS = 1,          // expand the source instead of copying it
  RF_NEWER_ONLY = 2,          // replace an installed file only by a newer one
  RF_REPLACE_AT_RESTART = 4,  // what cannot be replaced now is replaced at the next start
  RF_KEEP_PENDING = 8,        // without RF_REPLACE_AT_RESTART: keep the staging copy for the caller
};

// Puts `source` (a shipped file) in place of `installedPath`, through a
// numbered staging copy beside it. `pending` is emptied, and receives the
// staging path whenever -1 is returned. Whatever fails, the installed file
// keeps its old content, or holds the new one, or keeps its old content
// while a complete registration for the next start waits with its staging
// copy; a staging copy that is not waiting is discarded (DiscardCopy).
//   0  no installed file existed; the new file was put there
//   1  the installed file was replaced now
//   2  the new file is not newer and was discarded
//  -1  the replacement waits for the next start (or is left to the caller)
//  -2  the comparison was impossible, the replacement failed (also when
//      the registration for the next start could not be made), or no free
//      staging name was left; -2 to -5 also pass on CopyOrExpandFile's codes
int ReplaceInstalledFile(const std::string& source, const std::string& installedPath, std::string& pending,
                         uint32_t flags);

#endif  // KV_UPDATE_FILE_REPLACE_H
