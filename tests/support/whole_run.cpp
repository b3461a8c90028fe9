#include "whole_run.h"

#include <gtest/gtest-spi.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "app/tool_app.h"
#include "ui/dialog_ids.h"
#include "update_fixture.h"
#include "winsim/firewall_control.h"
#include "winsim/printer_control.h"
#include "winsim/thread_control.h"
#include "winsim/ui_control.h"

// The waits the tool may take in one run (docs/architecture.md): the
// hand-off's pause, closing the panel (10 s of polling and a last 100 ms),
// stopping the server and starting it again (each a first reading after
// 500 ms and up to 120 more), and the second after the stop.
const uint64_t kLongestRunMs = 5000 + 10100 + 2 * 121 * 500 + 1000;

namespace {

typedef std::vector<uint8_t> Bytes;

const char kPanelPath[] = "C:\\WINDOWS\\system32\\ZAMBAZ.EXE";
const char kServerPath[] = "C:\\WINDOWS\\system32\\ZAMWTQNT.EXE";
const char kPanelClass[] = "BAZWndClass";
const char kPanelTitle[] = "Kestrovane";

// One file of the communication program: its installed path, its shipped
// copy beside the tool, and its bytes before and after the update.
struct ProgramFile {
  const char* name;
  std::string path, shippedPath;
  Bytes before, after, shipped;
};

ProgramFile MakeProgramFile(const char* name, const std::string& shippedPath, const std::string& tag) {
  const Bytes after = VersionedImage({2, 300, 407, 9}, tag);
  return {name, winsim::SystemDirectory() + "\\" + name, shippedPath, VersionedImage({2, 300, 0, 1}, tag), after,
          Compressed(after)};
}

// Made once: building and compressing the images is the slow part of
// arranging a run.
const std::vector<ProgramFile>& ProgramFiles() {
  static const std::vector<ProgramFile> files = {MakeProgramFile("ZAMPUX.DLL", "C:\\KVTOOL\\ZAMPUX.DL_", "dll"),
                                                 MakeProgramFile("ZAMWTQNT.EXE", "C:\\KVTOOL\\ZAMWTQNT.EX_", "exe")};
  return files;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Leaf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

const struct {
  NET_FW_PROFILE_TYPE type;
  const char* name;
} kProfiles[] = {{NET_FW_PROFILE_DOMAIN, "domain"}, {NET_FW_PROFILE_STANDARD, "standard"}};

std::string DescribeFirewall() {
  std::string text;
  for (const auto& profile : kProfiles) {
    text += profile.name;
    for (const winsim::FirewallApp& app : winsim::FirewallApps(profile.type))
      text += " [" + app.name + "|" + Upper(app.imagePath) + "|" + std::to_string(app.scope) + "|" +
              app.remoteAddresses + "|" + (app.enabled ? "on" : "off") + "]";
    text += winsim::FirewallServiceState(profile.type, NET_FW_SERVICE_FILE_AND_PRINT).enabled ? " sharing on;"
                                                                                               : " sharing off;";
  }
  return text;
}

// The firewall work a run ending with 0 must have done, as far as it is not.
std::vector<std::string> FirewallWorkLeft(bool removal) {
  std::vector<std::string> left;
  for (const auto& profile : kProfiles) {
    for (const char* program : {kPanelPath, kServerPath}) {
      const auto app = winsim::FindFirewallApp(profile.type, program);
      if (!removal && !(app && app->enabled))
        left.push_back(Leaf(program) + " is no exception in the " + profile.name + " profile");
      if (removal && app) left.push_back(Leaf(program) + " is still an exception in the " + profile.name + " profile");
    }
    const bool sharing = winsim::FirewallServiceState(profile.type, NET_FW_SERVICE_FILE_AND_PRINT).enabled;
    if (sharing == removal)
      left.push_back(std::string("File and Printer Sharing is ") + (removal ? "still on" : "off") + " in the " +
                     profile.name + " profile");
  }
  return left;
}

// A replacement registered for the next start: `source` onto `target`, or
// the deletion of `source` when `target` is empty; paths upper-cased.
struct Registration {
  std::string source, target;
};

std::vector<Registration> Registrations() {
  std::vector<Registration> found;
  auto bare = [](std::string path) {
    if (!path.empty() && path[0] == '!') path.erase(0, 1);
    if (path.rfind("\\??\\", 0) == 0) path.erase(0, 4);
    return Upper(path);
  };
  for (const winsim::PendingMove& move : winsim::PendingFileRenameOperations())
    found.push_back({bare(move.source), bare(move.target)});
  // The 95 family: lines TARGET=SOURCE of WININIT.INI's [rename] section.
  const std::string ini = winsim::WindowsDirectory() + "\\WININIT.INI";
  std::istringstream lines(winsim::Exists(ini) ? winsim::FileText(ini) : std::string());
  bool inRename = false;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t equals = line.find('=');
    if (!line.empty() && line[0] == '[') {
      inRename = Upper(line) == "[RENAME]";
    } else if (inRename && equals != std::string::npos) {
      const std::string target = Upper(line.substr(0, equals));
      found.push_back({Upper(line.substr(equals + 1)), target == "NUL" ? std::string() : target});
    }
  }
  return found;
}

// Files in the system directory that were not there when the run began.
std::vector<std::string> NewSystemFiles(const Found& found) {
  std::vector<std::string> added;
  for (const std::string& name : winsim::ListDirectory(winsim::SystemDirectory()))
    if (std::find(found.systemFiles.begin(), found.systemFiles.end(), name) == found.systemFiles.end())
      added.push_back(name);
  return added;
}

enum class Content { Missing, Old, New, Other };

Content ContentOf(const ProgramFile& file) {
  if (!winsim::Exists(file.path)) return Content::Missing;
  const Bytes bytes = winsim::FileContent(file.path);
  return bytes == file.before ? Content::Old : bytes == file.after ? Content::New : Content::Other;
}

}  // namespace

