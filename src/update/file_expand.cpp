#include "update/file_expand.h"

#include <vector>

#include "common/system_library.h"
#include "common/unique_handle.h"
#include "update/expansion_check.h"
#include "update/file_ops.h"
#include "update/path_utils.h"
#include "win32api.h"

namespace {

typedef DWORD(WINAPI* SetupDecompressOrCopyFileAProc)(PCSTR source, PCSTR target, PUINT compressionType);

// LZOpenFileA takes a writable name.
std::vector<char> Writable(const std::string& text) { return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1); }

int ExpandWithLz(const std::string& source, const std::string& destination) {
  std::vector<char> sourceName = Writable(source);
  std::vector<char> destinationName = Writable(destination);
  OFSTRUCT sourceInfo = {};
  OFSTRUCT destinationInfo = {};

  kv::UniqueLzFile input(LZOpenFileA(sourceName.data(), &sourceInfo, OF_READ));
  if (!input.valid()) return -2;
  kv::UniqueLzFile output(LZOpenFileA(destinationName.data(), &destinationInfo, OF_CREATE));
  if (!output.valid()) return -2;

  const LONG copied = LZCopy(input.get(), output.get());
  input.reset();
  output.reset();
  if (copied >= 0) return 0;
  ForceDeleteFile(destination);
  return copied == LZERROR_WRITE ? -4 : -2;
}

}  // namespace

int DecompressWithSetupApi(const std::string& source, const std::string& destination) {
  kv::UniqueModule library(kv::LoadSystemLibrary("setupapi.dll"));
  if (!library.valid()) return -1;
  const auto decompress =
      kv::EntryPoint<SetupDecompressOrCopyFileAProc>(library.get(), "SetupDecompressOrCopyFileA");
  if (!decompress) return -1;
  const DWORD result = decompress(source.c_str(), destination.c_str(), nullptr);
  library.reset();
  return result == NO_ERROR ? 0 : -2;
}

int CopyOrExpandFile(const std::string& source, const std::string& destination, bool decompress) {
  if (source.empty() || destination.empty()) return -5;
  if (!FileExists(source)) return -2;

  std::string directory, fileName;
  SplitPath(destination, directory, fileName);
  if (CreateDirectoryTree(directory) <= -2) return -3;

  if (!decompress) return CopyFileA(source.c_str(), destination.c_str(), FALSE) ? 0 : -2;

  const int expanded = DecompressWithSetupApi(source, destination) == 0 ? 0 : ExpandWithLz(source, destination);
  if (expanded != 0) return expanded;
  // Neither route notices a source cut short; what the source records of
  // itself decides, and an incomplete file must not stay to be installed.
  if (IsExpansionComplete(source, destination)) return 0;
  ForceDeleteFile(destination);
  return -2;
}
