#include "update/file_expand.h"

#include <vector>

#include "common/unique_handle.h"
#include "update/expansion_check.h"
#include "update/file_ops.h"
#include "update/path_utils.h"
#include "win32api.h"

namespace {

typedef DWORD(WINAPI* SetupDecompressOrCopyFileAProc)(PCSTR source, PCSTR target, PUINT compressionType);

// The setup API is a system library: it is loaded by its full path in the
// system directory, never by a bare name, which would search the tool's own
// directory first and run whatever DLL had been put there.
std::string SystemLibraryPath(const char* fileName) {
  char buffer[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::string path;
  JoinPath(std::string(buffer, length), fileName, path);
  return path;
}

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
  const std::string libraryPath = SystemLibraryPath("setupapi.dll");
  if (libraryPath.empty()) return -1;
  kv::UniqueModule library(LoadLibraryA(libraryPath.c_str()));
  if (!library.valid()) return -1;
  // Through the generic function type, which converts to any other.
  const auto decompress = reinterpret_cast<SetupDecompressOrCopyFileAProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(library.get(), "SetupDecompressOrCopyFileA")));
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
