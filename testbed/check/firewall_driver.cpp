// fwdriver.exe STEPS-FILE: carries out firewall steps with the tool's own
// firewall calls and prints each step with its result, for the test bed's
// check of the firewall stand-in. One step a line, fields split by "|":
//
//   authorize|PROFILE|NAME|IMAGE PATH|all|subnet|custom|ADDRESSES|on|off
//   remove|PROFILE|IMAGE PATH
//   service|PROFILE|on|off           File and Printer Sharing
//   listed|PROFILE|IMAGE PATH        1 or 0
//   probe                            the current profile can be opened
//   unloadable                       DllCanUnloadNow of the firewall's
//                                    DLL: S_OK once every object the steps
//                                    obtained was released
//
// PROFILE is domain or standard. The driver keeps COM initialised around
// the steps, so the DLL stays loaded between them. Each line is printed back followed by
// " => " and the HRESULT in hexadecimal (or the 1 or 0 of listed).
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "firewall/bstr.h"
#include "firewall/firewall_policy.h"

namespace {

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
    fields.push_back(line.substr(start, bar - start));
  fields.push_back(line.substr(start));
  return fields;
}

kv::Bstr ToBstr(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
  return kv::Bstr(SysAllocString(length > 0 ? wide.c_str() : L""));
}

NET_FW_PROFILE_TYPE Profile(const std::string& name) {
  return name == "domain" ? NET_FW_PROFILE_DOMAIN : NET_FW_PROFILE_STANDARD;
}

// Asks the loaded server of the firewall manager class whether anything of
// it is still in use.
HRESULT CanUnload() {
  HKEY key;
  char path[MAX_PATH] = "";
  LONG size = sizeof path;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{304CE942-6E39-40D8-943A-B913C40C9CD4}", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return E_UNEXPECTED;
  RegQueryValueA(key, "InprocServer32", path, &size);
  RegCloseKey(key);
  const HMODULE server = GetModuleHandleA(path);
  if (!server) return E_UNEXPECTED;
  typedef HRESULT(WINAPI * CanUnloadNowProc)();
  const auto canUnloadNow =
      reinterpret_cast<CanUnloadNowProc>(reinterpret_cast<void (*)()>(GetProcAddress(server, "DllCanUnloadNow")));
  return canUnloadNow ? canUnloadNow() : E_UNEXPECTED;
}

NET_FW_SCOPE ScopeOf(const std::string& name) {
  if (name == "all") return NET_FW_SCOPE_ALL;
  return name == "subnet" ? NET_FW_SCOPE_LOCAL_SUBNET : NET_FW_SCOPE_CUSTOM;
}

// The step's result as printed; empty for a step that is not understood.
std::string Run(const std::vector<std::string>& step) {
  char result[16] = "";
  const std::string& op = step[0];
  HRESULT hr = S_OK;
  if (op == "authorize" && step.size() == 7) {
    hr = AuthorizeApplication(Profile(step[1]), ToBstr(step[2]).get(), ToBstr(step[3]).get(), NET_FW_IP_VERSION_ANY,
                              ScopeOf(step[4]), ToBstr(step[5]).get(), step[6] == "on");
  } else if (op == "remove" && step.size() == 3) {
    hr = RemoveAuthorizedApplication(Profile(step[1]), ToBstr(step[2]).get());
  } else if (op == "service" && step.size() == 3) {
    hr = SetFirewallService(Profile(step[1]), NET_FW_SERVICE_FILE_AND_PRINT, step[2] == "on");
  } else if (op == "listed" && step.size() == 3) {
    return IsApplicationListed(Profile(step[1]), ToBstr(step[2]).get()) ? "1" : "0";
  } else if (op == "probe" && step.size() == 1) {
    hr = ProbeFirewallPolicy();
  } else if (op == "unloadable" && step.size() == 1) {
    hr = CanUnload();
  } else {
    return "";
  }
  std::snprintf(result, sizeof result, "0x%08lX", static_cast<unsigned long>(hr));
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fwdriver STEPS-FILE\n");
    return 2;
  }
  std::ifstream steps(argv[1]);
  if (!steps) {
    std::fprintf(stderr, "fwdriver: cannot read %s\n", argv[1]);
    return 2;
  }
  CoInitialize(nullptr);
  int status = 0;
  for (std::string line; std::getline(steps, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string result = Run(Split(line));
    if (result.empty()) status = 2;
    std::printf("%s => %s\n", line.c_str(), result.empty() ? "not understood" : result.c_str());
  }
  CoUninitialize();
  return status;
}
