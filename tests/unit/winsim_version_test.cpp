// The simulated version.dll reads version resources from the PE bytes of the
// simulated files, as Windows XP and Wine do.
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
  resource.strings = {{"CompanyName", "ZAM"},
                  {"FileDescription", "\xE9\x80\x9A\xE4\xBF\xA1"},  // 通信 (UTF-8)
                  {"\xE8\xA1\xA8", "x"},                             // 表: 0x95 0x5C in code page 932
                  {"Empty", ""}};
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

TEST_F(WinsimVersionTest, SizeIsTwiceTheResourcePlusFourAndHandleIsZero) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  const std::vector<uint8_t> resource = kvtest::BuildVersionBlock(SampleResource());
  DWORD handle = 0x5555;
  SetLastError(0xBEEF);
  EXPECT_EQ(GetFileVersionInfoSizeA(kExe, &handle), resource.size() * 2 + 4);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(handle, 0u);
}

TEST_F(WinsimVersionTest, InfoIsTheStoredBlockFollowedByItsMarker) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  const std::vector<uint8_t> resource = kvtest::BuildVersionBlock(SampleResource());
  std::vector<BYTE> block = Read(kExe);
  EXPECT_EQ(GetLastError(), 0u);
  ASSERT_GE(block.size(), resource.size() + 4);
  EXPECT_TRUE(std::equal(resource.begin(), resource.end(), block.begin()));
  EXPECT_EQ(std::memcmp(block.data() + resource.size(), "FE2X", 4), 0);
}

TEST_F(WinsimVersionTest, RootBlockIsTheFixedFileInfo) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  std::vector<BYTE> block = Read(kExe);
  for (const char* root : {"\\", "", static_cast<const char*>(nullptr)}) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), root, reinterpret_cast<LPVOID*>(&fixed), &length));
    EXPECT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, static_cast<DWORD>(VS_FFI_SIGNATURE));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000005u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00030004u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00050006u);
  }
}

TEST_F(WinsimVersionTest, HighVersionPartsAreKeptWhole) {
  kvtest::VersionResource resource;
  resource.fileVersion = {{65535, 65534, 40000, 2}};
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(resource));
  std::vector<BYTE> block = Read(kExe);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0xFFFFFFFEu);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x9C400002u);
}

TEST_F(WinsimVersionTest, TranslationIsLanguageThenCodePage) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  std::vector<BYTE> block = Read(kExe);
  WORD* pair = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&pair), &length));
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(pair[0], 0x0411);
  EXPECT_EQ(pair[1], 1200);
}

TEST_F(WinsimVersionTest, StringsComeInTheAnsiCodePageBehindTheBlock) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  std::vector<BYTE> block = Read(kExe);
  const WORD blockLength = static_cast<WORD>(block[0] | (block[1] << 8));
  char* text = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104B0\\FileDescription",
                             reinterpret_cast<LPVOID*>(&text), &length));
  EXPECT_EQ(length, 5u);  // two double-byte characters and the NUL
  EXPECT_STREQ(text, "\x92\xCA\x90\x4D");
  EXPECT_GE(reinterpret_cast<BYTE*>(text), block.data() + blockLength + 4);
  EXPECT_LT(reinterpret_cast<BYTE*>(text) + length, block.data() + block.size());

  // Keys are matched without regard to case.
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\stringfileinfo\\041104b0\\COMPANYNAME",
                             reinterpret_cast<LPVOID*>(&text), &length));
  EXPECT_EQ(length, 4u);
  EXPECT_STREQ(text, "ZAM");

  // The trail byte 0x5C of a double-byte key is not a separator.
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104B0\\\x95\x5C",
                             reinterpret_cast<LPVOID*>(&text), &length));
  EXPECT_STREQ(text, "x");

  // An empty value: the query succeeds with an empty text.
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104B0\\Empty", reinterpret_cast<LPVOID*>(&text),
                             &length));
  EXPECT_EQ(length, 1u);
  EXPECT_STREQ(text, "");
}

TEST_F(WinsimVersionTest, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  winsim::SetCodePage(1252);
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  std::vector<BYTE> block = Read(kExe);
  char* text = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104B0\\FileDescription",
                             reinterpret_cast<LPVOID*>(&text), &length));
  EXPECT_EQ(length, 3u);
  EXPECT_STREQ(text, "??");
}

