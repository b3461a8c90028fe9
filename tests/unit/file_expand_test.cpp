// Copying and expanding shipped files: the setup API from the system
// directory, the LZ fallback, and the failure codes.
#include "archive_builder.h"
#include "update/file_expand.h"
#include "update_fixture.h"
#include "win32api.h"

namespace {

const char* kSetupApi = "C:\\WINDOWS\\system32\\setupapi.dll";
const char* kSource = "C:\\KVTOOL\\ZAMPUX.DL_";
const char* kTarget = "C:\\out\\new\\ZAMPUX.DLL";

class FileExpandTest : public UpdateTest {
 protected:
  void SetUp() override {
    UpdateTest::SetUp();
    image = VersionedImage({1, 0, 0, 1});
    Ship(kSource, image);
  }
  std::vector<uint8_t> image;
};

// Loaded for the one call (SimTest sees it released again); a copy planted
// beside the tool is never loaded.
TEST_F(FileExpandTest, SetupApiIsLoadedFromTheSystemDirectory) {
  winsim::AddFile("C:\\KVTOOL\\setupapi.dll", "planted");
  EXPECT_EQ(DecompressWithSetupApi(kSource, "C:\\x.dll"), 0);
  EXPECT_EQ(winsim::FileContent("C:\\x.dll"), image);
  const auto loads = winsim::CallsTo("LoadLibraryA");
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].args[0], "\"" + std::string(kSetupApi) + "\"");
  EXPECT_EQ(winsim::ForeignModuleLoads(), 0);
}

TEST_F(FileExpandTest, SetupApiUnavailableOrFailing) {
  winsim::SetExportPresent("setupapi.dll", "SetupDecompressOrCopyFileA", false);
  EXPECT_EQ(DecompressWithSetupApi(kSource, "C:\\x.dll"), -1);

  winsim::SetModulePresent("setupapi.dll", false);
  EXPECT_EQ(DecompressWithSetupApi(kSource, "C:\\x.dll"), -1);

  winsim::SetModulePresent("setupapi.dll", true);
  winsim::SetExportPresent("setupapi.dll", "SetupDecompressOrCopyFileA", true);
  EXPECT_EQ(DecompressWithSetupApi("C:\\missing.DL_", "C:\\x.dll"), -2);

  winsim::InjectFault("GetSystemDirectoryA", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DecompressWithSetupApi(kSource, "C:\\x.dll"), -1);
}

// Without the setup API it is ExpansionRouteTest's LZ route.
TEST_F(FileExpandTest, LzExpansionTakesOverWhenTheSetupApiFails) {
  winsim::InjectFault("SetupDecompressOrCopyFileA", ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CopyOrExpandFile(kSource, "C:\\out\\again.dll", true), 0);
  EXPECT_EQ(winsim::FileContent("C:\\out\\again.dll"), image);
  EXPECT_FALSE(winsim::CallsTo("LZCopy").empty());
}

TEST_F(FileExpandTest, LzHandlesAreBothClosedSourceFirstAfterTheCopy) {
  winsim::SetModulePresent("setupapi.dll", false);
  ASSERT_EQ(CopyOrExpandFile(kSource, kTarget, true), 0);
  std::vector<std::string> order;
  for (const auto& call : winsim::CallLog())
    if (call.name.rfind("LZ", 0) == 0) order.push_back(call.name == "LZClose" ? call.name + " " + call.args[1] : call.name);
  EXPECT_EQ(order, (std::vector<std::string>{"LZOpenFileA", "LZOpenFileA", "LZCopy", "LZClose \"" + std::string(kSource) + "\"",
                                             "LZClose \"" + std::string(kTarget) + "\""}));
}

