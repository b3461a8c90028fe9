// Replacing an installed file: every result code, the effect of each flag,
// and the registration for the next start on both Windows families.
#include "update/file_replace.h"
#include "update/restart_schedule.h"
#include "update_fixture.h"
#include "win32api.h"

namespace {

const uint32_t kAll = RF_DECOMPRESS | RF_NEWER_ONLY | RF_REPLACE_AT_RESTART;
const char* kStaging = "C:\\WINDOWS\\system32\\ZAMPUX.000";

class FileReplaceTest : public UpdateTest {
 protected:
  void SetUp() override {
    UpdateTest::SetUp();
    oldImage = VersionedImage({1, 2, 0, 4}, "old");
    newImage = VersionedImage({1, 2, 0, 5}, "new");
  }
  int Replace(uint32_t flags, const std::string& source = kDllShipped) {
    return ReplaceInstalledFile(source, kDll, pending, flags);
  }
  std::vector<uint8_t> oldImage, newImage;
  std::string pending = "stale";
};

// What is installed and what is shipped decide: put in place (0), replaced
// now (1) or discarded (2). RF_DECOMPRESS expands the shipped file and
// RF_NEWER_ONLY keeps a newer installed one; no staging copy stays behind.
TEST_F(FileReplaceTest, ResultByWhatIsInstalledAndTheFlags) {
  const std::vector<uint8_t> plain = UnversionedImage(), none;
  const struct {
    const char* name;
    std::vector<uint8_t> installed;  // written at 1000; none: not installed
    bool readOnly;
    std::vector<uint8_t> shipped;
    bool compressed;
    uint64_t shippedMs;
    uint32_t flags;
    int result;
    std::vector<uint8_t> afterwards;
  } cases[] = {
      {"nothing installed", none, false, oldImage, true, 0, kAll, 0, oldImage},
      {"an older one, read-only", oldImage, true, newImage, true, 0, kAll, 1, newImage},
      {"a newer one", newImage, false, oldImage, true, 0, kAll, 2, newImage},
      {"the same version", newImage, false, newImage, true, 0, kAll, 2, newImage},
      // Uncompressed copies keep their write time.
      {"no version, the same time", plain, false, plain, false, 1000, kAll, 2, plain},
      {"no version, written later", plain, false, plain, false, 2000, kAll, 1, plain},
      {"copied as it is", none, false, newImage, true, 0, 0, 0, Compressed(newImage)},
      {"a newer one, any version", newImage, false, oldImage, true, 0, RF_DECOMPRESS, 1, oldImage},
      {"a newer one, newer only", newImage, false, oldImage, true, 0, RF_DECOMPRESS | RF_NEWER_ONLY, 2, newImage},
  };
  for (const auto& c : cases) {
    FreshMachine();
    if (!c.installed.empty()) Install(kDll, c.installed, 1000);
    if (c.readOnly) winsim::SetAttributes(kDll, FILE_ATTRIBUTE_READONLY);
    winsim::AddFile(kDllShipped, c.compressed ? Compressed(c.shipped) : c.shipped);
    winsim::SetWriteTime(kDllShipped, winsim::FileTimeAt(c.shippedMs));
    pending = "stale";
    EXPECT_EQ(Replace(c.flags), c.result) << c.name;
    EXPECT_EQ(winsim::FileContent(kDll), c.afterwards) << c.name;
    EXPECT_EQ(pending, "") << c.name;
    EXPECT_TRUE(StagingCopies("ZAMPUX").empty()) << c.name;
    EXPECT_TRUE(winsim::PendingFileRenameOperations().empty()) << c.name;
  }
}

// The replacement of an installed file in use, registered for the next start
// on every system the tool knows, and on one it cannot tell.
struct OsRow {
  const char* name;
  bool known;
  winsim::Os os;
  bool wininit;  // the 95 family: WININIT.INI; every other: delayed moves
};

void PrintTo(const OsRow& row, std::ostream* out) { *out << row.name; }

class RestartRegistrationTest : public FileReplaceTest, public ::testing::WithParamInterface<OsRow> {};

TEST_P(RestartRegistrationTest, InstalledFileInUseIsReplacedAtTheNextStart) {
  const OsRow& row = GetParam();
  if (row.known)
    winsim::SetOs(row.os);
  else
    winsim::InjectFault("GetVersionExA", ERROR_INVALID_PARAMETER);
  // A Windows directory with a long name, so that WININIT.INI's short paths show.
  winsim::SetWindowsDirectory("C:\\Windows Directory");
  const std::string dll = "C:\\Windows Directory\\system32\\ZAMPUX.DLL";
  const std::string staging = "C:\\Windows Directory\\system32\\ZAMPUX.000";
  Install(dll, oldImage);
  Ship(kDllShipped, newImage);
  winsim::SetInUse(dll, ERROR_ACCESS_DENIED);

  EXPECT_EQ(ReplaceInstalledFile(kDllShipped, dll, pending, kAll), -1);
  EXPECT_EQ(pending, staging);
  EXPECT_EQ(winsim::FileContent(staging), newImage);
  EXPECT_EQ(winsim::FileContent(dll), oldImage);
  std::vector<std::string> moves;
  for (const auto& call : winsim::CallsTo("MoveFileExA")) moves.push_back(winsim::FormatCall(call));
  const std::string wininit = winsim::FileText("C:\\Windows Directory\\WININIT.INI");
  if (row.wininit) {
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(wininit, "[rename]\r\nC:\\WINDOW~1\\system32\\ZAMPUX.DLL=C:\\WINDOW~1\\system32\\ZAMPUX.000\r\n");
  } else {
    // One delayed move that replaces (MOVEFILE_DELAY_UNTIL_REBOOT |
    // MOVEFILE_REPLACE_EXISTING), recorded with "!" before its target.
    EXPECT_EQ(moves, std::vector<std::string>{"MoveFileExA(\"" + staging + "\", \"" + dll + "\", 0x5)"});
    const auto recorded = winsim::PendingFileRenameOperations();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].source, "\\??\\" + staging);
    EXPECT_EQ(recorded[0].target, "!\\??\\" + dll);
    EXPECT_EQ(wininit, "");
  }

  winsim::SimulateRestart();
  EXPECT_EQ(winsim::FileContent(dll), newImage);
  EXPECT_FALSE(winsim::Exists(staging));
}

