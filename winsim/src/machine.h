// winsim internals: the one simulated machine and the helpers every
// simulated call uses (lock, call log, faults, last error).
#ifndef WINSIM_MACHINE_H
#define WINSIM_MACHINE_H

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "winsim/control.h"

namespace winsim {
namespace detail {

// ---- File system -----------------------------------------------------------
struct Node {
  std::string name;       // long name as created
  std::string shortName;  // 8.3 name (equal to name when the name is 8.3)
  bool directory = false;
  std::vector<uint8_t> data;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  FILETIME creationTime{};
  FILETIME writeTime{};
  DWORD inUseError = 0;  // non-zero: in use, operations fail with this error
  DWORD heldAccess = 0;  // non-zero: another program holds the file open with this access
  DWORD heldShare = 0;   // and this share mode
  Node* parent = nullptr;
  std::map<std::string, std::unique_ptr<Node>> children;  // key: upper-cased long name
};

// A search: what matched, in the order FindFirstFileA reports the first.
struct FindHandle {
  std::vector<WIN32_FIND_DATAA> entries;
};

struct Module {
  std::string name;  // lower case file name, e.g. "setupapi.dll"
  bool present = true;
  std::map<std::string, FARPROC> exports;
  std::map<std::string, bool> exportPresent;
  // Entry points that exist only on some systems: present only while this
  // answers true for the simulated operating system.
  std::map<std::string, bool (*)()> exportExists;
  // Loaded with the program, which imports it (a system module that is also
  // a known DLL): GetModuleHandleA finds it, and a bare name reaches it
  // whatever lies beside the tool.
  bool loadedWithProgram = false;
  int loadCount = 0;  // loads by LoadLibraryA not yet freed
};

// The program's own instance handle (its image base), as GetModuleHandleA(NULL)
// gives it.
const uintptr_t kProgramInstance = 0x00400000;

struct RegValue {
  std::string name;
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
};
struct RegKey {
  std::string name;  // as created
  FILETIME writeTime{};
  std::map<std::string, RegValue> values;                  // key: upper-cased name
  std::map<std::string, std::unique_ptr<RegKey>> subkeys;  // key: upper-cased name
};
// An open registry key. Keys are never removed while the machine lives, so
// the pointer stays valid until Reset, which also forgets every open key.
struct OpenKey {
  std::string path;  // "HKLM\SOFTWARE\X", in the keys' stored spelling
  RegKey* key = nullptr;
  DWORD access = 0;  // the rights the key was opened with (generic rights mapped)
};

struct FaultRule {
  std::string call;
  std::string match;
  int64_t error = 0;
  int skip = 0;
  int times = -1;
};

struct OpenFile;  // an LZ32 or plain file handle, defined by the LZ area

// An object behind a kernel handle (process, thread, file, event ...),
// closed by CloseHandle.
struct KernelObject {
  virtual ~KernelObject() = default;
  // What the object is, for the log and for OpenResources ("process
  // C:\WINDOWS\system32\ZAMBAZ.EXE").
  virtual std::string Describe() const = 0;
};

// The machine's lock: recursive, like std::recursive_mutex, and able to let
// go of every level its owner holds while that thread waits in the scheduler.
class MachineMutex {
 public:
  void lock();
  void unlock();
  // Releases every level the calling thread holds (it must hold at least
  // one), waits until `ready()` is true, and takes the levels back. `ready`
  // is evaluated only while no thread holds the lock, so it may read the
  // machine's state.
  template <typename Ready>
  void WaitReleased(Ready ready) {
    std::unique_lock<std::mutex> inner(mutex_);
    const int depth = depth_;
    depth_ = 0;
    owner_ = std::thread::id();
    if (waiting_ > 0) changed_.notify_all();
    ++waiting_;
    changed_.wait(inner, [&] { return depth_ == 0 && ready(); });
    --waiting_;
    owner_ = std::this_thread::get_id();
    depth_ = depth;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;  // the lock was released
  std::thread::id owner_;
  int depth_ = 0;
  int waiting_ = 0;
};

// ---- Threads on the virtual clock ---------------------------------------------
// One simulated thread: the test's own thread (the one that called Reset),
// a thread made by CreateThread, or another thread taking part for the
// length of one wait.
enum class WakeReason { Signalled, TimedOut, Deadlock };
struct SimThread {
  enum class State { Running, Parked, Blocked, Finished };
  DWORD id = 0;  // the thread id CreateThread gave out; 0 for the others
  bool worker = false;  // made by CreateThread
  std::thread::id native;
  State state = State::Running;
  uint64_t readySince = 0;  // running threads get their turn in this order
  bool yielding = false;    // running, but lets every other running thread go first
  uint64_t wakeAtMs = UINT64_MAX;     // parked: when the clock ends the wait
  const void* waitingFor = nullptr;   // the object whose signal ends the wait
  std::string waitingCall;            // the waiting call, for ForeverBlockedCalls
  WakeReason wakeReason = WakeReason::Signalled;
  DWORD exitCode = STILL_ACTIVE;
};
struct Scheduler {
  std::vector<std::shared_ptr<SimThread>> threads;  // the test's thread first, then in creation order
  SimThread* current = nullptr;  // the one thread that executes now
  uint64_t turns = 0;            // source of SimThread::readySince
  DWORD nextThreadId = 0;
};

struct Machine {
  MachineMutex mutex;

