// winsim: CreateProcessA. The program is found as Windows finds it; the new
// process and its first thread are kernel objects that the caller closes.
// Nothing runs: a started program only opens the window registered for it.
#include "desktop_state.h"
#include "winsim/desktop_control.h"

namespace winsim {
namespace detail {

namespace {

const DWORD kErrorBadExeFormat = 193;

// A process, or its first thread, behind a handle.
struct ProcessObject : KernelObject {
  ProcessObject(std::string image, bool thread) : image(std::move(image)), thread(thread) {}
  std::string Describe() const override { return (thread ? "thread of process " : "process ") + image; }
  std::string image;
  bool thread;
};

struct Processes {
  std::vector<Launch> launches;
  DWORD nextId = 0x5A0;  // process and thread ids are multiples of four
};

Processes& P() {
  static Processes processes;
  return processes;
}

bool IsPathSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

bool HasExtension(const std::string& name) {
  const size_t leaf = name.find_last_of("\\/:");
  return name.find('.', leaf == std::string::npos ? 0 : leaf + 1) != std::string::npos;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The stored full path of a file, or empty when `path` names none.
std::string FileAt(const std::string& path) {
  const Node* node = FindNode(path);
  return node && !node->directory ? FullPathOf(node) : std::string();
}

// The program file that a name from a command line names: with ".exe"
// appended when it has no extension; a path is that file (relative to the
// current directory), a bare name is looked for in the directory of the
// calling program, the current directory, the system directory, the 16-bit
// system directory and the Windows directory (the PATH is not modelled).
// Empty when there is none.
std::string Search(std::string name) {
  if (name.empty()) return std::string();
  if (!HasExtension(name)) name += ".exe";
  bool path = false;
  for (char c : name) path = path || IsPathSeparator(c);
  if (path) return FileAt(name);
  const Machine& m = M();
  for (const std::string& dir : {DirectoryOf(m.moduleFileName), m.currentDir, m.windowsDir + "\\system32",
                                 m.windowsDir + "\\system", m.windowsDir}) {
    const std::string found = dir.empty() ? std::string() : FileAt(dir + "\\" + name);
    if (!found.empty()) return found;
  }
  return std::string();
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The program of a command line without an application name. A quoted first
// token is taken as it stands. An unquoted one is tried at each blank from
// the left: "C:\Program Files\A B.exe" tries "C:\Program.exe", then
// "C:\Program Files\A.exe", then the whole. Like Windows, the search cuts the
// caller's buffer at each blank in turn and puts the blank back, so the
// buffer must be writable even though it comes back unchanged. (Quotes and
// blanks are never trail bytes of a double-byte character.)
std::string FindProgram(LPSTR commandLine) {
  char* start = commandLine;
  while (IsBlank(*start)) ++start;
  if (*start == '"') {
    char* end = start + 1;
    while (*end && *end != '"') ++end;
    return Search(std::string(start + 1, end));
  }
  for (char* p = start;; ++p) {
    if (*p && !IsBlank(*p)) continue;
    const char blank = *p;
    *p = '\0';
    const std::string found = Search(start);
    *p = blank;
    if (!found.empty() || !blank) return found;
  }
}

std::string OrNull(LPCSTR text) { return text ? std::string(text) : std::string("NULL"); }

}  // namespace

void ResetProcesses() { P() = Processes{}; }

}  // namespace detail

std::vector<Launch> Launches() {
  auto lock = detail::Lock();
  return detail::P().launches;
}

}  // namespace winsim

using namespace winsim;
using namespace winsim::detail;

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID, LPCSTR currentDirectory,
                    LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation) {
  ApiCall call("CreateProcessA", {Arg(applicationName), Arg(commandLine), Dec(inheritHandles), Hex(creationFlags),
                                  Arg(currentDirectory)});
  Launch launch;
  launch.applicationName = OrNull(applicationName);
  launch.commandLine = OrNull(commandLine);
  launch.creationFlags = creationFlags;
  launch.inheritHandles = inheritHandles;
  launch.currentDirectory = OrNull(currentDirectory);
  launch.startupInfoSize = startupInfo ? startupInfo->cb : 0;
  launch.startupFlags = startupInfo ? startupInfo->dwFlags : 0;
  P().launches.push_back(launch);
  Launch& recorded = P().launches.back();

  // Windows clears the process information before anything else, so a
  // failed call leaves it zeroed. (Wine leaves it untouched when the search
  // for the program fails.)
  if (processInformation) *processInformation = PROCESS_INFORMATION{};
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  // Windows reads both structures without checking (a null one is an access
  // violation there).
  if (!startupInfo || !processInformation || (!applicationName && !commandLine)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string image;
  if (applicationName) {
    // Exactly that file: no extension is added, no directory searched.
    if ((image = FileAt(applicationName)).empty()) {
      std::string leaf;
      SetLastError(FindParentDir(applicationName, &leaf) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
      return FALSE;
    }
  } else if ((image = FindProgram(commandLine)).empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  const std::vector<uint8_t>& data = FindNode(image)->data;
  if (data.size() < 2 || data[0] != 'M' || data[1] != 'Z') {
    SetLastError(kErrorBadExeFormat);
    return FALSE;
  }

  recorded.image = image;
  processInformation->hProcess = AddKernelObject(std::make_shared<ProcessObject>(image, false));
  processInformation->hThread = AddKernelObject(std::make_shared<ProcessObject>(image, true));
  processInformation->dwProcessId = P().nextId += 4;
  processInformation->dwThreadId = P().nextId += 4;
  // A suspended process shows nothing until it is resumed, which winsim
  // does not model.
  if (!(creationFlags & CREATE_SUSPENDED)) OpenProgramWindow(image);
  return TRUE;
}