TEST_F(WinsimVersionTest, UnknownKeyFailsAndLeavesThePointer) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  std::vector<BYTE> block = Read(kExe);
  for (const char* key : {"\\StringFileInfo\\041104B0\\Company", "\\StringFileInfo\\040904B0\\CompanyName", "String"}) {
    void* pointer = &block;
    UINT length = 0xDEAD;
    SetLastError(0xBEEF);
    EXPECT_FALSE(VerQueryValueA(block.data(), key, &pointer, &length)) << key;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(pointer, &block);
  }
  // Intermediate blocks and doubled separators are fine.
  void* pointer = nullptr;
  UINT length = 0xDEAD;
  EXPECT_TRUE(VerQueryValueA(block.data(), "\\\\StringFileInfo\\\\041104B0\\", &pointer, &length));
  EXPECT_EQ(length, 0u);
}

TEST_F(WinsimVersionTest, BlockWithoutStringsOrTranslation) {
  kvtest::VersionResource resource;
  resource.translation = false;
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(resource));
  std::vector<BYTE> block = Read(kExe);
  void* pointer = nullptr;
  UINT length = 0;
  EXPECT_TRUE(VerQueryValueA(block.data(), "\\", &pointer, &length));
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &pointer, &length));
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo", &pointer, &length));
}

TEST_F(WinsimVersionTest, FilesWithoutAVersionResource) {
  winsim::AddFile("C:\\other.exe", kvtest::BuildPeWithoutVersion(true));
  winsim::AddFile("C:\\bare.exe", kvtest::BuildPeWithoutVersion(false));
  winsim::AddFile("C:\\text.txt", "hello\n");
  winsim::AddFile("C:\\empty.dll", "");
  winsim::AddFile("C:\\mz.exe", "MZ");
  for (const char* path : {"C:\\other.exe", "C:\\bare.exe", "C:\\text.txt", "C:\\empty.dll", "C:\\mz.exe"}) {
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

TEST_F(WinsimVersionTest, The95FamilyReportsNoVersionAsFileNotFound) {
  winsim::SetOs(winsim::Os::Win98);
  winsim::AddFile("C:\\other.exe", kvtest::BuildPeWithoutVersion(true));
  EXPECT_EQ(GetFileVersionInfoSizeA("C:\\other.exe", nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(WinsimVersionTest, MissingFilesAndBadNames) {
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
}

TEST_F(WinsimVersionTest, NullArguments) {
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

TEST_F(WinsimVersionTest, TooSmallBufferGetsTheBeginningAndTheCallSucceeds) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  const std::vector<uint8_t> resource = kvtest::BuildVersionBlock(SampleResource());
  const DWORD blockLength = static_cast<DWORD>(resource.size());
  for (DWORD length : {DWORD(10), blockLength, blockLength + 3, blockLength + 4}) {
    std::vector<BYTE> block(resource.size() * 2 + 64, 0xCC);
    SetLastError(0xBEEF);
    EXPECT_TRUE(GetFileVersionInfoA(kExe, 0, length, block.data())) << length;
    EXPECT_EQ(GetLastError(), 0u);
    const DWORD copied = std::min(length, blockLength);
    EXPECT_TRUE(std::equal(resource.begin(), resource.begin() + copied, block.begin())) << length;
    // The marker only where it fits whole; nothing else is written.
    const DWORD written = length >= blockLength + 4 ? blockLength + 4 : copied;
    EXPECT_EQ(block[written], 0xCC) << length;
    if (written > copied) {
      EXPECT_EQ(std::memcmp(block.data() + copied, "FE2X", 4), 0);
    }
  }
}

TEST_F(WinsimVersionTest, CallsAreLoggedAndCanBeMadeToFail) {
  winsim::AddFile(kExe, kvtest::BuildPeWithVersion(SampleResource()));
  winsim::InjectFault("GetFileVersionInfoSizeA", ERROR_SHARING_VIOLATION, "ZAMWTQNT", 0, 1);
  DWORD handle = 0x5555;
  EXPECT_EQ(GetFileVersionInfoSizeA(kExe, &handle), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(handle, 0u);
  std::vector<BYTE> block = Read(kExe);  // the fault was for one call

  winsim::InjectFault("GetFileVersionInfoA", ERROR_READ_FAULT, "", 0, 1);
  EXPECT_FALSE(GetFileVersionInfoA(kExe, 0, static_cast<DWORD>(block.size()), block.data()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));

  winsim::InjectFault("VerQueryValueA", ERROR_RESOURCE_TYPE_NOT_FOUND, "\\", 0, 1);
  void* pointer = nullptr;
  UINT length = 7;
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\", &pointer, &length));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(length, 0u);

  const auto sizes = winsim::CallsTo("GetFileVersionInfoSizeA");
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_EQ(winsim::FormatCall(sizes[0]), "GetFileVersionInfoSizeA(\"C:\\KVTOOL\\ZAMWTQNT.EX_\")");
  const auto queries = winsim::CallsTo("VerQueryValueA");
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_EQ(winsim::FormatCall(queries[0]), "VerQueryValueA(\"\\\")");
}

}  // namespace
