// Which of two files is newer: version numbers first, then last-write times.
#include <array>

#include "pe_builder.h"
#include "sim_fixture.h"
#include "update/version_compare.h"
#include "win32api.h"

namespace {

const std::string kNew = "C:\\KVTOOL\\ZAMPUX.001";
const std::string kOld = "C:\\WINDOWS\\system32\\ZAMPUX.DLL";

class VersionCompareTest : public SimTest {
 protected:
  // A file with a version resource, last written at `ms` on the clock.
  static void AddVersioned(const std::string& path, std::array<uint16_t, 4> version, uint64_t ms) {
    kvtest::VersionResource resource;
    resource.fileVersion = version;
    resource.productVersion = {{9, 9, 9, 9}};  // never used for the decision
    winsim::AddFile(path, kvtest::BuildPeWithVersion(resource));
    winsim::SetWriteTime(path, winsim::FileTimeAt(ms));
  }
  static void AddUnversioned(const std::string& path, uint64_t ms) {
    winsim::AddFile(path, kvtest::BuildPeWithoutVersion());
    winsim::SetWriteTime(path, winsim::FileTimeAt(ms));
  }
};

TEST_F(VersionCompareTest, VersionNumberIsReadFromTheFixedInfo) {
  AddVersioned(kNew, {{1, 10, 3, 65535}}, 0);
  DWORD ms = 7, ls = 7;
  EXPECT_EQ(GetFileVersionNumber(kNew, ms, ls), 1);
  EXPECT_EQ(ms, 0x0001000Au);
  EXPECT_EQ(ls, 0x0003FFFFu);
  ASSERT_EQ(winsim::CallsTo("VerQueryValueA").size(), 1u);
  EXPECT_EQ(winsim::CallsTo("VerQueryValueA")[0].args[0], "\"\\\"");
}

TEST_F(VersionCompareTest, VersionNumberFailuresLeaveZeros) {
  AddUnversioned(kOld, 0);
  DWORD ms = 7, ls = 7;
  EXPECT_EQ(GetFileVersionNumber(kOld, ms, ls), 0);
  EXPECT_EQ(ms, 0u);
  EXPECT_EQ(ls, 0u);
  EXPECT_TRUE(winsim::CallsTo("GetFileVersionInfoA").empty());

  ms = ls = 7;
  EXPECT_EQ(GetFileVersionNumber("C:\\missing.dll", ms, ls), 0);
  EXPECT_EQ(ms, 0u);
  EXPECT_EQ(ls, 0u);

  AddVersioned(kNew, {{1, 2, 3, 4}}, 0);
  winsim::InjectFault("GetFileVersionInfoA", ERROR_READ_FAULT, "", 0, 1);
  ms = ls = 7;
  EXPECT_EQ(GetFileVersionNumber(kNew, ms, ls), 0);
  EXPECT_EQ(ms, 0u);
  EXPECT_EQ(ls, 0u);
  EXPECT_TRUE(winsim::CallsTo("VerQueryValueA").empty());

  winsim::InjectFault("VerQueryValueA", ERROR_RESOURCE_TYPE_NOT_FOUND, "", 0, 1);
  ms = ls = 7;
  EXPECT_EQ(GetFileVersionNumber(kNew, ms, ls), 0);
  EXPECT_EQ(ms, 0u);
  EXPECT_EQ(ls, 0u);
}

TEST_F(VersionCompareTest, VersionNumbersCompareHalfByHalfUnsigned) {
  EXPECT_EQ(CompareVersionNumbers(0x00010002, 5, 0x00010002, 4), 1);
  EXPECT_EQ(CompareVersionNumbers(0x00010002, 4, 0x00010002, 5), 2);
  EXPECT_EQ(CompareVersionNumbers(0x00010002, 4, 0x00010002, 4), 0);
  EXPECT_EQ(CompareVersionNumbers(0x00020000, 0, 0x00010000, 0xFFFFFFFF), 1);
  EXPECT_EQ(CompareVersionNumbers(0x00010000, 0xFFFFFFFF, 0x00020000, 0), 2);
  EXPECT_EQ(CompareVersionNumbers(0xFFFF0000, 0, 0x00010000, 0), 1);
  EXPECT_EQ(CompareVersionNumbers(0, 0x80000000, 0, 0x7FFFFFFF), 1);
}

TEST_F(VersionCompareTest, FileTimesCompare) {
  EXPECT_EQ(CompareFileTimes(winsim::FileTimeAt(2000), winsim::FileTimeAt(1000)), 1);
  EXPECT_EQ(CompareFileTimes(winsim::FileTimeAt(1000), winsim::FileTimeAt(2000)), 2);
  EXPECT_EQ(CompareFileTimes(winsim::FileTimeAt(1000), winsim::FileTimeAt(1000)), 0);
  // The high half decides before the low half.
  EXPECT_EQ(CompareFileTimes(FILETIME{0, 2}, FILETIME{0xFFFFFFFF, 1}), 1);
}

TEST_F(VersionCompareTest, WriteTimeComesFromTheDirectorySearch) {
  AddVersioned(kNew, {{1, 0, 0, 0}}, 123456);
  FILETIME time{1, 1};
  EXPECT_EQ(GetFileWriteTime(kNew, time), 1);
  EXPECT_EQ(CompareFileTimes(time, winsim::FileTimeAt(123456)), 0);
  EXPECT_EQ(winsim::CallsTo("FindFirstFileA").size(), 1u);
  EXPECT_EQ(winsim::CallsTo("FindClose").size(), 1u);
  EXPECT_EQ(winsim::OpenHandleCount(), 0);

  time = FILETIME{1, 1};
  EXPECT_EQ(GetFileWriteTime("C:\\missing.dll", time), 0);
  EXPECT_EQ(time.dwLowDateTime, 1u);
  EXPECT_EQ(time.dwHighDateTime, 1u);
  EXPECT_EQ(winsim::OpenHandleCount(), 0);
}

TEST_F(VersionCompareTest, NewerBuildWinsWhateverTheTimes) {
  AddVersioned(kNew, {{1, 2, 0, 5}}, 1000);
  AddVersioned(kOld, {{1, 2, 0, 4}}, 9000);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 1);
  EXPECT_TRUE(winsim::CallsTo("FindFirstFileA").empty());
  EXPECT_EQ(CompareFileVersions(kOld, kNew), 2);
}