  // Operating system and process
  OSVERSIONINFOA version{};
  UINT acp = 932;
  std::string windowsDir;
  std::string moduleFileName;
  std::string currentDir;

  // Time
  uint64_t nowMs = 0;

  // Faults and call log
  std::vector<FaultRule> faults;
  std::vector<Call> calls;

  // File system: one root node per drive letter (upper case)
  std::map<char, std::unique_ptr<Node>> drives;
  bool diskLimited = false;
  uint64_t diskFree = 0;

  // Handles
  uintptr_t nextHandle = 0x1000;
  std::map<uintptr_t, FindHandle> finds;
  std::map<int, std::shared_ptr<OpenFile>> lzFiles;
  int nextLzHandle = 1;

  // Registry: one tree per root, by the root's short name ("HKLM")
  std::map<std::string, RegKey> registry;
  std::map<uintptr_t, OpenKey> openKeys;

  // Modules
  std::map<std::string, Module> modules;  // key: lower-case file name
  std::map<uintptr_t, std::string> moduleHandles;
  int foreignLoads = 0;
  bool currentDirInLibrarySearch = true;  // until SetDllDirectoryA("")

  // Kernel objects by handle
  std::map<uintptr_t, std::shared_ptr<KernelObject>> kernelObjects;

  // The user: an administrator or not
  bool administrator = true;

  // Calls that would never have returned
  std::vector<std::string> blockedForever;

  // Threads, and the Terminal Services session the tool runs in
  Scheduler scheduler;
  DWORD sessionId = 0;
};

Machine& M();
std::unique_lock<MachineMutex> Lock();

// Every simulated call: takes the machine lock, logs the call, and tells
// whether an injected fault applies.
class ApiCall {
 public:
  ApiCall(const char* name, std::vector<std::string> args);
  // The injected error for this call, if any.
  std::optional<int64_t> Fault() const { return fault_; }

 private:
  std::unique_lock<MachineMutex> lock_;
  std::optional<int64_t> fault_;
};

std::string Arg(LPCSTR text);  // quoted text, or NULL
std::string Hex(uint64_t value);
std::string Dec(int64_t value);

// Code page helpers (for the current ANSI code page)
bool IsLeadByte(unsigned char c);
std::string UpperAnsi(const std::string& text);  // ASCII letters only, DBCS-aware
bool ContainsNoCase(const std::string& haystack, const std::string& needle);

// File system helpers shared by the areas
FILETIME Now();
std::string NormalizePath(const std::string& path);  // absolute, backslashes, no . or ..
std::vector<std::string> SplitComponents(const std::string& normalized);
Node* FindNode(const std::string& path);        // by long or short names; null if absent
Node* FindParentDir(const std::string& path, std::string* leaf);  // null if parent missing
std::string FullPathOf(const Node* node);
// Creates or truncates a file with content; checks the disk limit and in-use
// state. Returns 0 or a Win32 error.
DWORD WriteFileNode(const std::string& path, const std::vector<uint8_t>& data, Node** result);
DWORD DeleteFileNode(const std::string& path);
// The error for a path that does not resolve: a missing parent directory is
// ERROR_PATH_NOT_FOUND, a missing leaf ERROR_FILE_NOT_FOUND.
DWORD MissingError(const std::string& path);
// How an operation uses an existing file, for the sharing rules of the
// handles that CreateFileA holds open on it.
enum class FileUse { Read, Write, Delete };
// ERROR_SHARING_VIOLATION when a handle open on `node` does not share `use`
// (deleting and renaming are Delete), else 0.
DWORD OpenHandleConflict(const Node* node, FileUse use);
int OpenFileHandleCount();
// Renames a file or directory; `replace` allows an existing file target.
DWORD MoveNode(const std::string& source, const std::string& target, bool replace);
uint64_t DiskUsed();
uint64_t DiskFreeBytes();  // UINT64_MAX when the disk is unlimited
void ResetFileSystem();

// Kernel handles: a new handle for an object, and the object behind a handle
// (null when the handle is unknown or names another kind of object).
HANDLE AddKernelObject(std::shared_ptr<KernelObject> object);
template <typename T>
std::shared_ptr<T> KernelObjectAs(HANDLE handle) {
  auto it = M().kernelObjects.find(reinterpret_cast<uintptr_t>(handle));
  return it == M().kernelObjects.end() ? nullptr : std::dynamic_pointer_cast<T>(it->second);
}
// Records a call that would never have returned on Windows.
void RecordBlockedForever(const std::string& what);

void ResetRegistry();
void ResetModules();
// `exists`, when given, tells whether the entry point exists on the simulated
// operating system.
void RegisterExport(const std::string& module, const std::string& function, FARPROC proc,
                    bool (*exists)() = nullptr);
// The module is loaded with the program (see Module::loadedWithProgram).
void SetLoadedWithProgram(const std::string& module);

void SetLastErrorInternal(DWORD error);

}  // namespace detail
}  // namespace winsim

#endif  // WINSIM_MACHINE_H
