// The simulated version.dll reads version resources from the PE bytes of the
// simulated files, as Windows XP and Wine do. The fixed file info of a PE
// file, and the answers for a text, an SZDD and a missing file, are compared
// with Wine by the probe's version group.
#include <algorithm>
#include <cstring>
#include <vector>

#include "pe_builder.h"
#include "sim_fixture.h"
#include "win32api.h"

namespace {

const char* const kExe = "C:\\KVTOOL\\ZAMWTQNT.EX_";

kvtest::VersionResource SampleResource() {
  kvtest::VersionResource resource;
  resource.fileVersion = {{1, 2, 0, 5}};
  resource.productVersion = {{3, 4, 5, 6}};
  return resource;
}

class WinsimVersionTest : public SimTest {
 protected:
  // Reads the whole block of `path` the way a caller does.
  std::vector<BYTE> Read(const char* path) {
    const DWORD size = GetFileVersionInfoSizeA(path, nullptr);
    EXPECT_GT(size, 0u);
    std::vector<BYTE> block(size);
    EXPECT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    return block;
  }
};

// The size is twice the resource and four bytes; the block is the stored
// resource, cut to the buffer given (the call still succeeds).
TEST_F(WinsimVersionTest, TheBlockIsTheStoredResource) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  const std::vector<uint8_t> resource = kvtest::BuildVersionBlock(SampleResource());
  const DWORD blockLength = static_cast<DWORD>(resource.size());
  DWORD handle = 0x5555;
  SetLastError(0xBEEF);
  EXPECT_EQ(GetFileVersionInfoSizeA(kExe, &handle), blockLength * 2 + 4);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(handle, 0u);
  for (DWORD length : {DWORD(10), blockLength, blockLength * 2 + 4}) {
    std::vector<BYTE> block(resource.size() * 2 + 64, 0xCC);
    SetLastError(0xBEEF);
    EXPECT_TRUE(GetFileVersionInfoA(kExe, 0, length, block.data())) << length;
    EXPECT_EQ(GetLastError(), 0u);
    const DWORD copied = std::min(length, blockLength);
    EXPECT_TRUE(std::equal(resource.begin(), resource.begin() + copied, block.begin())) << length;
    EXPECT_EQ(block[copied], 0xCC) << length;
  }
}

// The root, named "\\" (compared with Wine by the probe), "" or NULL, is the
// fixed file info; the tool asks for nothing below it, and nothing below it
// is found.
TEST_F(WinsimVersionTest, QueryAnswersTheRootOnly) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  std::vector<BYTE> block = Read(kExe);
  for (const char* root : {"\\", "", "\\\\", static_cast<const char*>(nullptr)}) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), root, reinterpret_cast<LPVOID*>(&fixed), &length));
    EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00050006u);
  }
  void* pointer = &block;
  UINT length = 0xDEAD;
  SetLastError(0xBEEF);
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &pointer, &length));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(pointer, &block);
}