TEST_F(VersionCompareTest, PartsCompareAsNumbersNotText) {
  AddVersioned(kNew, {{1, 10, 0, 0}}, 1000);
  AddVersioned(kOld, {{1, 9, 0, 0}}, 9000);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 1);
}

TEST_F(VersionCompareTest, OlderMajorLosesWhateverTheTimes) {
  AddVersioned(kNew, {{2, 0, 0, 0}}, 9000);
  AddVersioned(kOld, {{10, 0, 0, 0}}, 1000);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 2);
}

TEST_F(VersionCompareTest, EqualVersionsAreDecidedByTheTimes) {
  AddVersioned(kOld, {{1, 2, 0, 4}}, 5000);
  AddVersioned(kNew, {{1, 2, 0, 4}}, 6000);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 1);
  winsim::SetWriteTime(kNew, winsim::FileTimeAt(5000));
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 0);
  winsim::SetWriteTime(kNew, winsim::FileTimeAt(4000));
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 2);
}

TEST_F(VersionCompareTest, AFileWithoutVersionLeavesItToTheTimes) {
  // The file with the version resource is not preferred.
  AddVersioned(kNew, {{9, 0, 0, 0}}, 1000);
  AddUnversioned(kOld, 2000);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 2);
  winsim::SetWriteTime(kNew, winsim::FileTimeAt(3000));
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 1);

  winsim::ClearCallLog();
  AddUnversioned(kNew, 2000);
  AddVersioned(kOld, {{1, 0, 0, 0}}, 2000);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 0);
  // Both version reads happen first, then the two time reads.
  std::vector<std::string> order;
  for (const winsim::Call& call : winsim::CallLog())
    if (call.name == "GetFileVersionInfoSizeA" || call.name == "FindFirstFileA")
      order.push_back(call.name + " " + call.args[0]);
  EXPECT_EQ(order, (std::vector<std::string>{"GetFileVersionInfoSizeA \"" + kNew + "\"",
                                             "GetFileVersionInfoSizeA \"" + kOld + "\"",
                                             "FindFirstFileA \"" + kNew + "\"",
                                             "FindFirstFileA \"" + kOld + "\""}));
}

TEST_F(VersionCompareTest, NeitherFileVersionedIsDecidedByTheTimes) {
  AddUnversioned(kNew, 7000);
  AddUnversioned(kOld, 6000);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 1);
}

TEST_F(VersionCompareTest, AMissingFileIsUndecidable) {
  AddVersioned(kOld, {{1, 0, 0, 0}}, 1000);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), -1);
  // The second file's time is not looked at once the first one failed.
  ASSERT_EQ(winsim::CallsTo("FindFirstFileA").size(), 1u);
  EXPECT_EQ(winsim::CallsTo("FindFirstFileA")[0].args[0], "\"" + kNew + "\"");

  EXPECT_EQ(CompareFileVersions(kOld, kNew), -1);
  EXPECT_EQ(CompareFileVersions(kNew, "C:\\missing.dll"), -1);
  EXPECT_EQ(winsim::OpenHandleCount(), 0);
}

TEST_F(VersionCompareTest, AFailedVersionReadFallsBackToTheTimes) {
  // By version the new file would win; by time it is older.
  AddVersioned(kNew, {{1, 2, 0, 5}}, 1000);
  AddVersioned(kOld, {{1, 2, 0, 4}}, 2000);

  winsim::InjectFault("GetFileVersionInfoA", ERROR_NOT_ENOUGH_MEMORY, "ZAMPUX.001", 0, 1);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 2);

  winsim::InjectFault("VerQueryValueA", ERROR_RESOURCE_TYPE_NOT_FOUND, "", 1, 1);  // the second file's query
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 2);

  EXPECT_EQ(CompareFileVersions(kNew, kOld), 1);  // no fault left
  EXPECT_EQ(winsim::OpenHandleCount(), 0);
}

}  // namespace
