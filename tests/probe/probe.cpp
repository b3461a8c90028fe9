// The fidelity probe: exercises the platform calls the tool relies on and
// prints what it sees, one line per case, in a form that must be the same on
// every faithful implementation of them. Built for Windows it runs on a real
// Win32 implementation; built for the host it runs on winsim. The two outputs
// are compared line by line.
//
// Usage:  probe WORKDIR [GROUP]
//         probe_host [--import HOSTDIR] WORKDIR [GROUP]
//
// WORKDIR is a Windows path (for example C:\probe) holding the fixture files
// of make-fixtures.sh; the probe creates further files there. GROUP runs one
// group of cases only (see kGroups). Every line starts with a case id
// "group.case", followed by results, GetLastError values, attributes,
// contents as size and CRC-32, and paths with the working, system and Windows
// directories replaced by the tokens %work%, %system% and %windir%.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/system_library.h"
#include "update/file_expand.h"
#include "win32api.h"

#ifndef _WIN32
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tool_strings.h"
#include "winsim/control.h"
#include "winsim/service_control.h"
#include "winsim/thread_control.h"
#include "winsim/ui_control.h"

#endif

namespace {

// ---- Output ---------------------------------------------------------------

std::string g_work;     // the working directory, without trailing backslash
std::string g_windows;  // the Windows directory
std::string g_system;   // the system directory

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// Replaces every occurrence of `from` (ASCII case ignored) by `to`.
std::string ReplaceNoCase(const std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  const std::string upperText = Upper(text), upperFrom = Upper(from);
  std::string out;
  size_t at = 0;
  for (size_t hit; (hit = upperText.find(upperFrom, at)) != std::string::npos; at = hit + from.size())
    out += text.substr(at, hit - at) + to;
  return out + text.substr(at);
}

// Machine-independent form of a path or text: tokens for the directories
// (longest first), non-printable bytes as \xHH.
std::string Scrub(const std::string& text) {
  std::string tokens = ReplaceNoCase(text, g_work, "%work%");
  tokens = ReplaceNoCase(tokens, g_system, "%system%");
  tokens = ReplaceNoCase(tokens, g_windows, "%windir%");
  std::string out;
  for (unsigned char c : tokens) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out.empty() ? "\"\"" : out;
}

std::string Bool(BOOL value) { return value ? "TRUE" : "FALSE"; }
std::string Num(long long value) { return std::to_string(value); }
std::string Hex(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lX", value);
  return text;
}

// One output line: the case id and its fields in order.
class Line {
 public:
  explicit Line(const char* id) : text_(id) {}
  // A call's outcome: its result and, when it failed, the last error.
  Line(const char* id, BOOL ok) : text_(id) { Result("result", ok, GetLastError()); }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;
  ~Line() { std::printf("%s\n", text_.c_str()); }
  Line& Add(const char* key, const std::string& value) {
    text_ += std::string(" ") + key + "=" + value;
    return *this;
  }
  Line& Result(const char* key, BOOL ok, DWORD error) {
    Add(key, Bool(ok));
    if (!ok) Add("error", Num(error));
    return *this;
  }

 private:
  std::string text_;
};

std::string In(const char* name) { return g_work + "\\" + name; }

// ---- Observation helpers --------------------------------------------------
// These read the machine's state without taking part in the cases.

HANDLE OpenForRead(const std::string& path, DWORD share) {
  return CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Whether an open succeeded; its handle is closed.
BOOL Opened(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return FALSE;
  CloseHandle(handle);
  return TRUE;
}

bool ReadWhole(const std::string& path, std::vector<unsigned char>* data) {
  HANDLE file = OpenForRead(path, FILE_SHARE_READ);
  if (file == INVALID_HANDLE_VALUE) return false;
  data->clear();
  unsigned char buffer[4096];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0)
    data->insert(data->end(), buffer, buffer + got);
  CloseHandle(file);
  return ok;
}

unsigned long Crc32(const std::vector<unsigned char>& data) {
  unsigned long crc = 0xFFFFFFFFUL;
  for (unsigned char byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320UL & (0UL - (crc & 1UL)));
  }
  return crc ^ 0xFFFFFFFFUL;
}

// "size:crc" of bytes.
std::string Digest(const std::vector<unsigned char>& data) {
  char text[32];
  std::snprintf(text, sizeof text, "%lu:%08lX", static_cast<unsigned long>(data.size()), Crc32(data));
  return text;
}

// The digest of a file's content, or "absent".
std::string Content(const std::string& path) {
  std::vector<unsigned char> data;
  return ReadWhole(path, &data) ? Digest(data) : "absent";
}

// "equal" when both files hold the same bytes.
std::string SameContent(const std::string& a, const std::string& b) {
  std::vector<unsigned char> x, y;
  if (!ReadWhole(a, &x) || !ReadWhole(b, &y)) return "unreadable";
  return x == y ? "equal" : "different";
}

