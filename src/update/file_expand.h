// Copying a shipped file into place, expanding it when it is compressed.
#ifndef KV_UPDATE_FILE_EXPAND_H
#define KV_UPDATE_FILE_EXPAND_H

#include <string>

// Expands (or copies, when it is not compressed) `source` to `destination`
// with the setup API's SetupDecompressOrCopyFileA, loaded for this one call
// from the system directory. 0 done, -1 the library or its function is not
// available, -2 the function reported an error.
int DecompressWithSetupApi(const std::string& source, const std::string& destination);

// Copies `source` to `destination`, overwriting it; with `decompress` the
// source is expanded (setup API first, then LZ expansion), an uncompressed
// source arriving unchanged, and the result must be complete by what the
// source records of itself (IsExpansionComplete). The destination's
// directory is created when missing. 0 done, -2 no source, the copy or
// expansion failed, or the expanded file is incomplete (it is removed), -3
// the destination directory cannot be made, -4 the expansion failed while
// writing (a partial destination is removed), -5 an empty path.
int CopyOrExpandFile(const std::string& source, const std::string& destination, bool decompress);

#endif  // KV_UPDATE_FILE_EXPAND_H
