// winsim: modules loaded at run time. The simulated system modules live in
// the system directory; a DLL file found elsewhere on the search path (for
// example one planted beside the tool) is loaded as a foreign module that
// exports nothing, and counted, so tests can see that it was reached.
// "kernel32.dll" is loaded with the program; its SetDllDirectoryA (reached
// through GetProcAddress, from Windows XP SP1 on) takes the current
// directory out of the search.
#include <algorithm>

#include "exports.h"
#include "machine.h"

namespace winsim {
namespace detail {

namespace {

const uintptr_t kForeignModuleBase = 0x70000000;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string LeafOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

HMODULE HandleFor(const std::string& key) {
  size_t index = 0;
  for (const auto& module : M().modules) {
    if (module.first == key) break;
    ++index;
  }
  const uintptr_t id = 0x10000000 + index * 0x100000;
  M().moduleHandles[id] = key;
  return reinterpret_cast<HMODULE>(id);
}

HMODULE LoadForeign() {
  const uintptr_t id = kForeignModuleBase + static_cast<uintptr_t>(++M().foreignLoads) * 0x10000;
  M().moduleHandles[id] = "";
  return reinterpret_cast<HMODULE>(id);
}

HMODULE LoadSystem(const std::string& leaf) {
  auto it = M().modules.find(Lower(leaf));
  if (it == M().modules.end() || !it->second.present) return nullptr;
  ++it->second.loadCount;
  return HandleFor(it->first);
}

// The XP, 2003 and Vista profiles carry a service pack that has
// SetDllDirectoryA.
bool FromWindowsXp() {
  const OSVERSIONINFOA& v = M().version;
  return v.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1));
}

// NULL restores the standard search; "" takes the current directory out of
// it. A directory of its own is not modelled.
BOOL WINAPI SetDllDirectory(LPCSTR path) {
  ApiCall call("SetDllDirectoryA", {Arg(path)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return FALSE;
  }
  if (path && *path) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  M().currentDirInLibrarySearch = path == nullptr;
  return TRUE;
}

bool ExportExists(Module& module, const std::string& function) {
  if (!module.exports.count(function) || !module.exportPresent[function]) return false;
  auto exists = module.exportExists.find(function);
  return exists == module.exportExists.end() || exists->second();
}

}  // namespace

void ReportLoadedModules(std::vector<std::string>& out) {
  for (const auto& module : M().modules)
    if (module.second.loadCount > 0)
      out.push_back("module " + module.first + " loaded " + std::to_string(module.second.loadCount) + " time(s)");
}

void ResetModules() {
  M().modules.clear();
  M().moduleHandles.clear();
  M().foreignLoads = 0;
  M().currentDirInLibrarySearch = true;
  ExportFunction("kernel32.dll", "SetDllDirectoryA", &SetDllDirectory, &FromWindowsXp);
  SetLoadedWithProgram("kernel32.dll");
}

void RegisterExport(const std::string& module, const std::string& function, FARPROC proc, bool (*exists)()) {
  Module& m = M().modules[Lower(module)];
  m.name = Lower(module);
  m.exports[function] = proc;
  m.exportPresent[function] = true;
  if (exists) m.exportExists[function] = exists;
}

void SetLoadedWithProgram(const std::string& module) { M().modules[Lower(module)].loadedWithProgram = true; }

}  // namespace detail

using namespace detail;

void SetModulePresent(const std::string& module, bool present) {
  auto lock = Lock();
  M().modules[Lower(module)].present = present;
}

void SetExportPresent(const std::string& module, const std::string& function, bool present) {
  auto lock = Lock();
  M().modules[Lower(module)].exportPresent[function] = present;
}

int ModuleLoadCount(const std::string& module) {
  auto lock = Lock();
  auto it = M().modules.find(Lower(module));
  return it == M().modules.end() ? 0 : it->second.loadCount;
}

int ForeignModuleLoads() {
  auto lock = Lock();
  return M().foreignLoads;
}

}  // namespace winsim