bool Find(const std::string& path, WIN32_FIND_DATAA* data) {
  HANDLE find = FindFirstFileA(path.c_str(), data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

bool Exists(const std::string& path) {
  WIN32_FIND_DATAA data;
  return Find(path, &data);
}

// "equal" when both files carry the same last-write time.
std::string SameWriteTime(const std::string& a, const std::string& b) {
  WIN32_FIND_DATAA x, y;
  if (!Find(a, &x) || !Find(b, &y)) return "unreadable";
  return CompareFileTime(&x.ftLastWriteTime, &y.ftLastWriteTime) == 0 ? "equal" : "different";
}

// The path of the running probe, whose image is in use while it runs.
std::string OwnImage() {
  char buffer[MAX_PATH] = "";
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer) : std::string();
}

// A fresh copy of a fixture under another name, for cases that change it.
void Fresh(const char* fixture, const char* name) {
  SetFileAttributesA(In(name).c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(In(name).c_str());
  CopyFileA(In(fixture).c_str(), In(name).c_str(), FALSE);
}

// ---- File system ----------------------------------------------------------

void DirectoryCases() {
  SetLastError(0);
  Line("fs.mkdir.new", CreateDirectoryA(In("Sub Dir").c_str(), nullptr));
  Line("fs.mkdir.existing", CreateDirectoryA(In("Sub Dir").c_str(), nullptr));
  Line("fs.mkdir.over-file", CreateDirectoryA(In("PLAIN.TXT").c_str(), nullptr));
  Line("fs.mkdir.missing-parent", CreateDirectoryA(In("No Parent\\Child").c_str(), nullptr));
}

void FindCases() {
  struct Find {
    const char* id;
    std::string path;
  };
  const Find finds[] = {
      {"fs.find.directory", In("Sub Dir")},
      {"fs.find.file-other-case", In("plain.txt")},
      {"fs.find.missing-file", In("NOSUCH.TXT")},
      {"fs.find.missing-directory", In("No Parent\\NOSUCH.TXT")},
      {"fs.find.trailing-backslash", In("Sub Dir\\")},
      {"fs.find.file-trailing-backslash", In("PLAIN.TXT\\")},
  };
  for (const Find& f : finds) {
    WIN32_FIND_DATAA data;
    SetLastError(0);
    const HANDLE find = FindFirstFileA(f.path.c_str(), &data);
    const DWORD error = GetLastError();
    Line line(f.id);
    line.Add("found", Bool(find != INVALID_HANDLE_VALUE));
    if (find == INVALID_HANDLE_VALUE) {
      line.Add("error", Num(error));
      continue;
    }
    line.Add("attributes", Hex(data.dwFileAttributes)).Add("name", Scrub(data.cFileName));
    // A file's size; a directory has none, so its FindClose is shown.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      line.Add("close", Bool(FindClose(find)));
    } else {
      line.Add("size", Num(data.nFileSizeLow));
      FindClose(find);
    }
  }
  SetLastError(0);
  const DWORD attributes = GetFileAttributesA(In("NOSUCH.TXT").c_str());
  Line("fs.attributes.missing").Add("attributes", Hex(attributes)).Add("error", Num(GetLastError()));
}

void DeleteCases() {
  const std::string file = In("RO.TXT");
  Fresh("PLAIN.TXT", "RO.TXT");
  const DWORD attributes = GetFileAttributesA(file.c_str());
  Line("fs.readonly.set", SetFileAttributesA(file.c_str(), attributes | FILE_ATTRIBUTE_READONLY))
      .Add("attributes", Hex(GetFileAttributesA(file.c_str())));
  SetLastError(0);
  Line("fs.readonly.delete", DeleteFileA(file.c_str())).Add("exists", Bool(Exists(file)));
  Line("fs.readonly.clear",
       SetFileAttributesA(file.c_str(), GetFileAttributesA(file.c_str()) & ~FILE_ATTRIBUTE_READONLY))
      .Add("attributes", Hex(GetFileAttributesA(file.c_str())));
  Line("fs.readonly.delete-cleared", DeleteFileA(file.c_str())).Add("exists", Bool(Exists(file)));
  Line("fs.delete.missing", DeleteFileA(file.c_str()));
}

void MoveCases() {
  Fresh("PLAIN.TXT", "MOVE-A.TXT");
  Fresh("VERFIX.EXE", "MOVE-B.TXT");
  SetLastError(0);
  Line("fs.move.onto-existing", MoveFileA(In("MOVE-A.TXT").c_str(), In("MOVE-B.TXT").c_str()))
      .Add("source", Content(In("MOVE-A.TXT")))
      .Add("target", SameContent(In("MOVE-B.TXT"), In("VERFIX.EXE")) == "equal" ? "unchanged" : "changed");
  Line("fs.move.new-name", MoveFileA(In("MOVE-A.TXT").c_str(), In("MOVE-C.TXT").c_str()))
      .Add("source-exists", Bool(Exists(In("MOVE-A.TXT"))))
      .Add("target", SameContent(In("MOVE-C.TXT"), In("PLAIN.TXT")))
      .Add("time", SameWriteTime(In("MOVE-C.TXT"), In("PLAIN.TXT")));
  Line("fs.move.missing-source", MoveFileA(In("MOVE-A.TXT").c_str(), In("MOVE-D.TXT").c_str()));
}

void CopyCases() {
  const std::string copy = In("COPY.TXT");
  SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(copy.c_str());
  Line("fs.copy.new", CopyFileA(In("PLAIN.TXT").c_str(), copy.c_str(), FALSE))
      .Add("content", SameContent(copy, In("PLAIN.TXT")))
      .Add("time", SameWriteTime(copy, In("PLAIN.TXT")));
  Line("fs.copy.overwrite", CopyFileA(In("VERFIX.EXE").c_str(), copy.c_str(), FALSE))
      .Add("content", SameContent(copy, In("VERFIX.EXE")))
      .Add("time", SameWriteTime(copy, In("VERFIX.EXE")));
  Line("fs.copy.fail-if-exists", CopyFileA(In("PLAIN.TXT").c_str(), copy.c_str(), TRUE))
      .Add("content", SameContent(copy, In("VERFIX.EXE")));
  Line("fs.copy.missing-source", CopyFileA(In("NOSUCH.TXT").c_str(), In("COPY2.TXT").c_str(), FALSE));

  // Read-only on either side: a copy carries the source's attributes, and a
  // read-only target is not overwritten.
  Fresh("PLAIN.TXT", "RO-SRC.TXT");
  const std::string readOnly = In("RO-SRC.TXT"), fromReadOnly = In("RO-COPY.TXT");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  Line("fs.copy.readonly-source", CopyFileA(readOnly.c_str(), fromReadOnly.c_str(), FALSE))
      .Add("attributes", Hex(GetFileAttributesA(fromReadOnly.c_str())));
  Line("fs.copy.onto-readonly", CopyFileA(In("VERFIX.EXE").c_str(), fromReadOnly.c_str(), FALSE))
      .Add("content", SameContent(fromReadOnly, In("PLAIN.TXT")));
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesA(fromReadOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void ShortNameCases() {
  char buffer[MAX_PATH];
  // An 8.3 name comes back in its stored case.
  DWORD length = GetShortPathNameA(In("Plain.txt").c_str(), buffer, sizeof buffer);
  Line("fs.shortname.8dot3-other-case").Add("path", length ? Scrub(buffer) : "error:" + Num(GetLastError()));

  CopyFileA(In("PLAIN.TXT").c_str(), In("Long File Name.text").c_str(), FALSE);
  length = GetShortPathNameA(In("Long File Name.text").c_str(), buffer, sizeof buffer);
  {
    Line line("fs.shortname.long");
    if (length == 0 || length >= sizeof buffer) {
      line.Add("error", Num(GetLastError()));
    } else {
      // Only the shape: the directory part is kept, the leaf is a generated
      // 8.3 name with a "~"; the exact characters are the system's own.
      const std::string result = buffer;
      const size_t slash = result.rfind('\\');
      const std::string dir = result.substr(0, slash), leaf = result.substr(slash + 1);
      const size_t dot = leaf.find('.');
      const size_t base = dot == std::string::npos ? leaf.size() : dot;
      const size_t ext = dot == std::string::npos ? 0 : leaf.size() - dot - 1;
      line.Add("directory", Scrub(dir));
      line.Add("tilde", Bool(leaf.find('~') != std::string::npos));
      line.Add("fits-8dot3", Bool(base >= 1 && base <= 8 && ext <= 3 && leaf.find('.', base + 1) == std::string::npos &&
                                  leaf.find(' ') == std::string::npos));
      line.Add("length-matches", Bool(length == result.size()));
    }
  }
  length = GetShortPathNameA(In("NOSUCH LONG NAME.TXT").c_str(), buffer, sizeof buffer);
  Line("fs.shortname.missing").Add("length", Num(length)).Add("error", Num(GetLastError()));
  length = GetShortPathNameA(In("No Parent\\PLAIN.TXT").c_str(), buffer, sizeof buffer);
  Line("fs.shortname.missing-directory").Add("length", Num(length)).Add("error", Num(GetLastError()));
}

void InUseCases() {
  Fresh("PLAIN.TXT", "OPEN.TXT");
  const HANDLE held = OpenForRead(In("OPEN.TXT"), 0);
  Line("fs.open-file.open").Add("result", Bool(held != INVALID_HANDLE_VALUE));
  Line("fs.open-file.delete", DeleteFileA(In("OPEN.TXT").c_str()));
  Line("fs.open-file.rename", MoveFileA(In("OPEN.TXT").c_str(), In("OPEN-MOVED.TXT").c_str()));
  Line("fs.open-file.overwrite", CopyFileA(In("VERFIX.EXE").c_str(), In("OPEN.TXT").c_str(), FALSE));
  Line("fs.open-file.register-delete", MoveFileExA(In("OPEN.TXT").c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  Line("fs.open-file.unchanged").Add("content", SameContent(In("OPEN.TXT"), In("PLAIN.TXT")));
  Line("fs.open-file.delete-after-close", DeleteFileA(In("OPEN.TXT").c_str()));

  // The running program's own image.
  const std::string image = OwnImage(), moved = image + ".old";
  Line("fs.running-image.delete", DeleteFileA(image.c_str())).Add("exists", Bool(Exists(image)));
  Line("fs.running-image.overwrite", CopyFileA(In("PLAIN.TXT").c_str(), image.c_str(), FALSE));
  const BOOL renamed = MoveFileA(image.c_str(), moved.c_str());
  Line("fs.running-image.rename", renamed);
  if (renamed) MoveFileA(moved.c_str(), image.c_str());
}

// Opening for reading: what ReadFile and GetFileSize report, and which
// opens share.
void OpenForReadCases() {
  const std::string plain = In("PLAIN.TXT");
  const HANDLE file = OpenForRead(plain, FILE_SHARE_READ);
  {
    Line line("fs.createfile.read");
    line.Add("open", Bool(file != INVALID_HANDLE_VALUE));
    if (file != INVALID_HANDLE_VALUE) {
      DWORD high = 7;
      line.Add("size", Num(GetFileSize(file, &high))).Add("high", Num(high));
      char buffer[8192];
      DWORD got = 1;
      std::string reads;
      for (DWORD want : {14u, 8192u, 8u}) {
        const BOOL ok = ReadFile(file, buffer, want, &got, nullptr);
        reads += (reads.empty() ? "" : ",") + Bool(ok) + ":" + Num(got);
      }
      line.Add("reads", reads).Add("second-shared", Bool(Opened(OpenForRead(plain, FILE_SHARE_READ))));
      SetLastError(0);
      line.Add("second-exclusive", Bool(Opened(OpenForRead(plain, 0)))).Add("error", Num(GetLastError()));
      line.Add("delete", Bool(DeleteFileA(plain.c_str()))).Add("delete-error", Num(GetLastError()));
      line.Add("close", Bool(CloseHandle(file)));
    }
  }
  struct Failing {
    const char* id;
    std::string path;
  };
  const Failing failing[] = {
      {"fs.createfile.missing", In("NOSUCH.TXT")},
      {"fs.createfile.missing-directory", In("No Parent\\PLAIN.TXT")},
      {"fs.createfile.directory", In("Sub Dir")},
  };
  for (const Failing& f : failing) {
    SetLastError(0);
    Line(f.id).Add("open", Bool(Opened(OpenForRead(f.path, FILE_SHARE_READ)))).Add("error", Num(GetLastError()));
  }
  // The running image is mapped for reading: it can be opened to be read.
  Line("fs.createfile.running-image").Add("open", Bool(Opened(OpenForRead(OwnImage(), FILE_SHARE_READ))));
}

// Another program writes a file and lets others read and write it: an open
// for reading must share writing too, and the file cannot be deleted.
void HeldByWriterCases() {
  Fresh("PLAIN.TXT", "WRITTEN.TXT");
  const std::string path = In("WRITTEN.TXT");
  const DWORD shareBoth = FILE_SHARE_READ | FILE_SHARE_WRITE;
#ifdef _WIN32
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, shareBoth, nullptr, OPEN_EXISTING, 0, nullptr);
#else
  winsim::HoldOpenElsewhere(path, GENERIC_READ | GENERIC_WRITE, shareBoth);
#endif
  {
    Line line("fs.createfile.held-by-writer");
    const struct {
      const char* key;
      DWORD share;
    } opens[] = {{"share-read", FILE_SHARE_READ}, {"share-read-write", shareBoth}, {"share-none", 0}};
    for (const auto& open : opens) {
      SetLastError(0);
      const BOOL opened = Opened(OpenForRead(path, open.share));
      line.Result(open.key, opened, GetLastError());
    }
    const BOOL deleted = DeleteFileA(path.c_str());
    line.Result("delete", deleted, GetLastError());
  }
#ifdef _WIN32
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
#else
  winsim::ClearInUse(path);
#endif
  DeleteFileA(path.c_str());
}

// ---- Expansion ------------------------------------------------------------

// The inputs of the expansion cases: a source fixture and the file it should
// expand to. Damaged sources show what the system makes of a broken download.
struct ExpandInput {
  const char* id;
  const char* source;
  const char* original;
};

const ExpandInput kExpandInputs[] = {
    {"szdd-text", "PLAIN.TX_", "PLAIN.TXT"},
    {"szdd-pe", "VERFIX.EX_", "VERFIX.EXE"},
    {"uncompressed", "PLAIN.TXT", "PLAIN.TXT"},
    {"cabinet", "VERFIX.CAB", "VERFIX.EXE"},
    {"szdd-cut-in-header", "CUTHEAD.EX_", "VERFIX.EXE"},
    {"szdd-cut-after-header", "CUTBODY.EX_", "VERFIX.EXE"},
    {"szdd-cut-mid-stream", "CUTHALF.EX_", "VERFIX.EXE"},
    {"szdd-wrong-length", "BADLEN.EX_", "VERFIX.EXE"},
    {"cabinet-cut", "CUTCAB.CAB", "VERFIX.CAB"},
    {"cabinet-bad-block", "BADCAB.CAB", "VERFIX.EXE"},
};

// A target for one input, removed first.
std::string FreshTarget(const char* prefix, const ExpandInput& input) {
  const std::string target = In((std::string(prefix) + input.id).c_str());
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(target.c_str());
  return target;
}

// What a target holds: "equal" to what the source should expand to, else its
// size and CRC-32 (or "absent").
std::string Outcome(const std::string& target, const ExpandInput& input) {
  return SameContent(target, In(input.original)) == "equal" ? "equal" : Content(target);
}

typedef DWORD(WINAPI* SetupDecompressOrCopyFileFn)(PCSTR source, PCSTR target, PUINT type);

void SetupApiCases() {
  const std::string path = g_system + "\\setupapi.dll";
  SetLastError(0);
  HMODULE module = LoadLibraryA(path.c_str());
  FARPROC proc = module ? GetProcAddress(module, "SetupDecompressOrCopyFileA") : nullptr;
  Line("expand.setupapi.load")
      .Add("module", Bool(module != nullptr))
      .Add("function", Bool(proc != nullptr))
      .Add("error", Num(module && proc ? 0 : GetLastError()));
  if (!proc) {
    if (module) FreeLibrary(module);
    return;
  }
  auto decompress = reinterpret_cast<SetupDecompressOrCopyFileFn>(reinterpret_cast<void*>(proc));
  for (const ExpandInput& input : kExpandInputs) {
    const std::string target = FreshTarget("SA-", input);
    const DWORD result = decompress(In(input.source).c_str(), target.c_str(), nullptr);
    Line((std::string("expand.setupapi.") + input.id).c_str())
        .Add("result", Num(result))
        .Add("content", Outcome(target, input))
        .Add("time-of-source", SameWriteTime(target, In(input.source)));
  }
  const DWORD missing = decompress(In("NOSUCH.TX_").c_str(), In("SA-NONE.TXT").c_str(), nullptr);
  Line("expand.setupapi.missing-source").Add("result", Num(missing)).Add("target", Bool(Exists(In("SA-NONE.TXT"))));
  Line("expand.setupapi.free").Add("result", Bool(FreeLibrary(module)));
}

void LzCase(const ExpandInput& input) {
  std::string sourcePath = In(input.source), targetPath = FreshTarget("LZ-", input);
  OFSTRUCT sourceOf{}, targetOf{};
  const INT in = LZOpenFileA(&sourcePath[0], &sourceOf, OF_READ);
  Line line((std::string("expand.lz.") + input.id).c_str());
  line.Add("open-source", Bool(in >= 0));
  if (in < 0) {
    line.Add("code", Num(in));
    return;
  }
  const INT out = LZOpenFileA(&targetPath[0], &targetOf, OF_CREATE);
  line.Add("open-target", Bool(out >= 0));
  if (out < 0) {
    LZClose(in);
    line.Add("code", Num(out));
    return;
  }
  const LONG copied = LZCopy(in, out);
  LZClose(in);
  LZClose(out);
  line.Add("copied", Num(copied))
      .Add("content", Outcome(targetPath, input))
      .Add("time-of-source", SameWriteTime(targetPath, sourcePath));
}

void LzCases() {
  for (const ExpandInput& input : kExpandInputs) LzCase(input);
  std::string missing = In("NOSUCH.TX_");
  OFSTRUCT of{};
  const INT handle = LZOpenFileA(&missing[0], &of, OF_READ);
  Line("expand.lz.missing-source").Add("code", Num(handle));
  if (handle >= 0) LZClose(handle);
}

// ---- The tool's own expansion ------------------------------------------------
// The update's CopyOrExpandFile over the same inputs: whatever the system
// reports, a damaged source must fail (-2) and leave no target behind.

void ToolExpansionCases() {
  for (const ExpandInput& input : kExpandInputs) {
    const std::string target = FreshTarget("KV-", input);
    const int result = CopyOrExpandFile(In(input.source), target, true);
    const std::string id = std::string("update.expand.") + input.id;
    Line(id.c_str()).Add("result", Num(result)).Add("content", Outcome(target, input));
  }
}

// ---- Version resources ----------------------------------------------------

std::string Quad(DWORD ms, DWORD ls) {
  return Num(ms >> 16) + "." + Num(ms & 0xFFFF) + "." + Num(ls >> 16) + "." + Num(ls & 0xFFFF);
}

void VersionCase(const char* id, const char* name) {
  const std::string path = In(name);
  DWORD handle = 0;
  SetLastError(0);
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  Line line(id);
  line.Add("has-size", Bool(size > 0));
  if (size == 0) {
    line.Add("error", Num(GetLastError()));
    return;
  }
  std::vector<unsigned char> block(size);
  const BOOL ok = GetFileVersionInfoA(path.c_str(), handle, size, block.data());
  line.Result("info", ok, GetLastError());
  if (!ok) return;
  LPVOID value = nullptr;
  UINT length = 0;
  const BOOL found = VerQueryValueA(block.data(), "\\", &value, &length);
  line.Add("query", Bool(found)).Add("length", Num(length));
  if (!found || length < sizeof(VS_FIXEDFILEINFO)) return;
  const VS_FIXEDFILEINFO* info = static_cast<const VS_FIXEDFILEINFO*>(value);
  line.Add("signature", Hex(info->dwSignature))
      .Add("file", Quad(info->dwFileVersionMS, info->dwFileVersionLS))
      .Add("product", Quad(info->dwProductVersionMS, info->dwProductVersionLS));
}

void VersionCases() {
  VersionCase("version.pe", "VERFIX.EXE");
  VersionCase("version.plain-text", "PLAIN.TXT");
  VersionCase("version.szdd", "VERFIX.EX_");
  VersionCase("version.missing", "NOSUCH.EXE");
}

// ---- Replacement at the next start -----------------------------------------

const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

void PendingValue() {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key);
  if (status != ERROR_SUCCESS) {
    Line("delayed.value").Add("open", Num(status));
    return;
  }
  // Missing keys and values, and buffers of every size, are the registry
  // group's cases.
  const char* name = "PendingFileRenameOperations";
  DWORD type = 0, size = 0;
  status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
  std::vector<unsigned char> data(size + 2);
  if (status == ERROR_SUCCESS) status = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
  RegCloseKey(key);
  Line line("delayed.value");
  line.Add("status", Num(status));
  if (status != ERROR_SUCCESS) return;
  data.resize(size);
  line.Add("type", Num(type)).Add("double-nul-end", Bool(size >= 2 && data[size - 1] == 0 && data[size - 2] == 0));
  // The strings, in order, up to the empty string that ends the list (an
  // empty target inside a pair is kept).
  std::vector<std::string> items;
  for (size_t at = 0; at < data.size();) {
    const auto nul = std::find(data.begin() + at, data.end(), 0);
    const size_t length = static_cast<size_t>(nul - (data.begin() + at));
    if (length == 0 && items.size() % 2 == 0) break;
    items.emplace_back(data.begin() + at, nul);
    at += length + 1;
  }
  line.Add("count", Num(static_cast<long long>(items.size())));
  for (size_t i = 0; i < items.size(); ++i) line.Add(("item" + Num(static_cast<long long>(i))).c_str(), Scrub(items[i]));
}

void DelayedCases() {
  Fresh("PLAIN.TXT", "INSTALL.DLL");
  Fresh("VERFIX.EXE", "INSTALL.000");
  SetLastError(0);
  Line("delayed.register-delete", MoveFileExA(In("INSTALL.DLL").c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
      .Add("file-kept", Bool(Exists(In("INSTALL.DLL"))));
  Line("delayed.register-rename",
       MoveFileExA(In("INSTALL.000").c_str(), In("INSTALL.DLL").c_str(), MOVEFILE_DELAY_UNTIL_REBOOT))
      .Add("source-kept", Bool(Exists(In("INSTALL.000"))))
      .Add("target", SameContent(In("INSTALL.DLL"), In("PLAIN.TXT")));
  PendingValue();
}

// ---- Profile files (WININIT.INI on the 95 family) ---------------------------

std::string Text(const std::string& path) {
  std::vector<unsigned char> data;
  if (!ReadWhole(path, &data)) return "absent";
  return Scrub(std::string(data.begin(), data.end()));
}

void ProfileCases() {
  const std::string ini = In("TEST.INI");
  DeleteFileA(ini.c_str());
  const BOOL first = WritePrivateProfileStringA("rename", "C:\\A\\B.DLL", "C:\\A\\B.000", ini.c_str());
  const BOOL second = WritePrivateProfileStringA("rename", "C:\\A\\C.DLL", "C:\\A\\C.000", ini.c_str());
  Line("profile.new-file").Add("first", Bool(first)).Add("second", Bool(second)).Add("text", Text(ini));
  const BOOL other = WritePrivateProfileStringA("other", "key", "value", ini.c_str());
  const BOOL replaced = WritePrivateProfileStringA("rename", "c:\\a\\b.dll", "C:\\A\\B.001", ini.c_str());
  Line("profile.update").Add("other", Bool(other)).Add("replace", Bool(replaced)).Add("text", Text(ini));

  // A bare file name is a file in the Windows directory.
  const std::string bare = g_windows + "\\KVPROBE.INI";
  DeleteFileA(bare.c_str());
  const BOOL written = WritePrivateProfileStringA("rename", "C:\\A\\B.DLL", "C:\\A\\B.000", "KVPROBE.INI");
  Line("profile.bare-name").Add("result", Bool(written)).Add("in-windows-directory", Text(bare));
  DeleteFileA(bare.c_str());
}

// ---- Code page --------------------------------------------------------------

void TextCases() {
  Line("text.acp").Add("code-page", Num(GetACP()));
  const unsigned char bytes[] = {0x41, 0x5C, 0x7F, 0x80, 0x81, 0x95, 0x9F, 0xA0, 0xA1, 0xDF, 0xE0, 0xEF, 0xFC, 0xFD, 0xFF};
  std::string leads;
  for (unsigned char b : bytes) leads += IsDBCSLeadByte(b) ? '1' : '0';
  Line("text.lead-bytes").Add("41.5C.7F.80.81.95.9F.A0.A1.DF.E0.EF.FC.FD.FF", leads);

  // "C:\" + a kanji whose trail byte is 0x5C + "\" + a half-width katakana +
  // a kanji + "\x": stepping by characters never stops on the trail byte.
  const char text[] = "C:\\\x95\x5C\\\xB1\x8E\xA6\\x";
  std::string offsets;
  int lastBackslash = -1;
  for (const char* p = text; *p; p = CharNextA(p)) {
    offsets += (offsets.empty() ? "" : ",") + Num(p - text);
    if (*p == '\\') lastBackslash = static_cast<int>(p - text);
  }
  const char* end = text + std::strlen(text);
  Line("text.charnext")
      .Add("offsets", offsets)
      .Add("last-backslash", Num(lastBackslash))
      .Add("at-end-stays", Bool(CharNextA(end) == end));
  const char lone[] = "\x95";
  Line("text.charnext-lead-before-nul").Add("step", Num(CharNextA(lone) - lone));
}

// ---- COM and wide strings ------------------------------------------------

std::string Hr(HRESULT hr) { return Hex(static_cast<unsigned long>(static_cast<uint32_t>(hr))); }

void ComCases() {
  // Apartment counting on one thread: S_OK, then S_FALSE, balanced by two
  // CoUninitialize calls, after which the first answer is S_OK again.
  const HRESULT first = CoInitialize(nullptr);
  const HRESULT second = CoInitialize(nullptr);
  CoUninitialize();
  CoUninitialize();
  const HRESULT again = CoInitialize(nullptr);
  Line("com.initialize").Add("first", Hr(first)).Add("second", Hr(second)).Add("after-balance", Hr(again));

  // A class that nobody registered.
  const CLSID unregistered = {0x6d2f1c3a, 0x41b7, 0x4e09, {0x9a, 0x7d, 0x3c, 0x52, 0x8e, 0x11, 0x70, 0xb4}};
  const IID unknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
  void* object = &object;
  const HRESULT created = CoCreateInstance(unregistered, nullptr, CLSCTX_INPROC_SERVER, unknown, &object);
  Line("com.create-unregistered").Add("hr", Hr(created)).Add("out-null", Bool(object == nullptr));
  CoUninitialize();

  // A code page 932 path whose kanji has the trail byte 0x5C, to UTF-16.
  const char path[] = "C:\\\x95\x5C\\zambaz.exe";
  const int needed = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  std::vector<WCHAR> wide(needed > 0 ? needed : 1);
  const int converted = MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), needed);
  std::string units;
  int backslashes = 0;
  for (int i = 0; i < converted; ++i) {
    char unit[8];
    std::snprintf(unit, sizeof unit, "%04X", static_cast<unsigned>(wide[i]));
    units += (units.empty() ? "" : ".") + std::string(unit);
    if (wide[i] == 0x5C) ++backslashes;
  }
  Line("com.multibyte-to-wide").Add("needed", Num(needed)).Add("converted", Num(converted))
      .Add("backslashes", Num(backslashes)).Add("units", units);

  BSTR text = SysAllocString(wide.data());
  Line("com.bstr").Add("allocated", Bool(text != nullptr)).Add("length", Num(SysStringLen(text)))
      .Add("equal", Bool(text && std::memcmp(text, wide.data(), converted * sizeof(WCHAR)) == 0));
  SysFreeString(text);
  Line("com.bstr-null").Add("null", Bool(SysAllocString(nullptr) == nullptr)).Add("length", Num(SysStringLen(nullptr)));
}

// ---- Registry -----------------------------------------------------------------

const char kProbeKey[] = "SOFTWARE\\KvProbe";
const char kProbeText[] = "C:\\Program Files\\Kestrovane\\unins000.exe";
const char kProbeExpand[] = "%SystemRoot%\\system32\\ZAMWTQNT.EXE";
// "NoNul" holds the first six bytes, without a NUL (the byte after them is not
// NUL either, so that RegSetValueExA does not count one in).
const char kProbeUnterminated[] = "abcdefX";
const DWORD kProbeNumber = 0x12345678;
// Subkeys of "Order": names in mixed case, prefixes of each other, and two
// kanji whose order in code page 932 (0x889F, 0x88EA) is the reverse of their
// UTF-16 order (U+4E9C, U+4E00). Subkeys of "Signs": names whose order differs
// between comparing upper-cased and lower-cased names ('[', '^' and '_' lie
// between the two alphabets).
const char* const kProbeOrder[] = {"Kestrovane 1.2", "kestrovane 1.3", "Kestrovane", "Kestrovane 1.10",
                                   "KestrovaneZ",    "\x88\x9F",       "\x88\xEA", "alpha", "Zeta"};
const char* const kProbeSigns[] = {"Kestrovane_Old", "KestrovaneNew", "Kestrovane[", "Kestrovane^", "KestrovaneA"};

// The probe's key, its values and subkeys: made by the registry calls on
// Windows, by the control API on winsim.
void RegistrySetUp() {
  struct Value {
    const char* name;
    DWORD type;
    const void* data;
    DWORD size;
  };
  const Value values[] = {
      {"Text", REG_SZ, kProbeText, sizeof kProbeText},
      {"NoNul", REG_SZ, kProbeUnterminated, 6},
      {"Expand", REG_EXPAND_SZ, kProbeExpand, sizeof kProbeExpand},
      {"Number", REG_DWORD, &kProbeNumber, sizeof kProbeNumber},
  };
  std::vector<std::string> keys = {kProbeKey};
  for (const char* name : kProbeOrder) keys.push_back(std::string(kProbeKey) + "\\Order\\" + name);
  for (const char* name : kProbeSigns) keys.push_back(std::string(kProbeKey) + "\\Signs\\" + name);
  for (const std::string& path : keys) {
#ifdef _WIN32
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      continue;
    if (path == kProbeKey)
      for (const Value& v : values) RegSetValueExA(key, v.name, 0, v.type, static_cast<const BYTE*>(v.data), v.size);
    RegCloseKey(key);
#else
    winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, path);
    if (path != kProbeKey) continue;
    for (const Value& v : values) {
      const uint8_t* bytes = static_cast<const uint8_t*>(v.data);
      winsim::SetRegistryValue(HKEY_LOCAL_MACHINE, path, v.name, v.type, std::vector<uint8_t>(bytes, bytes + v.size));
    }
#endif
  }
}

void RegistryOpenCases() {
  struct Open {
    const char* id;
    const char* subKey;
    REGSAM access;
  };
  const Open opens[] = {
      {"registry.open.missing-key", "SOFTWARE\\KvProbe\\No Such Key", KEY_READ},
      {"registry.open.missing-top-key", "No Such Key", KEY_READ},
      {"registry.open.other-case", "software\\KVPROBE", KEY_READ},
      {"registry.open.trailing-backslash", "SOFTWARE\\KvProbe\\", KEY_READ},
      {"registry.open.leading-backslash", "\\SOFTWARE\\KvProbe", KEY_READ},
      {"registry.open.all-access", "SOFTWARE\\KvProbe", KEY_ALL_ACCESS},
      {"registry.open.empty-subkey", "", KEY_ALL_ACCESS},
      {"registry.open.null-subkey", nullptr, KEY_READ},
  };
  HKEY unchanged = reinterpret_cast<HKEY>(&unchanged);
  for (const Open& o : opens) {
    HKEY key = unchanged;
    const LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, o.subKey, 0, o.access, &key);
    Line line(o.id);
    line.Add("status", Num(status));
    line.Add("key", key == nullptr     ? "null"
                    : key == unchanged ? "unchanged"
                    : key == HKEY_LOCAL_MACHINE ? "root"
                                                : "new");
    if (key != nullptr && key != unchanged) line.Add("close", Num(RegCloseKey(key)));
  }
  HKEY parent = nullptr, again = nullptr;
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProbeKey, 0, KEY_READ, &parent);
  const LONG status = RegOpenKeyExA(parent, "", 0, KEY_READ, &again);
  Line("registry.open.empty-below-key").Add("status", Num(status)).Add("new", Bool(again && again != parent));
  if (again && again != parent) RegCloseKey(again);
  RegCloseKey(parent);
  Line("registry.close.twice").Add("status", Num(RegCloseKey(parent)));
}

