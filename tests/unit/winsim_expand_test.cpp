// Expansion of compressed files on the simulated Windows: setupapi's
// SetupDecompressOrCopyFileA and LZ32, as Wine's implementations behave.
// Expanding mscompress's SZDD files and a cabinet, copying a plain file and
// a cabinet raw, the times the targets get, a missing source, and the six
// damaged inputs of a broken download are compared with Wine by the probe's
// expand group; these tests cover the rest.
#include <cstring>
#include <string>
#include <vector>

#include "archive_builder.h"
#include "sim_fixture.h"
#include "win32api.h"

namespace {

using Bytes = std::vector<uint8_t>;
typedef DWORD(WINAPI* DecompressFn)(PCSTR, PCSTR, PUINT);

const char* const kDir = "C:\\SRC";

bool SameTime(FILETIME a, FILETIME b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

Bytes Pattern(size_t size) {
  Bytes data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return data;
}

class ExpandTest : public SimTest {
 protected:
  // Puts a source file in place, then lets time pass, so that a target
  // written now has a different time from the source.
  std::string Source(const std::string& name, const Bytes& content) {
    const std::string path = std::string(kDir) + "\\" + name;
    winsim::AddFile(path, content);
    sourceTime_ = winsim::WriteTime(path);
    winsim::AdvanceClock(60 * 60 * 1000);
    return path;
  }

  // The setup function, reached the way a program reaches it.
  DWORD Decompress(const char* source, const char* target) {
    HMODULE module = LoadLibraryA("setupapi.dll");
    if (!module) return ~0u;
    auto fn = reinterpret_cast<DecompressFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "SetupDecompressOrCopyFileA")));
    const DWORD result = fn ? fn(source, target, nullptr) : ~0u;
    FreeLibrary(module);
    return result;
  }

  INT Open(const std::string& path, WORD style, OFSTRUCT* of = nullptr) {
    OFSTRUCT local{};
    std::string name = path;
    return LZOpenFileA(&name[0], of ? of : &local, style);
  }

  // LZ expansion of source into target; the handles are closed again.
  LONG LzExpand(const std::string& source, const std::string& target) {
    const INT in = Open(source, OF_READ);
    if (in < 0) return in;
    const INT out = Open(target, OF_CREATE);
    if (out < 0) {
      LZClose(in);
      return out;
    }
    const LONG result = LZCopy(in, out);
    LZClose(in);
    LZClose(out);
    return result;
  }

  FILETIME sourceTime_{};
};

// ---- SetupDecompressOrCopyFileA ------------------------------------------