TEST_F(WinsimVersionTest, FilesWithoutAVersionResource) {
  winsim::AddFile("C:\\other.exe", kvtest::BuildPeWithoutVersion(true));
  winsim::AddFile("C:\\bare.exe", kvtest::BuildPeWithoutVersion(false));
  winsim::AddFile("C:\\empty.dll", "");
  winsim::AddFile("C:\\mz.exe", "MZ");
  for (const char* path : {"C:\\other.exe", "C:\\bare.exe", "C:\\empty.dll", "C:\\mz.exe"}) {
    DWORD handle = 0x5555;
    SetLastError(0xBEEF);
    EXPECT_EQ(GetFileVersionInfoSizeA(path, &handle), 0u) << path;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND)) << path;
    EXPECT_EQ(handle, 0u);
    std::vector<BYTE> block(64, 0xCC);
    SetLastError(0xBEEF);
    EXPECT_FALSE(GetFileVersionInfoA(path, 0, 64, block.data())) << path;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND)) << path;
    EXPECT_EQ(block[0], 0xCC);
  }
  // The 95 family reports a file without one as not found.
  winsim::SetOs(winsim::Os::Win98);
  EXPECT_EQ(GetFileVersionInfoSizeA("C:\\other.exe", nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(WinsimVersionTest, TruncatedImagesReadAsMappedWithZerosPastTheEnd) {
  // As on Wine: a file that ends inside its resource section is read as the
  // loader maps it, zero-filled. Without the whole directory nothing is
  // found; with it, the block is there, cut short by zeros.
  const std::vector<uint8_t> image = kvtest::BuildPeWithVersion(SampleResource());
  const std::vector<uint8_t> resource = kvtest::BuildVersionBlock(SampleResource());
  const size_t data = std::search(image.begin(), image.end(), resource.begin(), resource.end()) - image.begin();
  // In the builder's layout the data entry (16 bytes) lies right before the
  // data. Cuts inside the entry or the fixed info give garbage (Wine may even
  // crash on them) and are not checked.
  const size_t dataEntry = data - 16;
  const size_t fixedEnd = data + 40 + 16;  // through dwFileVersionLS
  for (size_t size = 0; size < image.size(); size += 4) {
    winsim::AddFile(kExe, std::vector<uint8_t>(image.begin(), image.begin() + size));
    const DWORD n = GetFileVersionInfoSizeA(kExe, nullptr);
    if (size < dataEntry) {
      EXPECT_EQ(n, 0u) << size;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND)) << size;
      continue;
    }
    if (size < fixedEnd) continue;
    ASSERT_EQ(n, resource.size() * 2 + 4) << size;
    std::vector<BYTE> block(n, 0xCC);
    ASSERT_TRUE(GetFileVersionInfoA(kExe, 0, n, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length)) << size;
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000005u);
    const size_t present = size - data;
    if (present < resource.size()) {
      EXPECT_EQ(block[present], 0) << size;
      EXPECT_EQ(block[resource.size() - 1], 0) << size;
    }
  }
}

TEST_F(WinsimVersionTest, MissingFilesAndBadArguments) {
  winsim::AddDirectory("C:\\dir");
  struct Case {
    const char* path;
    DWORD sizeError;
    DWORD infoError;
  } cases[] = {
      {"C:\\missing.exe", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
      {"C:\\nodir\\x.exe", ERROR_PATH_NOT_FOUND, ERROR_PATH_NOT_FOUND},
      {"C:\\dir", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
      {"", ERROR_BAD_PATHNAME, ERROR_PATH_NOT_FOUND},
      {nullptr, ERROR_INVALID_PARAMETER, ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : cases) {
    const std::string name = c.path ? c.path : "NULL";
    SetLastError(0xBEEF);
    EXPECT_EQ(GetFileVersionInfoSizeA(c.path, nullptr), 0u) << name;
    EXPECT_EQ(GetLastError(), c.sizeError) << name;
    BYTE block[16];
    SetLastError(0xBEEF);
    EXPECT_FALSE(GetFileVersionInfoA(c.path, 0, sizeof block, block)) << name;
    EXPECT_EQ(GetLastError(), c.infoError) << name;
  }
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  SetLastError(0xBEEF);
  EXPECT_FALSE(GetFileVersionInfoA(kExe, 0, 100, nullptr));
  EXPECT_EQ(GetLastError(), 13u);  // ERROR_INVALID_DATA
  void* pointer = nullptr;
  UINT length = 7;
  SetLastError(0xBEEF);
  EXPECT_FALSE(VerQueryValueA(nullptr, "\\", &pointer, &length));
  EXPECT_EQ(GetLastError(), 0xBEEFu);
  EXPECT_EQ(length, 7u);
}

// Faults in GetFileVersionInfoA and VerQueryValueA are exercised by
// VersionCompareTest through the tool.
TEST_F(WinsimVersionTest, ASizeFaultIsForOneCallAndZeroesTheHandle) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  winsim::InjectFault("GetFileVersionInfoSizeA", ERROR_SHARING_VIOLATION, "ZAMWTQNT", 0, 1);
  DWORD handle = 0x5555;
  EXPECT_EQ(GetFileVersionInfoSizeA(kExe, &handle), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(handle, 0u);
  Read(kExe);
  const auto sizes = winsim::CallsTo("GetFileVersionInfoSizeA");
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_EQ(winsim::FormatCall(sizes[0]), "GetFileVersionInfoSizeA(\"C:\\KVTOOL\\ZAMWTQNT.EX_\")");
}

}  // namespace