// "untouched" when every byte of a buffer still holds the fill byte 0xBD.
std::string Untouched(const unsigned char* buffer, size_t size) {
  return std::all_of(buffer, buffer + size, [](unsigned char c) { return c == 0xBD; }) ? "untouched" : "written";
}

void RegistryQueryCases(HKEY key) {
  LONG status = RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, nullptr);
  const LONG missing = RegQueryValueExA(key, "No Such Value", nullptr, nullptr, nullptr, nullptr);
  Line("registry.query.no-pointers").Add("present", Num(status)).Add("missing", Num(missing));

  DWORD type = 0, size = 0xDEAD;
  status = RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size);
  Line("registry.query.size-only").Add("status", Num(status)).Add("type", Num(type)).Add("size", Num(size));

  unsigned char buffer[64];
  status = RegQueryValueExA(key, "Text", nullptr, &type, buffer, nullptr);
  Line("registry.query.data-without-size").Add("status", Num(status));

  std::memset(buffer, 0xBD, sizeof buffer);
  type = 0;
  size = 4;
  status = RegQueryValueExA(key, "Text", nullptr, &type, buffer, &size);
  Line("registry.query.short-buffer").Add("status", Num(status)).Add("type", Num(type)).Add("size", Num(size))
      .Add("buffer", Untouched(buffer, sizeof buffer));
  size = sizeof kProbeText;
  status = RegQueryValueExA(key, "Text", nullptr, nullptr, buffer, &size);
  Line("registry.query.exact-buffer").Add("status", Num(status)).Add("size", Num(size))
      .Add("text", Scrub(reinterpret_cast<char*>(buffer)));

  // A string stored without its NUL: the size is the stored size, and a NUL
  // follows when the buffer has room for it.
  for (DWORD room : {DWORD{6}, DWORD{7}}) {
    std::memset(buffer, 0xBD, sizeof buffer);
    size = room;
    status = RegQueryValueExA(key, "NoNul", nullptr, &type, buffer, &size);
    char after[8];
    std::snprintf(after, sizeof after, "%02X", buffer[6]);
    Line(room == 6 ? "registry.query.no-nul.exact-buffer" : "registry.query.no-nul.one-more")
        .Add("status", Num(status)).Add("size", Num(size)).Add("byte-after", after);
  }

  std::memset(buffer, 0, sizeof buffer);
  size = sizeof buffer;
  status = RegQueryValueExA(key, "Expand", nullptr, &type, buffer, &size);
  Line("registry.query.expand-sz").Add("status", Num(status)).Add("type", Num(type)).Add("size", Num(size))
      .Add("text", Scrub(reinterpret_cast<char*>(buffer)));

  DWORD number = 0;
  size = sizeof number;
  status = RegQueryValueExA(key, "Number", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
  Line("registry.query.dword").Add("status", Num(status)).Add("type", Num(type)).Add("size", Num(size))
      .Add("value", Hex(number));

  size = sizeof buffer;
  status = RegQueryValueExA(key, "No Such Value", nullptr, nullptr, buffer, &size);
  DWORD sizeOnly = 0xDEAD;
  const LONG statusSizeOnly = RegQueryValueExA(key, "No Such Value", nullptr, nullptr, nullptr, &sizeOnly);
  Line("registry.query.missing-value").Add("status", Num(status)).Add("size", Num(size))
      .Add("size-only-status", Num(statusSizeOnly)).Add("size-only", Num(sizeOnly));
  status = RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, nullptr);
  Line("registry.query.default-value").Add("status", Num(status));
}

