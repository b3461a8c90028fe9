// The communication program update over its two-file table.
#include "update/program_update.h"
#include "update_fixture.h"
#include "win32api.h"

namespace {

const char* kExeStaging = "C:\\WINDOWS\\system32\\ZAMWTQNT.000";

class ProgramUpdateTest : public UpdateTest {
 protected:
  void SetUp() override {
    UpdateTest::SetUp();
    dllV1 = VersionedImage({2, 300, 0, 1}, "dll");
    dllV2 = VersionedImage({2, 300, 0, 2}, "dll");
    exeV1 = VersionedImage({2, 300, 0, 1}, "exe");
    exeV2 = VersionedImage({2, 300, 407, 9}, "exe");
  }
  std::vector<uint8_t> dllV1, dllV2, exeV1, exeV2;
  ProgramUpdate update;
};

TEST_F(ProgramUpdateTest, SuiteIsInstalledOnlyWithBothFiles) {
  EXPECT_EQ(update.IsSuiteInstalled(), 0);
  Install(kDll, dllV1);
  EXPECT_EQ(update.IsSuiteInstalled(), 0);
  Install(kExe, exeV1);
  EXPECT_EQ(update.IsSuiteInstalled(), 1);
  ASSERT_TRUE(DeleteFileA(kDll));
  EXPECT_EQ(update.IsSuiteInstalled(), 0);
}

// Each file on its own: a newer shipped one replaces the installed one, a
// missing shipped one is not newer, a missing installed one cannot be
// compared but is put back. No staging copy stays behind.
TEST_F(ProgramUpdateTest, EachFileIsReplacedOnlyByANewerOne) {
  const std::vector<uint8_t> none;
  const struct {
    const char* name;
    std::vector<uint8_t> dll, exe, shippedDll, shippedExe;
    int needed;
    std::vector<uint8_t> dllAfter, exeAfter;
  } cases[] = {
      {"nothing newer", dllV2, exeV2, dllV1, exeV2, 0, dllV2, exeV2},
      {"only the server newer", dllV2, exeV1, dllV2, exeV2, 1, dllV2, exeV2},
      {"no shipped library", dllV1, exeV1, none, exeV2, 1, dllV1, exeV2},
      {"no installed server", dllV2, none, dllV1, exeV1, 0, dllV2, exeV1},
  };
  for (const auto& c : cases) {
    FreshMachine();
    if (!c.dll.empty()) Install(kDll, c.dll, 10);
    if (!c.exe.empty()) Install(kExe, c.exe, 10);
    if (!c.shippedDll.empty()) Ship(kDllShipped, c.shippedDll, 20);  // written later: the versions decide
    Ship(kExeShipped, c.shippedExe, 5);
    ProgramUpdate fresh;
    EXPECT_EQ(fresh.IsUpdateNeeded(), c.needed) << c.name;
    EXPECT_EQ(fresh.UpdateCheckState, c.needed) << c.name;
    EXPECT_TRUE(StagingCopies("ZAMPUX").empty() && StagingCopies("ZAMWTQNT").empty()) << c.name;
    EXPECT_EQ(fresh.InstallUpdate(), 0) << c.name;
    EXPECT_EQ(winsim::FileContent(kDll), c.dllAfter) << c.name;
    EXPECT_EQ(winsim::FileContent(kExe), c.exeAfter) << c.name;
    EXPECT_TRUE(StagingCopies("ZAMPUX").empty() && StagingCopies("ZAMWTQNT").empty()) << c.name;
    EXPECT_TRUE(winsim::PendingFileRenameOperations().empty()) << c.name;
  }
}

TEST_F(ProgramUpdateTest, ServerInUseIsReplacedAtTheNextStart) {
  Install(kDll, dllV1);
  Install(kExe, exeV1);
  Ship(kDllShipped, dllV2);
  Ship(kExeShipped, exeV2);
  winsim::SetInUse(kExe, ERROR_ACCESS_DENIED);  // the running server

  ASSERT_EQ(update.IsUpdateNeeded(), 1);
  EXPECT_EQ(update.InstallUpdate(), 1);
  EXPECT_EQ(winsim::FileContent(kDll), dllV2);        // the library was free
  EXPECT_EQ(winsim::FileContent(kExe), exeV1);        // still the old server
  EXPECT_EQ(winsim::FileContent(kExeStaging), exeV2);  // waiting beside it

  // One move that replaces (the registration itself is FileReplaceTest's).
  EXPECT_EQ(winsim::PendingFileRenameOperations().size(), 1u);

  winsim::SimulateRestart();
  EXPECT_EQ(winsim::FileContent(kExe), exeV2);
  EXPECT_EQ(winsim::FileContent(kDll), dllV2);
  EXPECT_TRUE(StagingCopies("ZAMWTQNT").empty());
  EXPECT_TRUE(StagingCopies("ZAMPUX").empty());
}

// A staging copy of the check that cannot be looked up or deleted is
// deleted anyway, or registered for deletion at the next start; the answer
// stands.
TEST_F(ProgramUpdateTest, CheckLeavesNoCopyWhateverFails) {
  const struct {
    const char* name;
    winsim::Os os;
    const char* call;
    int skip;  // matching calls let through first
    size_t copiesUntilRestart;
  } cases[] = {
      {"a failed look-up", winsim::Os::WinXp, "FindFirstFileA", 1, 0},  // after the one that chose the name
      {"a failed deletion", winsim::Os::WinXp, "DeleteFileA", 0, 1},
      {"the same on the 95 family", winsim::Os::Win98, "DeleteFileA", 0, 1},
  };
  for (const auto& c : cases) {
    FreshMachine();
    winsim::SetOs(c.os);
    Install(kDll, dllV1);
    Install(kExe, exeV1);
    Ship(kDllShipped, dllV2);
    Ship(kExeShipped, exeV1);
    winsim::InjectFault(c.call, ERROR_ACCESS_DENIED, "ZAMPUX.000", c.skip, -1);
    ProgramUpdate fresh;
    EXPECT_EQ(fresh.IsUpdateNeeded(), 1) << c.name;
    EXPECT_EQ(StagingCopies("ZAMPUX").size(), c.copiesUntilRestart) << c.name;
    EXPECT_EQ(UnreferencedCopies("ZAMPUX"), std::vector<std::string>{}) << c.name;
    winsim::ClearFaults();
    winsim::SimulateRestart();
    EXPECT_EQ(StagingCopies("ZAMPUX"), std::vector<std::string>{}) << c.name;
    EXPECT_EQ(winsim::FileContent(kDll), dllV1) << c.name;
  }
}

TEST_F(ProgramUpdateTest, SecondCheckTouchesNothing) {
  Install(kDll, dllV1);
  Install(kExe, exeV1);
  Ship(kDllShipped, dllV1);
  Ship(kExeShipped, exeV2);
  ASSERT_EQ(update.IsUpdateNeeded(), 1);

  ASSERT_TRUE(DeleteFileA(kExeShipped));  // whatever happens on disk now
  winsim::ClearCallLog();
  EXPECT_EQ(update.IsUpdateNeeded(), 1);
  EXPECT_TRUE(winsim::CallLog().empty());
}

// Through the setup API, or LZ32 when it is missing.
class ProgramUpdateRouteTest : public ProgramUpdateTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    ProgramUpdateTest::SetUp();
    winsim::SetModulePresent("setupapi.dll", GetParam());
  }
};