using namespace winsim::detail;

HMODULE LoadLibraryA(LPCSTR fileName) {
  ApiCall call("LoadLibraryA", {Arg(fileName)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return nullptr;
  }
  if (!fileName || !*fileName) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::string name = fileName;
  if (LeafOf(name).find('.') == std::string::npos) name += ".dll";
  const std::string leaf = LeafOf(name);
  const std::string systemDir = UpperAnsi(M().windowsDir + "\\system32");

  HMODULE module = nullptr;
  if (name.find_first_of("\\/") != std::string::npos) {
    // A path: exactly that file.
    const std::string full = NormalizePath(name);
    const std::string dir = UpperAnsi(full.substr(0, full.rfind('\\')));
    if (dir == systemDir) module = LoadSystem(leaf);
    if (!module && FindNode(full) && !(dir == systemDir && M().modules.count(Lower(leaf)))) module = LoadForeign();
  } else {
    // A bare name: a module loaded with the program is that module;
    // otherwise the application's directory first, then the system
    // directory, the Windows directory and the current directory (unless
    // SetDllDirectoryA took it out).
    const std::string& exe = M().moduleFileName;
    const std::string appDir = exe.substr(0, exe.rfind('\\') == std::string::npos ? 0 : exe.rfind('\\'));
    auto known = M().modules.find(Lower(leaf));
    if (known != M().modules.end() && known->second.loadedWithProgram) {
      module = LoadSystem(leaf);
    } else if (!appDir.empty() && FindNode(appDir + "\\" + leaf)) {
      module = LoadForeign();
    } else if ((module = LoadSystem(leaf)) == nullptr) {
      if (FindNode(M().windowsDir + "\\" + leaf) ||
          (M().currentDirInLibrarySearch && FindNode(M().currentDir + "\\" + leaf)))
        module = LoadForeign();
    }
  }
  if (!module) SetLastError(ERROR_MOD_NOT_FOUND);
  return module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  ApiCall call("GetProcAddress", {Hex(reinterpret_cast<uintptr_t>(module)), Arg(procName)});
  auto handle = M().moduleHandles.find(reinterpret_cast<uintptr_t>(module));
  if (handle == M().moduleHandles.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto it = M().modules.find(handle->second);
  if (it == M().modules.end() || !procName || !ExportExists(it->second, procName)) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return it->second.exports[procName];
}

BOOL FreeLibrary(HMODULE module) {
  ApiCall call("FreeLibrary", {Hex(reinterpret_cast<uintptr_t>(module))});
  auto handle = M().moduleHandles.find(reinterpret_cast<uintptr_t>(module));
  if (handle == M().moduleHandles.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto it = M().modules.find(handle->second);
  if (it != M().modules.end() && it->second.loadCount > 0) --it->second.loadCount;
  return TRUE;
}

// NULL: the program itself. A name: a simulated system module that is
// loaded, by its name or by its path in the system directory (the program's
// own file name and foreign modules are not looked up).
HMODULE GetModuleHandleA(LPCSTR moduleName) {
  ApiCall call("GetModuleHandleA", {Arg(moduleName)});
  if (auto fault = call.Fault()) {
    SetLastError(static_cast<DWORD>(*fault));
    return nullptr;
  }
  if (!moduleName) return reinterpret_cast<HMODULE>(kProgramInstance);
  std::string name = moduleName;
  if (LeafOf(name).find('.') == std::string::npos) name += ".dll";
  const std::string leaf = LeafOf(name);
  const std::string full = NormalizePath(name);
  const bool inSystemDir = leaf.size() == name.size() ||
                     UpperAnsi(full.substr(0, full.rfind('\\'))) == UpperAnsi(M().windowsDir + "\\system32");
  auto it = M().modules.find(Lower(leaf));
  if (inSystemDir && it != M().modules.end() && it->second.present &&
      (it->second.loadedWithProgram || it->second.loadCount > 0))
    return HandleFor(it->first);
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}