// The probe's key or one of its subkeys ("" for the key), or null.
HKEY OpenProbeKey(const char* subkey, REGSAM access) {
  HKEY key = nullptr;
  const std::string path = *subkey ? std::string(kProbeKey) + "\\" + subkey : std::string(kProbeKey);
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key) == ERROR_SUCCESS ? key : nullptr;
}

// Every subkey name of a key, in the order of enumeration.
void EnumerationCase(const char* id, const char* subkey) {
  HKEY key = OpenProbeKey(subkey, KEY_READ);
  char name[MAX_PATH];
  DWORD size = 0, index = 0;
  FILETIME time{};
  LONG status = ERROR_SUCCESS;
  std::string names;
  for (; key && index < 100; ++index) {
    size = sizeof name;
    status = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, &time);
    if (status != ERROR_SUCCESS) break;
    names += (names.empty() ? "" : "|") + Scrub(name);
  }
  Line(id).Add("count", Num(index)).Add("end", Num(status)).Add("names", names)
      .Add("time-filled", Bool(time.dwLowDateTime != 0 || time.dwHighDateTime != 0));
  if (key) RegCloseKey(key);
}

void RegistryEnumCases() {
  EnumerationCase("registry.enum.order", "Order");
  EnumerationCase("registry.enum.signs", "Signs");

  // Index 0 of "Order" is "alpha" on both platforms: five characters and a NUL.
  HKEY key = OpenProbeKey("Order", KEY_READ);
  char name[MAX_PATH];
  for (DWORD room : {DWORD{5}, DWORD{6}}) {
    std::memset(name, 0xBD, sizeof name);
    DWORD size = room;
    const LONG status = RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr);
    Line(room == 5 ? "registry.enum.no-room-for-nul" : "registry.enum.exact-buffer")
        .Add("status", Num(status)).Add("size", Num(size))
        .Add("name", status == ERROR_SUCCESS ? Scrub(name)
                                             : Untouched(reinterpret_cast<unsigned char*>(name), sizeof name));
  }
  DWORD size = sizeof name;
  const LONG pastEnd = RegEnumKeyExA(key, 9, name, &size, nullptr, nullptr, nullptr, nullptr);
  Line("registry.enum.past-end").Add("status", Num(pastEnd));
  RegCloseKey(key);
}