Found WholeRunTest::Arrange(const Situation& situation, ScriptedDialogs& user) {
  winsim::Reset();
  if (situation.windows98) winsim::SetOs(winsim::Os::Win98);
  InstallSuite();
  for (const ProgramFile& file : ProgramFiles()) {
    winsim::AddFile(file.path, file.before);
    winsim::AddFile(file.shippedPath, file.shipped);
  }
  if (situation.libraryInUse) winsim::SetInUse(ProgramFiles()[0].path);
  OpenPanel();
  winsim::AddRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZAM\\Kestrovane\\Printers\\LP-1\\Status Variables");
  winsim::AddPrinter("Office A", "ZAM LP-1");
  winsim::AddPrinter("Office B", "ZAM LP-1");
  if (situation.Removal()) {
    for (const auto& profile : kProfiles) {
      winsim::SeedFirewallApp(profile.type, {"Kestrovane", kPanelPath});
      winsim::SeedFirewallApp(profile.type, {"ZAM Network Printer Status Server", kServerPath});
      winsim::SeedFirewallService(profile.type, NET_FW_SERVICE_FILE_AND_PRINT, {true, NET_FW_SCOPE_LOCAL_SUBNET});
    }
    user.Script(kRemovalDialogTemplate, {Click(kRemovePermissionCheckBox), Click(kDisableSharingCheckBox), PressOk()});
  }
  winsim::ClearCallLog();
  return {winsim::ListDirectory(winsim::SystemDirectory()), DescribeFirewall(),
          winsim::ServiceState("ZAMWTQNT") == SERVICE_RUNNING, winsim::WindowCount(kPanelClass, kPanelTitle)};
}

RunResult WholeRunTest::RunTool(const Situation& situation, ScriptedDialogs& user) {
  RunResult result;
  testing::TestPartResultArray failures;
  {
    // A dialog that can never end fails through GoogleTest: it is kept as
    // what this run did wrong instead.
    testing::ScopedFakeTestPartResultReporter reporter(testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS,
                                                       &failures);
    ToolApp app(user, situation.arguments);
    app.InitInstance();
    result.exitCode = app.ExitInstance();
  }
  for (int i = 0; i < failures.size(); ++i) {
    std::string message = failures.GetTestPartResult(i).message();
    if (message.rfind("Failed\n", 0) == 0) message.erase(0, 7);
    result.testFailures.push_back(message.substr(0, message.find('\n')));
  }
  return result;
}