// Only the first file, written over the target without truncating it (the
// LZ route truncates).
TEST_F(ExpandTest, SetupWritesTheFirstCabinetFileOverTheTarget) {
  winsim::AddFile("C:\\T.TXT", "0123456789");
  const std::string source =
      Source("A.CAB", archive::Cabinet({{"a.txt", archive::Bytes("abc")}, {"b.txt", archive::Bytes("second")}}));
  EXPECT_EQ(Decompress(source.c_str(), "C:\\T.TXT"), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(winsim::FileText("C:\\T.TXT"), "abc3456789");
  EXPECT_FALSE(winsim::Exists("C:\\b.txt"));
  const std::string szdd = Source("A.TX_", archive::Szdd(archive::Bytes("xy")));
  EXPECT_EQ(Decompress(szdd.c_str(), "C:\\T.TXT"), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(winsim::FileText("C:\\T.TXT"), "xy");
}

// Uncompressed files, and SZDD files too short for their header, are copied
// unchanged with the source's time (the probe's uncompressed and
// szdd-cut-in-header cases). An SZDD file with an unknown method is the
// exception: neither route copies anything of it.
TEST_F(ExpandTest, AnUnknownSzddMethodCopiesNothing) {
  const std::string unknown = Source("B.EX_", archive::Szdd(archive::Bytes("abcdef"), 0, 'B'));
  EXPECT_EQ(Decompress(unknown.c_str(), "C:\\B.EXE"), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(LzExpand(unknown, "C:\\C.EXE"), 0);
  for (const char* target : {"C:\\B.EXE", "C:\\C.EXE"}) EXPECT_TRUE(winsim::FileContent(target).empty()) << target;
}

TEST_F(ExpandTest, SetupReportsSuccessForDamagedInputAndWritesWhatItRead) {
  // Cabinet blocks of 4000 bytes: a damaged block ends the file after the
  // whole blocks before it. An SZDD stream decides its length, whatever its
  // header records.
  const Bytes content = Pattern(10000);
  const Bytes cab = archive::Cabinet({{"a.bin", content}}, 4000);
  const size_t block0 = archive::FirstBlockData(cab), block = 4000 + 8;
  auto cut = [](Bytes data, size_t size) { return Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size)); };
  auto flipped = [](Bytes data, size_t at) {
    data[at] ^= 0xFF;
    return data;
  };
  const Bytes unchecked = archive::Cabinet({{"a.bin", content}}, 4000, false);
  Bytes fewer = archive::Szdd(content);
  fewer[10] = 3;  // the header claims 3 bytes
  struct Row {
    const char* name;
    Bytes input;
    Bytes expected;
  } rows[] = {
      {"bad second block", flipped(cab, block0 + block + 7), cut(content, 4000)},
      {"no checksums", flipped(unchecked, block0 + 3), flipped(content, 3)},
      {"szdd header claiming fewer bytes", fewer, content},
  };
  for (const Row& row : rows) {
    const std::string source = Source("DAMAGED", row.input);
    EXPECT_EQ(Decompress(source.c_str(), "C:\\OUT"), static_cast<DWORD>(NO_ERROR)) << row.name;
    EXPECT_EQ(winsim::FileContent("C:\\OUT"), row.expected) << row.name;
    ASSERT_TRUE(DeleteFileA("C:\\OUT"));
  }
}

TEST_F(ExpandTest, SetupErrorsForMissingFilesAndBadArguments) {
  EXPECT_EQ(Decompress("C:\\NODIR\\NONE.DL_", "C:\\X"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  const std::string szdd = Source("A.DL_", archive::Szdd(archive::Bytes("data")));
  const std::string cab = Source("A.CAB", archive::Cabinet({{"a", archive::Bytes("data")}}));
  const std::string plain = Source("A.TXT", archive::Bytes("data"));
  // LZ32 reports any failed open as a missing file; the others pass the
  // file system's error on.
  EXPECT_EQ(Decompress(szdd.c_str(), "C:\\NODIR\\A.DLL"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Decompress(cab.c_str(), "C:\\NODIR\\A"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(Decompress(plain.c_str(), "C:\\NODIR\\A.TXT"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(winsim::Exists("C:\\NODIR"));

  EXPECT_EQ(Decompress(nullptr, "C:\\X"), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Decompress(plain.c_str(), nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(winsim::Exists("C:\\X"));
  // A cabinet signature on what is no cabinet: nothing extracted, success.
  const std::string bogus = Source("A.CAB", archive::Bytes("MSCF, but not a cabinet"));
  EXPECT_EQ(Decompress(bogus.c_str(), "C:\\K"), static_cast<DWORD>(NO_ERROR));
  EXPECT_FALSE(winsim::Exists("C:\\K"));
}

// A missing module or entry point, and an injected failure, are
// FileExpandTest's through the tool.
TEST_F(ExpandTest, SetupIsLoggedAlone) {
  const std::string source = Source("A.DL_", archive::Szdd(archive::Bytes("data")));
  winsim::ClearCallLog();
  EXPECT_EQ(Decompress(source.c_str(), "C:\\A.DLL"), static_cast<DWORD>(NO_ERROR));
  const auto calls = winsim::CallsTo("SetupDecompressOrCopyFileA");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(winsim::FormatCall(calls[0]), "SetupDecompressOrCopyFileA(\"C:\\SRC\\A.DL_\", \"C:\\A.DLL\", NULL)");
  // Its own use of LZ32 is inside the module, not the caller's.
  EXPECT_TRUE(winsim::CallsTo("LZOpenFileA").empty());
  EXPECT_TRUE(winsim::CallsTo("LZCopy").empty());
}

TEST_F(ExpandTest, SetupOnAFullDiskFailsAsInvalidDataAndLeavesThePartialTarget) {
  const std::string source = Source("A.DL_", archive::Szdd(Pattern(5000)));
  winsim::SetDiskFree(2500);
  EXPECT_EQ(Decompress(source.c_str(), "C:\\A.DLL"), 13u);  // ERROR_INVALID_DATA
  EXPECT_EQ(winsim::FileContent("C:\\A.DLL").size(), 2000u);
}

// ---- LZ32 -------------------------------------------------------------------

// The structure is filled in on success, the file's time in DOS form
// included; a failure restores its size field and leaves the error in it. An
// expanded stream is used up by one copy.
TEST_F(ExpandTest, LzOpenStructureAndAStreamReadOnce) {
  const Bytes content = Pattern(2345);
  const std::string source = Source("A.DL_", archive::Szdd(content));
  const uint64_t ticks = 132277719670000000ULL;  // 2020-03-04 05:06:07 UTC
  winsim::SetWriteTime(source, FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)});
  OFSTRUCT of;
  std::memset(&of, 0x55, sizeof of);
  const INT in = Open(source, OF_READ, &of);
  EXPECT_EQ(of.cBytes, sizeof(OFSTRUCT));
  EXPECT_EQ(of.nErrCode, 0);
  EXPECT_EQ(of.Reserved1, ((2020 - 1980) << 9) | (3 << 5) | 4);
  EXPECT_EQ(of.Reserved2, (5 << 11) | (6 << 5) | (7 / 2));
  const INT out = Open("C:\\A.DLL", OF_CREATE);
  ASSERT_GE(out, 0);
  EXPECT_EQ(LZCopy(in, out), static_cast<LONG>(content.size()));
  EXPECT_EQ(LZCopy(in, out), 0);
  LZClose(in);
  LZClose(out);

  std::memset(&of, 0x55, sizeof of);
  EXPECT_EQ(Open("C:\\SRC\\NONE.TXT", OF_READ, &of), HFILE_ERROR);
  EXPECT_EQ(of.cBytes, 0x55);
  EXPECT_EQ(of.nErrCode, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open("C:\\NODIR\\A.TXT", OF_CREATE, &of), HFILE_ERROR);
  EXPECT_EQ(of.nErrCode, ERROR_PATH_NOT_FOUND);
}

TEST_F(ExpandTest, LzFallsBackToTheCompressedName) {
  // Reading "X.TXT" finds "X.TX_"; names without a three-letter extension
  // get '_' appended, names without an extension "._".
  const std::string expected[][2] = {{"X.TXT", "X.TX_"}, {"Y.AB", "Y.AB_"}, {"NOEXT", "NOEXT._"}};
  for (const auto& names : expected) {
    Source(names[1], archive::Szdd(archive::Bytes(names[0])));
    OFSTRUCT of{};
    const INT in = Open(std::string(kDir) + "\\" + names[0], OF_READ, &of);
    EXPECT_GE(in, 0x400) << names[0];
    EXPECT_EQ(std::string(of.szPathName), std::string(kDir) + "\\" + names[1]);
    LZClose(in);
  }
  // Creation falls back too: where a directory (or a read-only file) stands,
  // the compressed name is created and the expansion goes there.
  winsim::AddDirectory("C:\\OUT\\A.DLL");
  winsim::AddFile("C:\\OUT\\B.DLL", "old");
  winsim::SetAttributes("C:\\OUT\\B.DLL", FILE_ATTRIBUTE_READONLY);
  const std::string source = Source("A.DL_", archive::Szdd(archive::Bytes("new")));
  EXPECT_EQ(Decompress(source.c_str(), "C:\\OUT\\A.DLL"), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(winsim::FileText("C:\\OUT\\A.DL_"), "new");
  EXPECT_EQ(LzExpand(source, "C:\\OUT\\B.DLL"), 3);
  EXPECT_EQ(winsim::FileText("C:\\OUT\\B.DLL"), "old");
  EXPECT_EQ(winsim::FileText("C:\\OUT\\B.DL_"), "new");
}

TEST_F(ExpandTest, LzFullDiskFailsAsWriteErrorWithAPartialDestination) {
  const Bytes content = Pattern(5000);
  const std::string source = Source("A.DL_", archive::Szdd(content));
  winsim::SetDiskFree(3999);
  EXPECT_EQ(LzExpand(source, "C:\\A.DLL"), LZERROR_WRITE);
  // Whole pieces of 1000 bytes got through; the time is the writing's.
  const Bytes written = winsim::FileContent("C:\\A.DLL");
  EXPECT_EQ(written, Bytes(content.begin(), content.begin() + 3000));
  EXPECT_FALSE(SameTime(winsim::WriteTime("C:\\A.DLL"), sourceTime_));
}

// Faults in LZOpenFileA and LZCopy are exercised by FileExpandTest through
// the tool; a close that fails leaves the handle open.
TEST_F(ExpandTest, AFailedLzCloseLeavesTheHandleOpen) {
  const std::string source = Source("A.DL_", archive::Szdd(archive::Bytes("abc")));
  winsim::InjectFault("LZClose", 1, "", 0, 1);
  const INT in = Open(source, OF_READ);
  LZClose(in);
  EXPECT_EQ(winsim::OpenHandleCount(), 1);
  LZClose(in);
  EXPECT_EQ(winsim::OpenHandleCount(), 0);
  EXPECT_EQ(winsim::CallsTo("LZClose").size(), 2u);
}

}  // namespace