void RegistryCases() {
  RegistrySetUp();
  RegistryOpenCases();
  HKEY key = OpenProbeKey("", KEY_READ);
  if (!key) {
    Line("registry.query").Add("open", "failed");
    return;
  }
  RegistryQueryCases(key);
  RegCloseKey(key);
  RegistryEnumCases();

  // Each call needs its own right on the handle.
  char name[MAX_PATH];
  DWORD size = sizeof name;
  key = OpenProbeKey("Order", KEY_QUERY_VALUE);
  const LONG enumerated = RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  key = OpenProbeKey("", KEY_ENUMERATE_SUB_KEYS);
  const LONG queried = RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  Line("registry.rights").Add("enum-without-enumerate", Num(enumerated)).Add("query-without-query-value", Num(queried));
}

// ---- Service control manager ---------------------------------------------------

// The service's state read through a handle of its own, or the error.
std::string StateOf(SC_HANDLE manager, const char* name) {
  SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
  if (!service) return "open-error:" + Num(GetLastError());
  SERVICE_STATUS status{};
  const BOOL ok = QueryServiceStatus(service, &status);
  const DWORD error = GetLastError();
  CloseServiceHandle(service);
  return ok ? Num(status.dwCurrentState) : "error:" + Num(error);
}

// Waits up to ten seconds for a service to reach a state; its last state.
std::string WaitFor(SC_HANDLE manager, const char* name, DWORD wanted) {
  std::string state;
  for (int i = 0; i < 100 && (state = StateOf(manager, name)) != Num(wanted); ++i) Sleep(100);
  return state;
}