INSTANTIATE_TEST_SUITE_P(
    EveryOs, RestartRegistrationTest,
    ::testing::Values(OsRow{"Win95", true, winsim::Os::Win95, true}, OsRow{"Win98", true, winsim::Os::Win98, true},
                      OsRow{"WinMe", true, winsim::Os::WinMe, true}, OsRow{"Nt351", true, winsim::Os::Nt351, false},
                      OsRow{"Nt4", true, winsim::Os::Nt4, false}, OsRow{"Win2000", true, winsim::Os::Win2000, false},
                      OsRow{"WinXp", true, winsim::Os::WinXp, false},
                      OsRow{"Server2003", true, winsim::Os::Server2003, false},
                      OsRow{"Vista", true, winsim::Os::Vista, false},
                      OsRow{"Unknown", false, winsim::Os::WinXp, false}),
    [](const ::testing::TestParamInfo<OsRow>& info) { return std::string(info.param.name); });

// Whatever single call fails, the installed file keeps its old content, or
// holds the new one, or keeps the old one while a complete registration
// waits with its staging copy; no copy stays unreferenced, and the next
// start leaves the expected content and no copy at all.
TEST_F(FileReplaceTest, WhateverFailsTheInstalledFileStaysWhole) {
  const struct {
    const char* name;
    winsim::Os os;
    bool inUse;  // the installed file is a running program's image
    const char* call;
    DWORD error;
    const char* match;
    int result;
    bool newNow, newAfterRestart;
  } cases[] = {
      {"the rename onto the installed file", winsim::Os::WinXp, false, "MoveFileA", ERROR_SHARING_VIOLATION,
       "ZAMPUX.000", -1, false, true},
      {"the copy set aside", winsim::Os::WinXp, false, "CopyFileA", ERROR_DISK_FULL, "ZAMPUX.DLL", -1, false, true},
      {"the deletion of the installed file", winsim::Os::WinXp, false, "DeleteFileA", ERROR_ACCESS_DENIED,
       "ZAMPUX.DLL", -1, false, true},
      {"the deletion of the copy set aside", winsim::Os::WinXp, false, "DeleteFileA", ERROR_ACCESS_DENIED,
       "ZAMPUX.001", 1, true, true},
      {"the same on the 95 family", winsim::Os::Win98, false, "DeleteFileA", ERROR_ACCESS_DENIED, "ZAMPUX.001", 1,
       true, true},
      {"the delayed move", winsim::Os::WinXp, true, "MoveFileExA", ERROR_ACCESS_DENIED, "", -2, false, false},
      {"the WININIT.INI line", winsim::Os::Win98, true, "WritePrivateProfileStringA", ERROR_ACCESS_DENIED, "", -2,
       false, false},
      // An unknown level: the delayed move, which the 95 family lacks.
      {"the version on the 95 family", winsim::Os::Win98, true, "GetVersionExA", ERROR_INVALID_PARAMETER, "", -2,
       false, false},
  };
  for (const auto& c : cases) {
    FreshMachine();
    winsim::SetOs(c.os);
    Install(kDll, oldImage);
    Ship(kDllShipped, newImage);
    if (c.inUse) winsim::SetInUse(kDll, ERROR_ACCESS_DENIED);
    winsim::InjectFault(c.call, c.error, c.match, 0, 1);
    pending = "stale";
    EXPECT_EQ(Replace(kAll), c.result) << c.name;
    EXPECT_EQ(winsim::FileContent(kDll), c.newNow ? newImage : oldImage) << c.name;
    EXPECT_EQ(pending, c.result == -1 ? kStaging : "") << c.name;
    EXPECT_EQ(UnreferencedCopies("ZAMPUX"), std::vector<std::string>{}) << c.name;

    winsim::SimulateRestart();
    EXPECT_EQ(winsim::FileContent(kDll), c.newAfterRestart ? newImage : oldImage) << c.name;
    EXPECT_EQ(StagingCopies("ZAMPUX"), std::vector<std::string>{}) << c.name;
  }
}