TEST_F(FileExpandTest, AFailingStepFailsTheCopyAndLeavesNoFile) {
  // The LZ route's calls, then the reads that judge whether the expanded file
  // is complete.
  winsim::SetModulePresent("setupapi.dll", false);
  const struct {
    const char* call;
    int64_t error;
    const char* match;
  } rows[] = {
      {"LZOpenFileA", LZERROR_BADINHANDLE, "ZAMPUX.DL_"}, {"LZOpenFileA", LZERROR_BADOUTHANDLE, "ZAMPUX.DLL"},
      {"LZCopy", LZERROR_READ, ""},                     {"CreateFileA", ERROR_SHARING_VIOLATION, "ZAMPUX.DL_"},
      {"CreateFileA", ERROR_SHARING_VIOLATION, "ZAMPUX.DLL"}, {"ReadFile", ERROR_READ_FAULT, ""},
      {"GetFileSize", ERROR_READ_FAULT, ""},
  };
  for (const auto& row : rows) {
    winsim::InjectFault(row.call, row.error, row.match, 0, 1);
    EXPECT_EQ(CopyOrExpandFile(kSource, kTarget, true), -2) << row.call << " " << row.match;
    EXPECT_FALSE(winsim::Exists(kTarget)) << row.call << " " << row.match;
  }

  winsim::SetDiskFree(image.size() / 2);
  EXPECT_EQ(CopyOrExpandFile(kSource, kTarget, true), -4);
  EXPECT_FALSE(winsim::Exists(kTarget));  // the partial file is removed
}

// Through the setup API, or LZ32 when it is missing: neither notices a
// damaged source, so the tool's own check must.
class ExpansionRouteTest : public FileExpandTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    FileExpandTest::SetUp();
    winsim::SetModulePresent("setupapi.dll", GetParam());
  }
};

TEST_P(ExpansionRouteTest, DamagedSourceFailsAndLeavesNoFile) {
  for (const DamagedFile& damaged : DamagedShippedFiles(image)) {
    winsim::AddFile(kSource, damaged.bytes);
    // A stale file of the right size, which the setup API writes a cabinet
    // over without truncating it: the size alone proves nothing.
    winsim::AddFile(kTarget, std::vector<uint8_t>(image.size(), 'x'));
    EXPECT_EQ(CopyOrExpandFile(kSource, kTarget, true), -2) << damaged.name;
    EXPECT_FALSE(winsim::Exists(kTarget)) << damaged.name;
  }
}

TEST_P(ExpansionRouteTest, CompleteSourcesAreAccepted) {
  const bool setupApi = GetParam();
  const std::vector<uint8_t> second = archive::Bytes("second file");
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    int expected;  // LZ32 copies a cabinet as it is, which is no expansion
  } rows[] = {
      {"SZDD", Compressed(image), 0},
      {"uncompressed", image, 0},
      {"cabinet", archive::Cabinet({{"ZAMPUX.DLL", image}, {"B", second}}, 300), setupApi ? 0 : -2},
      {"cabinet without checksums", archive::Cabinet({{"ZAMPUX.DLL", image}}, 300, false), setupApi ? 0 : -2},
  };
  for (const auto& row : rows) {
    winsim::AddFile(kSource, row.bytes);
    ASSERT_EQ(CopyOrExpandFile(kSource, kTarget, true), row.expected) << row.name;
    if (row.expected == 0) {
      EXPECT_EQ(winsim::FileContent(kTarget), image) << row.name;
    }
    DeleteFileA(kTarget);
  }
}

INSTANTIATE_TEST_SUITE_P(SetupApiOrLz, ExpansionRouteTest, ::testing::Bool());

TEST_F(FileExpandTest, PlainCopy) {
  EXPECT_EQ(CopyOrExpandFile(kSource, kTarget, false), 0);
  EXPECT_EQ(winsim::FileContent(kTarget), Compressed(image));
  EXPECT_EQ(CopyOrExpandFile(kSource, kTarget, false), 0);  // overwrites
  winsim::InjectFault("CopyFileA", ERROR_ACCESS_DENIED);
  EXPECT_EQ(CopyOrExpandFile(kSource, kTarget, false), -2);
}

TEST_F(FileExpandTest, PathFailures) {
  EXPECT_EQ(CopyOrExpandFile("", kTarget, true), -5);
  EXPECT_EQ(CopyOrExpandFile(kSource, "", true), -5);
  EXPECT_EQ(CopyOrExpandFile("C:\\KVTOOL\\none", kTarget, true), -2);
  EXPECT_EQ(CopyOrExpandFile(kSource, "ZAMPUX.DLL", true), -3);  // no directory part
  winsim::AddFile("C:\\out", "a file where a directory should be");
  EXPECT_EQ(CopyOrExpandFile(kSource, kTarget, true), -3);
  EXPECT_TRUE(winsim::CallsTo("LoadLibraryA").empty());  // nothing was tried
}

}  // namespace