// One control on a handle opened with `access`; the status it reports, on a
// line of its own. A failed control fills the status only for the errors that
// say something of the service's state; after any other the status is
// undefined (64-bit Wine leaves stack garbage in it), so the line says so.
void ControlCase(const char* id, SC_HANDLE manager, const char* name, DWORD access, DWORD control) {
  SC_HANDLE service = OpenServiceA(manager, name, access);
  SERVICE_STATUS status{};
  SetLastError(0);
  const BOOL ok = ControlService(service, control, &status);
  const DWORD error = GetLastError();
  Line(id, ok);
  const bool filled = ok || error == ERROR_INVALID_SERVICE_CONTROL || error == ERROR_SERVICE_CANNOT_ACCEPT_CTRL ||
                      error == ERROR_SERVICE_NOT_ACTIVE;
  Line((std::string(id) + ".status").c_str()).Add("state", filled ? Num(status.dwCurrentState) : "undefined");
  CloseServiceHandle(service);
}

void ServiceCases() {
#ifndef _WIN32
  // Wine's spooler is a demand-start service, stopped in a fresh prefix.
  winsim::SetServiceState("Spooler", SERVICE_STOPPED);
#endif
  SetLastError(0);
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  Line("service.manager.open", manager != nullptr);
  if (!manager) return;

  SetLastError(0);
  SC_HANDLE missing = OpenServiceA(manager, "KvNoSuchService", SERVICE_QUERY_STATUS);
  Line("service.open.missing", missing != nullptr);
  if (missing) CloseServiceHandle(missing);

  SC_HANDLE spooler = OpenServiceA(manager, "SPOOLER", SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  Line("service.query.stopped", QueryServiceStatus(spooler, &status))
      .Add("state", Num(status.dwCurrentState))
      .Add("accepted", Hex(status.dwControlsAccepted));
  SetLastError(0);
  Line("service.start.without-right", StartServiceA(spooler, 0, nullptr));
  Line("service.stop.without-right", ControlService(spooler, SERVICE_CONTROL_STOP, &status));
  CloseServiceHandle(spooler);

  spooler = OpenServiceA(manager, "Spooler", SERVICE_START);
  Line("service.query.without-right", QueryServiceStatus(spooler, &status));
  CloseServiceHandle(spooler);

  ControlCase("service.stop.stopped", manager, "Spooler", 0x2C, SERVICE_CONTROL_STOP);
  ControlCase("service.continue.stopped", manager, "Spooler", 0x54, SERVICE_CONTROL_CONTINUE);
  ControlCase("service.control.undefined", manager, "Spooler", SERVICE_ALL_ACCESS, 5);

  // Started, started again, refused a continue it does not accept, stopped.
  spooler = OpenServiceA(manager, "Spooler", 0x54);
  SetLastError(0);
  Line("service.start.stopped", StartServiceA(spooler, 0, nullptr));
  Line("service.start.reached").Add("state", WaitFor(manager, "Spooler", SERVICE_RUNNING));
  Line("service.start.running", StartServiceA(spooler, 0, nullptr));
  CloseServiceHandle(spooler);
  ControlCase("service.continue.running", manager, "Spooler", 0x54, SERVICE_CONTROL_CONTINUE);
  spooler = OpenServiceA(manager, "Spooler", 0x2C);
  SetLastError(0);
  Line("service.stop.running", ControlService(spooler, SERVICE_CONTROL_STOP, &status));
  CloseServiceHandle(spooler);
  Line("service.stop.reached").Add("state", WaitFor(manager, "Spooler", SERVICE_STOPPED));

  SetLastError(0);
  Line("service.close.null", CloseServiceHandle(nullptr));
  Line("service.manager.close").Add("result", Bool(CloseServiceHandle(manager)));
}

// ---- Windows, processes, sessions and printers ------------------------------
// Without a display: no window can exist, so only the answers for windows
// that do not exist; programs are copies of the probe's own image, started
// with too many arguments, so that they only print their usage and end.

// A handle value that names no window on either platform.
HWND NoWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x12345678)); }

void WindowCases() {
  SetLastError(0);
  HWND found = FindWindowA("KvNoSuchClass", nullptr);
  Line("desktop.window.find-missing-class").Add("found", Bool(found != nullptr)).Add("error", Num(GetLastError()));
  SetLastError(0);
  found = FindWindowA(nullptr, "Kv No Such Title");
  Line("desktop.window.find-missing-title").Add("found", Bool(found != nullptr)).Add("error", Num(GetLastError()));
  SetLastError(0);
  BOOL exists = IsWindow(nullptr);
  Line("desktop.window.is-window-null").Add("result", Bool(exists)).Add("error", Num(GetLastError()));
  // Whether this sets the last error depends on the handle's value under
  // Wine; Windows leaves it alone.
  Line("desktop.window.is-window-missing").Add("result", Bool(IsWindow(NoWindow())));
  SetLastError(0);
  const LRESULT sent = SendMessageA(NoWindow(), WM_USER + 6, 0, 0);
  Line("desktop.window.send-missing").Add("result", Num(sent)).Add("error", Num(GetLastError()));
  DWORD_PTR answer = 99;
  SetLastError(0);
  const LRESULT timed = SendMessageTimeoutA(NoWindow(), WM_USER + 6, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer);
  Line("desktop.window.send-timeout-missing")
      .Add("result", Num(timed))
      .Add("error", Num(GetLastError()))
      .Add("answer", Num(static_cast<long long>(answer)));
}