TEST_F(FileReplaceTest, FailureCodes) {
  // -5: an empty source; -2: a missing source. Nothing is created.
  Install(kDll, oldImage);
  EXPECT_EQ(Replace(kAll, ""), -5);
  EXPECT_EQ(Replace(kAll, "C:\\KVTOOL\\missing.DL_"), -2);
  EXPECT_TRUE(StagingCopies("ZAMPUX").empty());

  // -3: the installed file's directory cannot be made (a file is in the way).
  Ship(kDllShipped, newImage);
  winsim::AddFile("C:\\blocker", "f");
  EXPECT_EQ(ReplaceInstalledFile(kDllShipped, "C:\\blocker\\ZAMPUX.DLL", pending, kAll), -3);

  // -4: the disk fills up while the expansion writes; no partial copy
  // stays, even when its first deletion fails.
  winsim::SetDiskFree(newImage.size() / 2);
  EXPECT_EQ(Replace(kAll), -4);
  EXPECT_TRUE(StagingCopies("ZAMPUX").empty());
  winsim::InjectFault("DeleteFileA", ERROR_SHARING_VIOLATION, "ZAMPUX.000", 0, 1);
  EXPECT_EQ(Replace(kAll), -4);
  EXPECT_TRUE(StagingCopies("ZAMPUX").empty());
  winsim::SetDiskUnlimited();

  // An installed file whose look-up fails is compared like any other: a
  // newer one is never written over.
  Install(kDll, VersionedImage({9, 0, 0, 0}));
  winsim::InjectFault("FindFirstFileA", ERROR_ACCESS_DENIED, "ZAMPUX.DLL", 0, 1);
  EXPECT_EQ(Replace(kAll), 2);
  EXPECT_EQ(winsim::FileContent(kDll), VersionedImage({9, 0, 0, 0}));

  // -2: the installed file's time cannot be read, so nothing can be compared.
  const std::vector<uint8_t> plain = UnversionedImage();
  Install(kDll, plain);
  winsim::AddFile(kDllShipped, plain);
  winsim::InjectFault("FindFirstFileA", ERROR_ACCESS_DENIED, "ZAMPUX.DLL", 1, 1);
  EXPECT_EQ(Replace(kAll), -2);
  EXPECT_TRUE(StagingCopies("ZAMPUX").empty());
  EXPECT_EQ(winsim::FileContent(kDll), plain);
}