TEST_P(ProgramUpdateRouteTest, LeftoverStagingCopyIsNotTouched) {
  Install(kDll, dllV1);
  Install(kExe, exeV1);
  Ship(kDllShipped, dllV1);
  Ship(kExeShipped, exeV2);
  winsim::AddFile(kExeStaging, "from an earlier run, waiting for the next start");

  ASSERT_EQ(update.IsUpdateNeeded(), 1);
  winsim::SetInUse(kExe, ERROR_ACCESS_DENIED);
  EXPECT_EQ(update.InstallUpdate(), 1);
  // Whichever route expanded, no call wrote to the waiting copy.
  const auto expansions = winsim::CallsTo(GetParam() ? "SetupDecompressOrCopyFileA" : "LZOpenFileA");
  EXPECT_FALSE(expansions.empty());
  for (const auto& call : expansions)
    for (const std::string& arg : call.args) EXPECT_EQ(arg.find("ZAMWTQNT.000"), std::string::npos) << winsim::FormatCall(call);
  EXPECT_EQ(winsim::FileText(kExeStaging), "from an earlier run, waiting for the next start");
  EXPECT_EQ(winsim::FileContent("C:\\WINDOWS\\system32\\ZAMWTQNT.001"), exeV2);
}

TEST_P(ProgramUpdateRouteTest, DamagedShippedFileNeverReplacesTheInstalledOne) {
  // The shipped file is written later than the installed one: were its
  // broken expansion (which has no version resource) compared, its time
  // would make it the newer.
  Install(kDll, dllV1);
  Install(kExe, exeV1);
  Ship(kExeShipped, exeV1);
  winsim::AdvanceClock(60000);
  for (const DamagedFile& damaged : DamagedShippedFiles(dllV2)) {
    winsim::AddFile(kDllShipped, damaged.bytes);
    ProgramUpdate fresh;
    EXPECT_EQ(fresh.IsUpdateNeeded(), 0) << damaged.name;
    EXPECT_EQ(fresh.InstallUpdate(), 0) << damaged.name;
    EXPECT_EQ(winsim::FileContent(kDll), dllV1) << damaged.name;
    const FILETIME installed = winsim::FileTimeAt(0), now = winsim::WriteTime(kDll);
    EXPECT_EQ(CompareFileTime(&installed, &now), 0) << damaged.name;
    EXPECT_TRUE(StagingCopies("ZAMPUX").empty()) << damaged.name;
  }
  EXPECT_TRUE(winsim::PendingFileRenameOperations().empty());
}

INSTANTIATE_TEST_SUITE_P(SetupApiOrLz, ProgramUpdateRouteTest, ::testing::Bool());

TEST_F(ProgramUpdateTest, ToolInADoubleByteDirectoryFindsItsShippedFiles) {
  // The tool's directory ends in "ソ" (0x83 0x5C).
  const std::string dir = "C:\\\x83\x5C";
  winsim::SetModuleFileName(dir + "\\KV_UPDAT.EXE");
  Install(kDll, dllV1);
  Install(kExe, exeV1);
  Ship(dir + "\\ZAMPUX.DL_", dllV2);
  EXPECT_EQ(update.IsUpdateNeeded(), 1);
  EXPECT_EQ(update.InstallUpdate(), 0);
  EXPECT_EQ(winsim::FileContent(kDll), dllV2);
}

}  // namespace