// One CreateProcessA call: its result and what it left in the command line
// (and, on a line of its own when `infoId` is given, whether a failure left
// PROCESS_INFORMATION zeroed); the handles of a started program are closed.
void ProcessCase(const char* id, const char* application, const std::string& commandLine,
                 const char* infoId = nullptr) {
  char buffer[MAX_PATH];
  std::snprintf(buffer, sizeof buffer, "%s", commandLine.c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  std::memset(&info, 0xCC, sizeof info);
  SetLastError(0);
  const BOOL ok = CreateProcessA(application, buffer, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
  Line line(id);
  line.Result("result", ok, GetLastError()).Add("command-line-kept", Bool(commandLine == buffer));
  if (!ok) {
    const PROCESS_INFORMATION zeroed{};
    if (infoId) Line(infoId).Add("zeroed", Bool(std::memcmp(&info, &zeroed, sizeof info) == 0));
    return;
  }
  line.Add("close-thread", Bool(CloseHandle(info.hThread))).Add("close-process", Bool(CloseHandle(info.hProcess)));
  SetLastError(0);
  const BOOL again = CloseHandle(info.hProcess);
  line.Result("close-again", again, GetLastError());
}

void ProcessCases() {
  CopyFileA(OwnImage().c_str(), In("Run.exe").c_str(), FALSE);
  CreateDirectoryA(In("Run Dir").c_str(), nullptr);
  Fresh("PLAIN.TXT", "TEXT.EXE");
  ProcessCase("desktop.process.missing", nullptr, In("NOSUCH.EXE"), "desktop.process.info-after-failed-search");
  ProcessCase("desktop.process.missing-bare-name", nullptr, "KVNOSUCH /x");
  ProcessCase("desktop.process.application-missing-directory", In("No Dir\\NOSUCH.EXE").c_str(), "NOSUCH",
              "desktop.process.info-after-failed-open");
  ProcessCase("desktop.process.application-without-extension", In("Run").c_str(), "Run 1 2 3");
  ProcessCase("desktop.process.not-a-program", nullptr, In("TEXT.EXE"));
  // A path with a blank: unquoted, the part before the blank is a program.
  ProcessCase("desktop.process.unquoted-blank", nullptr, In("Run Dir\\NOSUCH.EXE") + " 1 2 3");
  ProcessCase("desktop.process.quoted-blank", nullptr, "\"" + In("Run Dir\\NOSUCH.EXE") + "\" 1 2 3");
  ProcessCase("desktop.process.application-name", In("Run.exe").c_str(), "Run 1 2 3");
}

typedef HANDLE(WINAPI* WtsOpenServerFn)(LPSTR);
typedef void(WINAPI* WtsCloseServerFn)(HANDLE);
typedef BOOL(WINAPI* WtsEnumerateFn)(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOA*, DWORD*);
typedef BOOL(WINAPI* WtsQueryFn)(HANDLE, DWORD, WTS_INFO_CLASS, LPSTR*, DWORD*);
typedef void(WINAPI* WtsFreeFn)(PVOID);

void SessionCases() {
  HMODULE module = LoadLibraryA((g_system + "\\Wtsapi32.dll").c_str());
  const auto open = kv::EntryPoint<WtsOpenServerFn>(module, "WTSOpenServerA");
  const auto close = kv::EntryPoint<WtsCloseServerFn>(module, "WTSCloseServer");
  const auto enumerate = kv::EntryPoint<WtsEnumerateFn>(module, "WTSEnumerateSessionsA");
  const auto query = kv::EntryPoint<WtsQueryFn>(module, "WTSQuerySessionInformationA");
  const auto release = kv::EntryPoint<WtsFreeFn>(module, "WTSFreeMemory");
  const bool all = open && close && enumerate && query && release;
  Line("desktop.wts.load").Add("loaded", Bool(module != nullptr)).Add("entry-points", Bool(all));
  if (!all) return;

  SetLastError(0);
  const HANDLE server = open(nullptr);
  Line("desktop.wts.open-local", server != nullptr);
  if (server) close(server);

  PWTS_SESSION_INFOA sessions = nullptr;
  DWORD count = 0;
  SetLastError(0);
  const BOOL listed = enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count);
  Line("desktop.wts.enumerate", listed);
  if (listed && sessions) release(sessions);

  // The user of the probe's own session: a string whose byte count includes
  // its terminating NUL.
  LPSTR user = nullptr;
  DWORD bytes = 0;
  SetLastError(0);
  const BOOL named = query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSUserName, &user, &bytes);
  Line line("desktop.wts.user-name", named);
  if (named) {
    line.Add("empty", Bool(!*user)).Add("bytes-count-nul", Bool(bytes == std::strlen(user) + 1));
    release(user);
  }
  FreeLibrary(module);
}

void PrinterCases() {
  // A fresh machine has no printer: the size query is the whole answer.
  BYTE buffer[16];
  for (DWORD room : {0u, 16u}) {
    DWORD needed = 77, returned = 77;
    SetLastError(0);
    Line(room ? "desktop.printers.small-buffer" : "desktop.printers.size-query",
         EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, room ? buffer : nullptr, room, &needed, &returned))
        .Add("needed", Num(needed))
        .Add("returned", Num(returned));
  }
  DWORD needed = 0, returned = 0;
  SetLastError(0);
  Line("desktop.printers.level-3", EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 3, nullptr, 0, &needed, &returned));
}

// ---- Threads, named events and posted messages ------------------------------

// A created event: whether a handle came back, and the last error, which
// tells a new event (0) from an existing one (183).
HANDLE EventCase(const char* id, LPSECURITY_ATTRIBUTES attributes, BOOL initialState, const char* name) {
  SetLastError(1234);
  const HANDLE event = CreateEventA(attributes, FALSE, initialState, name);
  Line(id).Add("handle", Bool(event != nullptr)).Add("error", Num(GetLastError()));
  return event;
}

void EventCases() {
#ifndef _WIN32
  // Wine runs its programs in session 1, as Vista does a user's; on XP the
  // console's first user is in session 0, where local names are global ones.
  winsim::SetSessionId(1);
#endif
  HANDLE first = EventCase("thread.event.create", nullptr, FALSE, "KvProbeEvent");
  HANDLE second = EventCase("thread.event.create-again", nullptr, TRUE, "KvProbeEvent");
  Line("thread.event.create-again.handles").Add("distinct", Bool(first != second));
  Line("thread.event.create-again.state").Add("wait", Num(WaitForSingleObject(second, 0)));
  CloseHandle(EventCase("thread.event.other-case", nullptr, FALSE, "KVPROBEEVENT"));
  CloseHandle(EventCase("thread.event.local-prefix", nullptr, FALSE, "Local\\KvProbeEvent"));

  SECURITY_DESCRIPTOR descriptor;
  SetLastError(0);
  Line("thread.sd.init-revision-2", InitializeSecurityDescriptor(&descriptor, 2));
  Line("thread.sd.null-dacl", InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                                  SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE));
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, TRUE};
  HANDLE global = EventCase("thread.event.global-null-dacl", &attributes, FALSE, "Global\\KvProbeEvent");
  CloseHandle(EventCase("thread.event.global-again", nullptr, FALSE, "Global\\KvProbeEvent"));
  CloseHandle(global);
  CloseHandle(EventCase("thread.event.global-after-close", nullptr, FALSE, "Global\\KvProbeEvent"));

  CloseHandle(first);
  CloseHandle(second);
  CloseHandle(EventCase("thread.event.after-last-close", nullptr, FALSE, "KvProbeEvent"));

  HANDLE unnamed = EventCase("thread.event.unnamed-signalled", nullptr, TRUE, nullptr);
  const DWORD taken = WaitForSingleObject(unnamed, 0);
  Line("thread.event.wait-auto-reset").Add("first", Num(taken)).Add("second", Num(WaitForSingleObject(unnamed, 0)));
  CloseHandle(unnamed);
}

DWORD WINAPI ReturnSeven(LPVOID) { return 7; }
DWORD WINAPI SleepThenReturn(LPVOID) {
  Sleep(200);
  return 9;
}

// The exit code of a thread, or the error.
std::string ExitCode(HANDLE thread) {
  DWORD code = 0;
  return GetExitCodeThread(thread, &code) ? Num(code) : "error:" + Num(GetLastError());
}

void ThreadCases() {
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, ReturnSeven, nullptr, 0, &id);
  Line("thread.create").Add("handle", Bool(thread != nullptr)).Add("id", Bool(id != 0));
  Line("thread.wait-ended").Add("infinite", Num(WaitForSingleObject(thread, INFINITE)))
      .Add("again", Num(WaitForSingleObject(thread, 0)));
  Line("thread.exit-code-ended").Add("code", ExitCode(thread));
  CloseHandle(thread);
  SetLastError(0);
  const DWORD closed = WaitForSingleObject(thread, 0);
  Line("thread.wait-closed").Add("result", Hex(closed)).Add("error", Num(GetLastError()));

  thread = CreateThread(nullptr, 0, SleepThenReturn, nullptr, 0, nullptr);
  Line("thread.exit-code-running").Add("code", ExitCode(thread)).Add("wait", Num(WaitForSingleObject(thread, 0)));
  Line("thread.wait-running").Add("infinite", Num(WaitForSingleObject(thread, INFINITE)))
      .Add("code", ExitCode(thread));
  CloseHandle(thread);

  Line("thread.current-process").Add("pseudo", Bool(GetCurrentProcess() == reinterpret_cast<HANDLE>(-1)));
  SetLastError(0);
  Line("thread.post.missing", PostMessageA(NoWindow(), WM_USER + 1, 0, 0));
  SetLastError(0);
  Line("thread.post.null", PostMessageA(nullptr, WM_USER + 1, 0, 0));
}


// ---- The tool's string table, the token and ADVAPI32.DLL -------------------

// Bytes as hexadecimal digits.
std::string HexBytes(const char* bytes, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(bytes[i]));
    out += digits;
  }
  return out;
}