TEST_F(FileReplaceTest, NoFreeStagingNameLeavesEveryFileAlone) {
  Install(kDll, oldImage);
  Ship(kDllShipped, newImage);
  for (int n = 0; n < 1000; ++n) {
    char name[64];
    std::snprintf(name, sizeof name, "C:\\WINDOWS\\system32\\ZAMPUX.%03d", n);
    winsim::AddFile(name, "waiting for the next start");
  }
  EXPECT_EQ(Replace(kAll), -2);
  EXPECT_EQ(winsim::FileText("C:\\WINDOWS\\system32\\ZAMPUX.999"), "waiting for the next start");
  EXPECT_EQ(winsim::FileContent(kDll), oldImage);
}

TEST_F(FileReplaceTest, ReplaceAtRestartAndKeepPendingFlags) {
  Install(kDll, oldImage);
  Ship(kDllShipped, newImage);
  winsim::SetInUse(kDll, ERROR_ACCESS_DENIED);

  // Neither flag: the staging copy is removed and the failure reported.
  EXPECT_EQ(Replace(RF_DECOMPRESS | RF_NEWER_ONLY), -2);
  EXPECT_EQ(pending, "");
  EXPECT_TRUE(StagingCopies("ZAMPUX").empty());

  // Keep pending: the staging copy is handed back, nothing is registered.
  EXPECT_EQ(Replace(RF_DECOMPRESS | RF_NEWER_ONLY | RF_KEEP_PENDING), -1);
  EXPECT_EQ(pending, kStaging);
  EXPECT_TRUE(winsim::Exists(kStaging));
  EXPECT_TRUE(winsim::PendingFileRenameOperations().empty());

  // Replace at restart wins over keep pending, and takes the next number.
  EXPECT_EQ(Replace(kAll | RF_KEEP_PENDING), -1);
  EXPECT_EQ(pending, "C:\\WINDOWS\\system32\\ZAMPUX.001");
  EXPECT_EQ(winsim::PendingFileRenameOperations().size(), 1u);
}

}  // namespace

namespace {

class ScheduleTest : public UpdateTest {};

// On the 95 family a deletion is the [rename] section's one "NUL" line:
// another deletion waiting there is never written over.
TEST_F(ScheduleTest, DeletionOnThe95FamilyNeverWritesOverAnother) {
  winsim::SetOs(winsim::Os::Win95);
  EXPECT_EQ(ScheduleDeleteAtRestart("C:\\WINDOWS\\system32\\ZAMPUX.001"), 0);
  EXPECT_EQ(ScheduleDeleteAtRestart("C:\\WINDOWS\\system32\\ZAMPUX.002"), -1);
  EXPECT_EQ(winsim::FileText("C:\\WINDOWS\\WININIT.INI"), "[rename]\r\nNUL=C:\\WINDOWS\\system32\\ZAMPUX.001\r\n");
}

TEST_F(ScheduleTest, WithoutAShortPathTheLongPathIsWritten) {
  // A path the system cannot shorten (here: not there yet) is written as it
  // is, never as an empty key.
  winsim::SetOs(winsim::Os::Win95);
  winsim::AddFile("C:\\Long Name\\new.000", "n");
  EXPECT_EQ(ScheduleReplaceAtRestart("C:\\Long Name\\new.000", "C:\\Long Name\\gone.dll"), 0);
  EXPECT_EQ(winsim::FileText("C:\\WINDOWS\\WININIT.INI"), "[rename]\r\nC:\\Long Name\\gone.dll=C:\\LONGNA~1\\new.000\r\n");
}

}  // namespace