std::vector<std::string> WholeRunTest::BrokenRules(const Situation& situation, const Found& found,
                                                   const RunResult& run, const Allowance& allowance) {
  std::vector<std::string> broken;
  auto rule = [&broken](const std::string& text) { broken.push_back(text); };

  // No hang, nothing leaked. A worker that outlived its run works on a job
  // that is gone: it must never execute again.
  if (winsim::LiveThreadCount() > 0) {
    rule("the run returned while its worker thread still runs");
    winsim::AbandonThreads();
  }
  for (const std::string& failure : run.testFailures) rule(failure);
  for (const std::string& call : winsim::ForeverBlockedCalls()) rule("hangs in " + call);
  for (const std::string& resource : winsim::OpenResources()) rule("left open: " + resource);
  if (winsim::UnbalancedCoUninitializeCount()) rule("CoUninitialize without its CoInitialize");
  if (winsim::ComCallsOutsideApartment()) rule("a COM call outside an apartment");
  if (winsim::InvalidBstrFrees()) rule("a BSTR freed twice");
  if (winsim::NowMs() > kLongestRunMs)
    rule("waited " + std::to_string(winsim::NowMs()) + " ms, more than the tool's waits allow (" +
         std::to_string(kLongestRunMs) + " ms)");

  // The exit code is documented (docs/exit-codes.md), 0 only for the work
  // done, and a failed pre-check changed nothing.
  const bool removal = situation.Removal();
  const std::vector<int> documented = removal ? std::vector<int>{0, 2, 3, 5, 6} : std::vector<int>{0, 2, 3, 4, 6};
  const std::string code = "exit code " + std::to_string(run.exitCode);
  if (std::find(documented.begin(), documented.end(), run.exitCode) == documented.end()) {
    rule(code + ", which is not documented for a " + (removal ? "Removal" : "Setup"));
  } else if (run.exitCode == 0) {
    for (const std::string& left : FirewallWorkLeft(removal)) rule(code + ", but " + left);
  } else if (run.exitCode != 6 && DescribeFirewall() != found.firewall) {
    rule(code + " says nothing was changed, but the firewall settings were");
  }
  for (const auto& profile : kProfiles)
    for (const winsim::FirewallApp& app : winsim::FirewallApps(profile.type))
      if (Upper(app.imagePath) != Upper(kPanelPath) && Upper(app.imagePath) != Upper(kServerPath))
        rule("an exception for \"" + app.imagePath + "\" in the " + profile.name + " profile");

  // The suite as found or better.
  const DWORD server = winsim::ServiceState("ZAMWTQNT");
  if (found.serverRunning && server != SERVICE_RUNNING && !allowance.serverMayStayStopped)
    rule("the status server is left " +
         (server == SERVICE_STOPPED ? std::string("stopped") : "in state " + std::to_string(server)));
  const int panels = winsim::WindowCount(kPanelClass, kPanelTitle);
  if (panels > found.panels) rule(std::to_string(panels) + " status panels are open");
  if (panels < found.panels && !allowance.panelMayStayClosed) rule("the status panel is left closed");

  // Each installed file is its old bytes, its new bytes, or its old bytes
  // with a registration for the next start whose staging copy holds the new
  // bytes; no other file is left beside it.
  const std::vector<Registration> registrations = Registrations();
  std::vector<Content> before;
  std::vector<bool> registered;
  for (const ProgramFile& file : ProgramFiles()) {
    const Content content = ContentOf(file);
    before.push_back(content);
    if (content == Content::Missing) rule(std::string(file.name) + " is missing");
    if (content == Content::Other) rule(std::string(file.name) + " holds neither its old nor its new bytes");
    bool named = false;
    for (const Registration& r : registrations) {
      if (r.source == Upper(file.path) && r.target.empty()) named = true;
      if (r.target != Upper(file.path)) continue;
      named = true;
      if (!winsim::Exists(r.source))
        rule(std::string(file.name) + " waits for " + Leaf(r.source) + ", which is missing");
      else if (winsim::FileContent(r.source) != file.after)
        rule(std::string(file.name) + " waits for " + Leaf(r.source) + ", which does not hold the new bytes");
    }
    registered.push_back(named);
  }
  for (const std::string& name : NewSystemFiles(found)) {
    const std::string path = Upper(winsim::SystemDirectory() + "\\" + name);
    if (std::none_of(registrations.begin(), registrations.end(),
                     [&path](const Registration& r) { return r.source == path; }))
      rule("a stray " + name + " is left in the system directory");
  }
  // A restart is requested for files that wait for it, and only for them; a
  // leftover copy whose deletion waits for the next start needs none.
  if (!removal && run.exitCode == 0) {
    const bool requested = !winsim::RestartRequests().empty();
    const bool waiting = std::any_of(registrations.begin(), registrations.end(),
                                     [](const Registration& r) { return !r.target.empty(); });
    if (requested && !waiting) rule("a restart is requested, but nothing waits for it");
    if (!requested && waiting && !allowance.restartMayBeMissing)
      rule("files wait for the next start, but no restart is requested");
  }

  // After the restart each file is its old or its new bytes, the new ones
  // wherever a replacement was registered, and nothing is left beside it.
  winsim::SimulateRestart();
  for (size_t row = 0; row < ProgramFiles().size(); ++row) {
    const ProgramFile& file = ProgramFiles()[row];
    const Content after = ContentOf(file);
    const Content expected = before[row] == Content::New || registered[row] ? Content::New : Content::Old;
    if (after == expected || before[row] == Content::Other) continue;
    if (after == Content::Missing)
      rule(std::string("after the restart ") + file.name + " is missing");
    else if (expected == Content::New)
      rule(std::string("after the restart ") + file.name +
           " still holds its old bytes (its registration does not replace it)");
    else
      rule(std::string("after the restart ") + file.name + " holds other bytes than before it");
  }
  for (const std::string& name : NewSystemFiles(found))
    rule("after the restart a stray " + name + " is left in the system directory");
  return broken;
}