// Every string of the tool's blocks (5000-5047) in code page 932, then
// LoadStringA's edge cases: what it returns, the last error (0 before the
// call), and the buffer up to one byte past the NUL (filled with 'x' first).
void StringCases() {
  const HINSTANCE self = GetModuleHandleA(nullptr);
  Line("strings.own-instance").Add("non-null", Bool(self != nullptr));
  std::string missing;
  for (UINT id = 5000; id < 5048; ++id) {
    char buffer[512];
    SetLastError(0);
    const int length = LoadStringA(self, id, buffer, sizeof buffer);
    if (length <= 0) {
      missing += (missing.empty() ? "" : ",") + Num(id) + (GetLastError() ? ":" + Num(GetLastError()) : "");
      continue;
    }
    Line(("strings.text." + Num(id)).c_str())
        .Add("bytes", Digest(std::vector<unsigned char>(buffer, buffer + length)))
        .Add("nul", Bool(buffer[length] == '\0'));
  }
  Line("strings.missing-in-blocks").Add("ids", missing);

  const HMODULE setupapi = LoadLibraryA((g_system + "\\setupapi.dll").c_str());
  struct Case {
    const char* id;
    HINSTANCE instance;
    UINT string;
    int max;
  };
  // Text 5000 begins "Windows(R) XP SP2 " (18 bytes), then a kanji.
  const Case cases[] = {
      {"strings.null-instance", nullptr, 5000, 64},
      {"strings.id-high-word", self, 0x10000 + 5000, 64},
      {"strings.missing-block", self, 5100, 64},
      {"strings.other-module", setupapi, 5000, 64},
      {"strings.max-0", self, 5000, 0},
      {"strings.max-1", self, 5000, 1},
      {"strings.cut-before-kanji", self, 5000, 19},
      {"strings.cut-inside-kanji", self, 5000, 20},
      {"strings.cut-after-kanji", self, 5000, 21},
  };
  for (const Case& c : cases) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    SetLastError(0);
    const int result = LoadStringA(c.instance, c.string, buffer, c.max);
    const size_t shown = result >= 0 ? result + 2 : 2;
    Line(c.id).Add("result", Num(result)).Add("error", Num(GetLastError())).Add("buffer", HexBytes(buffer, shown));
  }
  FreeLibrary(setupapi);
  SetLastError(0);
  const HMODULE none = GetModuleHandleA("kvnosuch.dll");
  Line("strings.module-handle-missing").Add("null", Bool(none == nullptr)).Add("error", Num(GetLastError()));
}

// The calls that enable the shutdown privilege, and how "ADVAPI32.DLL" is
// reached. Nothing is restarted.
void TokenCases() {
  // The current process's pseudo handle, as GetCurrentProcess gives it.
  const HANDLE process = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
  HANDLE token = nullptr, queryOnly = nullptr;
  SetLastError(0);
  Line("token.open", OpenProcessToken(process, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
  Line("token.open-query-only", OpenProcessToken(process, TOKEN_QUERY, &queryOnly));

  struct Lookup {
    const char* id;
    const char* system;
    const char* name;
  };
  const Lookup lookups[] = {
      {"token.lookup.shutdown", nullptr, "SeShutdownPrivilege"},
      {"token.lookup.lower-case", nullptr, "seshutdownprivilege"},
      {"token.lookup.empty-system", "", "SeShutdownPrivilege"},
      {"token.lookup.remote-shutdown", nullptr, "SeRemoteShutdownPrivilege"},
      {"token.lookup.debug", nullptr, "SeDebugPrivilege"},
      {"token.lookup.unknown", nullptr, "SeNoSuchPrivilege"},
      {"token.lookup.other-system", "\\\\KVNOSUCHHOST", "SeShutdownPrivilege"},
  };
  LUID shutdown = {0, 0};
  for (const Lookup& lookup : lookups) {
    LUID luid = {0, 0};
    SetLastError(0);
    const BOOL ok = LookupPrivilegeValueA(lookup.system, lookup.name, &luid);
    Line line(lookup.id, ok);
    if (ok) line.Add("luid", Num(luid.LowPart) + ":" + Num(luid.HighPart));
    if (ok && !shutdown.LowPart) shutdown = luid;
  }

  // AdjustTokenPrivileges answers with the last error even when it succeeds.
  struct Adjust {
    const char* id;
    HANDLE* token;
    DWORD luid;
  };
  const Adjust adjusts[] = {
      {"token.adjust.shutdown", &token, shutdown.LowPart},
      {"token.adjust.again", &token, shutdown.LowPart},
      {"token.adjust.unknown-luid", &token, 999},
      {"token.adjust.query-only-handle", &queryOnly, shutdown.LowPart},
  };
  for (const Adjust& adjust : adjusts) {
    TOKEN_PRIVILEGES privileges = {1, {{{adjust.luid, 0}, SE_PRIVILEGE_ENABLED}}};
    SetLastError(0xDEAD);
    const BOOL ok = AdjustTokenPrivileges(*adjust.token, FALSE, &privileges, 16, nullptr, nullptr);
    Line(adjust.id).Add("result", Bool(ok)).Add("error", Num(GetLastError()));
  }
  const BOOL closed = CloseHandle(token);
  CloseHandle(queryOnly);
  SetLastError(0);
  const BOOL again = CloseHandle(token);
  Line("token.close").Add("first", Bool(closed)).Result("second", again, GetLastError());

  // ADVAPI32.DLL is loaded with the program: a bare name and the system
  // path give that module. InitiateSystemShutdownExA is looked up, never
  // called.
  const HMODULE loaded = GetModuleHandleA("ADVAPI32.DLL");
  const HMODULE bare = LoadLibraryA("ADVAPI32.DLL");
  const HMODULE full = LoadLibraryA((g_system + "\\ADVAPI32.DLL").c_str());
  Line("token.advapi32")
      .Add("loaded", Bool(loaded != nullptr))
      .Add("bare-name-same", Bool(bare == loaded))
      .Add("system-path-same", Bool(full == loaded))
      .Add("shutdown-ex", Bool(full && GetProcAddress(full, "InitiateSystemShutdownExA") != nullptr));
  if (bare) FreeLibrary(bare);
  if (full) FreeLibrary(full);
}

// The groups, each run as its functions in order.
struct Group {
  const char* name;
  std::vector<void (*)()> steps;
};

const Group kGroups[] = {
    {"fs",
     {DirectoryCases, FindCases, DeleteCases, MoveCases, CopyCases, ShortNameCases, OpenForReadCases, HeldByWriterCases,
      InUseCases}},
    {"expand", {SetupApiCases, LzCases}},
    {"version", {VersionCases}},
    {"delayed", {DelayedCases}},
    {"profile", {ProfileCases}},
    {"text", {TextCases}},
    {"com", {ComCases}},
    {"registry", {RegistryCases}},
    {"service", {ServiceCases}},
    {"desktop", {WindowCases, ProcessCases, SessionCases, PrinterCases}},
    {"thread", {EventCases, ThreadCases}},
    {"strings", {StringCases}},
    {"token", {TokenCases}},
    {"update", {ToolExpansionCases}},
};

std::string Directory(UINT(WINAPI* get)(LPSTR, UINT)) {
  char buffer[MAX_PATH] = "";
  const UINT length = get(buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer) : std::string();
}

int Usage() {
#ifdef _WIN32
  std::fputs("usage: probe WORKDIR [GROUP]\n", stderr);
#else
  std::fputs("usage: probe_host [--import HOSTDIR] WORKDIR [GROUP]\n", stderr);
#endif
  return 2;
}

#ifndef _WIN32
// FILETIME of a host file's modification time.
FILETIME HostWriteTime(const std::filesystem::path& path) {
  struct stat info {};
  FILETIME time{};
  if (stat(path.c_str(), &info) != 0) return time;
  const uint64_t value = (static_cast<uint64_t>(info.st_mtim.tv_sec) + 11644473600ULL) * 10000000ULL +
                         static_cast<uint64_t>(info.st_mtim.tv_nsec) / 100;
  time.dwLowDateTime = static_cast<DWORD>(value);
  time.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return time;
}

// Copies the regular files of a host directory into the simulated machine,
// with their modification times.
bool Import(const std::string& hostDir, const std::string& workDir) {
  std::error_code error;
  std::filesystem::directory_iterator it(hostDir, error);
  if (error) {
    std::fprintf(stderr, "probe_host: cannot read %s\n", hostDir.c_str());
    return false;
  }
  winsim::AddDirectory(workDir);
  for (const auto& entry : it) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string target = workDir + "\\" + entry.path().filename().string();
    winsim::AddFile(target, data);
    winsim::SetWriteTime(target, HostWriteTime(entry.path()));
  }
  return true;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#ifndef _WIN32
  winsim::Reset();
  winsim::SetStringTable(ToolStringTable());
  if (args.size() >= 2 && args[0] == "--import") {
    if (args.size() < 3 || !Import(args[1], args[2])) return Usage();
    args.erase(args.begin(), args.begin() + 2);
  }
#endif
  if (args.empty() || args.size() > 2) return Usage();
#ifndef _WIN32
  // The probe's own image, where the Windows build runs from, in use as a
  // running program is.
  const std::string image = "C:\\bin\\probe.exe";
  winsim::AddFile(image, "MZ");
  winsim::SetModuleFileName(image);
  winsim::SetInUse(image, ERROR_ACCESS_DENIED);
#endif
  g_work = args[0];
  while (g_work.size() > 3 && g_work.back() == '\\') g_work.pop_back();
  g_windows = Directory(GetWindowsDirectoryA);
  g_system = Directory(GetSystemDirectoryA);

  bool ran = false;
  for (const Group& group : kGroups) {
    if (args.size() == 2 && args[1] != group.name) continue;
    for (void (*step)() : group.steps) step();
    ran = true;
  }
  std::fflush(stdout);
  return ran ? 0 : Usage();
}
