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
}

// Every failure leaves zeros.
TEST_F(VersionCompareTest, VersionNumberFailuresLeaveZeros) {
  AddUnversioned(kOld, 0);
  AddVersioned(kNew, {{1, 2, 3, 4}}, 0);
  const struct {
    const char* name;
    std::string path;
    const char* fault;  // the call made to fail
  } cases[] = {
      {"no version resource", kOld, nullptr},
      {"missing file", "C:\\missing.dll", nullptr},
      {"block unreadable", kNew, "GetFileVersionInfoA"},
      {"no fixed info", kNew, "VerQueryValueA"},
  };
  for (const auto& c : cases) {
    if (c.fault) winsim::InjectFault(c.fault, ERROR_READ_FAULT, "", 0, 1);
    DWORD ms = 7, ls = 7;
    EXPECT_EQ(GetFileVersionNumber(c.path, ms, ls), 0) << c.name;
    EXPECT_EQ(ms, 0u) << c.name;
    EXPECT_EQ(ls, 0u) << c.name;
  }
}

// The high half decides before the low half, each compared unsigned (the
// plain orders are VersionsFirstThenTimes's).
TEST_F(VersionCompareTest, VersionNumbersAndTimesCompareHalfByHalfUnsigned) {
  EXPECT_EQ(CompareVersionNumbers(0x00020000, 0, 0x00010000, 0xFFFFFFFF), 1);
  EXPECT_EQ(CompareVersionNumbers(0x00010000, 0xFFFFFFFF, 0x00020000, 0), 2);
  EXPECT_EQ(CompareVersionNumbers(0xFFFF0000, 0, 0x00010000, 0), 1);
  EXPECT_EQ(CompareVersionNumbers(0, 0x80000000, 0, 0x7FFFFFFF), 1);
  EXPECT_EQ(CompareFileTimes(FILETIME{0, 2}, FILETIME{0xFFFFFFFF, 1}), 1);
}

// Versions decide when both files have one and they differ (fields compared as
// numbers); otherwise the last-write times do. The file with a version
// resource is not preferred.
TEST_F(VersionCompareTest, VersionsFirstThenTimes) {
  const std::array<uint16_t, 4> none{{0, 0, 0, 0}};  // no version resource
  const struct {
    const char* name;
    std::array<uint16_t, 4> newVersion;
    uint64_t newMs;
    std::array<uint16_t, 4> oldVersion;
    uint64_t oldMs;
    int result;
  } cases[] = {
      {"newer build, earlier time", {{1, 2, 0, 5}}, 1000, {{1, 2, 0, 4}}, 9000, 1},
      {"older build, later time", {{1, 2, 0, 4}}, 9000, {{1, 2, 0, 5}}, 1000, 2},
      {"minor 10 against 9", {{1, 10, 0, 0}}, 1000, {{1, 9, 0, 0}}, 9000, 1},
      {"major 2 against 10", {{2, 0, 0, 0}}, 9000, {{10, 0, 0, 0}}, 1000, 2},
      {"equal versions, later time", {{1, 2, 0, 4}}, 6000, {{1, 2, 0, 4}}, 5000, 1},
      {"equal versions, same time", {{1, 2, 0, 4}}, 5000, {{1, 2, 0, 4}}, 5000, 0},
      {"equal versions, earlier time", {{1, 2, 0, 4}}, 4000, {{1, 2, 0, 4}}, 5000, 2},
      {"only the new one versioned, earlier", {{9, 0, 0, 0}}, 1000, none, 2000, 2},
      {"only the new one versioned, later", {{9, 0, 0, 0}}, 3000, none, 2000, 1},
      {"only the old one versioned, same time", none, 2000, {{1, 0, 0, 0}}, 2000, 0},
      {"neither versioned", none, 7000, none, 6000, 1},
  };
  auto add = [&none](const std::string& path, std::array<uint16_t, 4> version, uint64_t ms) {
    version == none ? AddUnversioned(path, ms) : AddVersioned(path, version, ms);
  };
  for (const auto& c : cases) {
    add(kNew, c.newVersion, c.newMs);
    add(kOld, c.oldVersion, c.oldMs);
    EXPECT_EQ(CompareFileVersions(kNew, kOld), c.result) << c.name;
  }
}

// Both versions are read first; the times, from the directory search, only
// when the versions do not decide.
TEST_F(VersionCompareTest, TimesAreReadOnlyWhenTheVersionsDoNotDecide) {
  AddVersioned(kNew, {{1, 2, 0, 5}}, 1000);
  AddVersioned(kOld, {{1, 2, 0, 4}}, 9000);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 1);
  EXPECT_TRUE(winsim::CallsTo("FindFirstFileA").empty());

  AddUnversioned(kNew, 2000);
  winsim::ClearCallLog();
  EXPECT_EQ(CompareFileVersions(kNew, kOld), 2);
  std::vector<std::string> order;
  for (const winsim::Call& call : winsim::CallLog())
    if (call.name == "GetFileVersionInfoSizeA" || call.name == "FindFirstFileA")
      order.push_back(call.name + " " + call.args[0]);
  EXPECT_EQ(order, (std::vector<std::string>{"GetFileVersionInfoSizeA \"" + kNew + "\"",
                                             "GetFileVersionInfoSizeA \"" + kOld + "\"",
                                             "FindFirstFileA \"" + kNew + "\"",
                                             "FindFirstFileA \"" + kOld + "\""}));
}

TEST_F(VersionCompareTest, AMissingFileIsUndecidable) {
  AddVersioned(kOld, {{1, 0, 0, 0}}, 1000);
  EXPECT_EQ(CompareFileVersions(kNew, kOld), -1);
  // The second file's time is not looked at once the first one failed.
  ASSERT_EQ(winsim::CallsTo("FindFirstFileA").size(), 1u);
  EXPECT_EQ(winsim::CallsTo("FindFirstFileA")[0].args[0], "\"" + kNew + "\"");

  EXPECT_EQ(CompareFileVersions(kOld, kNew), -1);
  EXPECT_EQ(CompareFileVersions(kNew, "C:\\missing.dll"), -1);
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
}

}  // namespace
