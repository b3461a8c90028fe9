// The suite's firewall exceptions: the order of the six changes, the scope
// choice, presence checks, removal, and rows that cannot be converted. How an
// existing entry is switched on, and the availability check, are the
// policy's (firewall_policy_test.cpp); SimTest checks COM and BSTRs after
// every test and row.
#include <string>
#include <vector>

#include "firewall/firewall_setting.h"
#include "sim_fixture.h"
#include "winsim/firewall_control.h"

namespace {

const HRESULT kFault = E_ACCESSDENIED;
const NET_FW_PROFILE_TYPE kProfiles[] = {NET_FW_PROFILE_DOMAIN, NET_FW_PROFILE_STANDARD};

class FirewallSettingTest : public SimTest {
 protected:
  static std::string PanelPath() { return winsim::SystemDirectory() + "\\zambaz.exe"; }
  static std::string ServerPath() { return winsim::SystemDirectory() + "\\zamwtqnt.exe"; }

  // What each firewall operation worked on, in order: "path/PROFILE" for an
  // application, "F&P/PROFILE" for File and Printer Sharing.
  static std::vector<std::string> Targets() {
    std::vector<std::string> targets;
    for (const winsim::Call& call : winsim::CallLog()) {
      if (call.name == "INetFwAuthorizedApplications::Item")
        targets.push_back(call.args[0].substr(1, call.args[0].size() - 2) + "/" + call.args[1]);
      else if (call.name == "INetFwServices::Item")
        targets.push_back("F&P/" + call.args[0]);
    }
    return targets;
  }

  static void ExpectAuthorized(NET_FW_PROFILE_TYPE profile, const std::string& path, const std::string& name,
                               NET_FW_SCOPE scope) {
    const auto app = winsim::FindFirewallApp(profile, path);
    ASSERT_TRUE(app) << path << " in profile " << profile;
    EXPECT_EQ(app->name, name);
    EXPECT_EQ(app->imagePath, path);
    EXPECT_EQ(app->ipVersion, NET_FW_IP_VERSION_ANY);
    EXPECT_EQ(app->scope, scope);
    EXPECT_TRUE(app->enabled);
  }

  static void ExpectSharingOpen(NET_FW_PROFILE_TYPE profile) {
    const auto state = winsim::FirewallServiceState(profile, NET_FW_SERVICE_FILE_AND_PRINT);
    EXPECT_TRUE(state.enabled) << profile;
    EXPECT_EQ(state.scope, NET_FW_SCOPE_ALL) << profile;
  }

  static void SeedSuite() {
    for (NET_FW_PROFILE_TYPE profile : kProfiles) {
      winsim::SeedFirewallApp(profile, {"Kestrovane", PanelPath(), NET_FW_IP_VERSION_ANY, NET_FW_SCOPE_ALL, "", true});
      winsim::SeedFirewallApp(profile, {"Server", ServerPath(), NET_FW_IP_VERSION_ANY, NET_FW_SCOPE_ALL, "", true});
    }
  }

  FirewallSetting setting;
};

// ---- AddSuiteExceptions ----------------------------------------------------

// Both programs in both profiles, then File and Printer Sharing, open to all
// whatever the scope chosen for the programs.
TEST_F(FirewallSettingTest, AddMakesTheSixChangesInOrderWithTheScopeChosen) {
  const std::vector<std::string> order = {PanelPath() + "/DOMAIN",  PanelPath() + "/STANDARD", ServerPath() + "/DOMAIN",
                                          ServerPath() + "/STANDARD", "F&P/DOMAIN",             "F&P/STANDARD"};
  for (BOOL choice : {1, -1, 0}) {
    FreshMachine();
    SCOPED_TRACE(choice);
    setting.SetScopeAny(choice);
    EXPECT_EQ(setting.AddSuiteExceptions(), 0);
    EXPECT_EQ(Targets(), order);
    const NET_FW_SCOPE scope = choice ? NET_FW_SCOPE_ALL : NET_FW_SCOPE_LOCAL_SUBNET;
    for (NET_FW_PROFILE_TYPE profile : kProfiles) {
      ExpectAuthorized(profile, PanelPath(), "Kestrovane", scope);
      ExpectAuthorized(profile, ServerPath(), "ZAM Network Printer Status Server", scope);
      ExpectSharingOpen(profile);
    }
    // Never a remote-address list: the programs are passed none.
    EXPECT_TRUE(winsim::CallsTo("INetFwAuthorizedApplication::put_RemoteAddresses").empty());
  }
}

TEST_F(FirewallSettingTest, EveryChangeIsTriedAfterAFailure) {
  // The n-th change opens the n-th profile; make exactly that one fail.
  for (int failing = 0; failing < 6; ++failing) {
    FreshMachine();
    SCOPED_TRACE(failing);
    winsim::InjectFault("INetFwPolicy::GetProfileByType", kFault, "", failing, 1);
    EXPECT_EQ(setting.AddSuiteExceptions(), -1);
    EXPECT_EQ(winsim::CallsTo("INetFwPolicy::GetProfileByType").size(), 6u);
    for (int change = 0; change < 4; ++change) {
      const NET_FW_PROFILE_TYPE profile = kProfiles[change % 2];
      const std::string path = change < 2 ? PanelPath() : ServerPath();
      EXPECT_EQ(winsim::FindFirewallApp(profile, path).has_value(), change != failing) << change;
    }
    for (int change = 4; change < 6; ++change) {
      const auto state = winsim::FirewallServiceState(kProfiles[change % 2], NET_FW_SERVICE_FILE_AND_PRINT);
      EXPECT_EQ(state.enabled, change != failing) << change;
    }
  }
}

TEST_F(FirewallSettingTest, StringsAreFreedRowByRow) {
  EXPECT_EQ(setting.AddSuiteExceptions(), 0);
  const std::vector<winsim::Call> log = winsim::CallLog();
  std::vector<size_t> frees, opens;
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i].name == "SysFreeString") frees.push_back(i);
    if (log[i].name == "INetFwPolicy::GetProfileByType") opens.push_back(i);
  }
  ASSERT_EQ(frees.size(), 4u);
  ASSERT_EQ(opens.size(), 6u);
  // Row 1's two strings go after its second profile and before row 2.
  EXPECT_GT(frees[0], opens[1]);
  EXPECT_LT(frees[1], opens[2]);
  EXPECT_GT(frees[2], opens[3]);
  EXPECT_LT(frees[3], opens[4]);
}

// Running out of memory while converting a row fails that row only.
TEST_F(FirewallSettingTest, AddWithAnUnconvertibleRow) {
  // Allocations in order: row 1 name, row 1 path, row 2 name, row 2 path.
  for (int failing = 0; failing < 4; ++failing) {
    FreshMachine();
    SCOPED_TRACE(failing);
    winsim::InjectFault("SysAllocStringLen", E_OUTOFMEMORY, "", failing, 1);
    EXPECT_EQ(setting.AddSuiteExceptions(), -1);
    const bool panelFailed = failing < 2;
    for (NET_FW_PROFILE_TYPE profile : kProfiles) {
      EXPECT_EQ(winsim::FindFirewallApp(profile, PanelPath()).has_value(), !panelFailed);
      EXPECT_EQ(winsim::FindFirewallApp(profile, ServerPath()).has_value(), panelFailed);
      ExpectSharingOpen(profile);
    }
  }
  FreshMachine();
  // Two conversions a string (length, then text): the 7th is row 2's path.
  winsim::InjectFault("MultiByteToWideChar", 1113, "", 6, 1);  // no translation
  EXPECT_EQ(setting.AddSuiteExceptions(), -1);
  EXPECT_TRUE(winsim::FindFirewallApp(NET_FW_PROFILE_STANDARD, PanelPath()));
  EXPECT_FALSE(winsim::FindFirewallApp(NET_FW_PROFILE_STANDARD, ServerPath()));

  // Without the Windows directory the panel's path has no drive: no entry
  // is made for it at all.
  FreshMachine();
  winsim::InjectFault("GetWindowsDirectoryA", ERROR_NOT_ENOUGH_MEMORY, "", 0, 1);
  EXPECT_EQ(setting.AddSuiteExceptions(), -1);
  for (NET_FW_PROFILE_TYPE profile : kProfiles) {
    EXPECT_EQ(winsim::FirewallApps(profile).size(), 1u);
    EXPECT_TRUE(winsim::FindFirewallApp(profile, ServerPath()));
    ExpectSharingOpen(profile);
  }
}

TEST_F(FirewallSettingTest, DoubleByteWindowsDirectory) {
  // Code page 932: the second byte of 0x95 0x5C is not a backslash.
  winsim::SetWindowsDirectory("C:\\\x95\x5C\x8E\xA6");
  EXPECT_EQ(setting.AddSuiteExceptions(), 0);
  const std::string wide = "C:\\\xE8\xA1\xA8\xE7\xA4\xBA\\system32\\zambaz.exe";  // as UTF-8
  EXPECT_TRUE(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, wide));
  EXPECT_EQ(setting.HasSuiteExceptions(), 1);
}

// ---- HasSuiteExceptions ----------------------------------------------------

// Both profiles are asked for a row, and a listed row ends the search; only
// presence counts, not File and Printer Sharing. A firewall that cannot be
// opened counts as not listed.
TEST_F(FirewallSettingTest, HasAsksRowByRowUntilOneIsListed) {
  using Arrange = void (*)();
  const struct {
    const char* name;
    Arrange arrange;
    BOOL result;
    const char* rowsAsked;  // the rows whose path was looked up, in both profiles
  } cases[] = {
      {"nothing listed, sharing on",
       [] { winsim::SeedFirewallService(NET_FW_PROFILE_DOMAIN, NET_FW_SERVICE_FILE_AND_PRINT, {true, NET_FW_SCOPE_ALL}); },
       0, "12"},
      {"row 2 in the standard profile only",
       [] { winsim::SeedFirewallApp(NET_FW_PROFILE_STANDARD, {"Server", ServerPath(), NET_FW_IP_VERSION_ANY, NET_FW_SCOPE_ALL, "", true}); },
       1, "12"},
      {"row 1 disabled in the domain profile",
       [] { winsim::SeedFirewallApp(NET_FW_PROFILE_DOMAIN, {"Kestrovane", PanelPath(), NET_FW_IP_VERSION_ANY, NET_FW_SCOPE_ALL, "", false}); },
       1, "1"},
      {"firewall missing", [] { SeedSuite(); winsim::SetFirewallInstalled(false); }, 0, ""},
      // A row that cannot be asked about may be listed: the search ends.
      {"row 1 unconvertible", [] { winsim::InjectFault("SysAllocStringLen", E_OUTOFMEMORY, "", 0, 1); }, 1, ""},
      {"row 2 without its directory", [] { winsim::InjectFault("GetWindowsDirectoryA", ERROR_NOT_ENOUGH_MEMORY, "", 1, 1); }, 1, "1"},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SCOPED_TRACE(c.name);
    c.arrange();
    EXPECT_EQ(setting.HasSuiteExceptions(), c.result);
    std::vector<std::string> asked;
    for (const char* row = c.rowsAsked; *row; ++row)
      for (const char* profile : {"/DOMAIN", "/STANDARD"}) asked.push_back((*row == '1' ? PanelPath() : ServerPath()) + profile);
    EXPECT_EQ(Targets(), asked);
  }
}

// ---- RemoveSuiteExceptions -------------------------------------------------

TEST_F(FirewallSettingTest, RemoveLeavesOtherProgramsAndSharing) {
  SeedSuite();
  winsim::SeedFirewallApp(NET_FW_PROFILE_DOMAIN, {"Other", "C:\\other.exe", NET_FW_IP_VERSION_ANY, NET_FW_SCOPE_ALL, "", true});
  winsim::SeedFirewallService(NET_FW_PROFILE_DOMAIN, NET_FW_SERVICE_FILE_AND_PRINT, {true, NET_FW_SCOPE_ALL});
  EXPECT_EQ(setting.RemoveSuiteExceptions(), 0);
  const std::vector<std::string> expected = {PanelPath() + "/DOMAIN", PanelPath() + "/STANDARD",
                                             ServerPath() + "/DOMAIN", ServerPath() + "/STANDARD"};
  EXPECT_EQ(Targets(), expected);
  EXPECT_EQ(winsim::FirewallApps(NET_FW_PROFILE_DOMAIN).size(), 1u);
  EXPECT_TRUE(winsim::FirewallApps(NET_FW_PROFILE_STANDARD).empty());
  EXPECT_TRUE(winsim::FirewallServiceState(NET_FW_PROFILE_DOMAIN, NET_FW_SERVICE_FILE_AND_PRINT).enabled);
  EXPECT_EQ(setting.RemoveSuiteExceptions(), 0) << "absent entries count as removed";
}

TEST_F(FirewallSettingTest, RemoveTriesEverythingAfterAFailure) {
  SeedSuite();
  setting.SetDisableFileAndPrintSharing(1);
  winsim::InjectFault("INetFwAuthorizedApplications::Remove", kFault, "zambaz", 0, 1);
  EXPECT_EQ(setting.RemoveSuiteExceptions(), -1);
  EXPECT_TRUE(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, PanelPath()));
  EXPECT_FALSE(winsim::FindFirewallApp(NET_FW_PROFILE_STANDARD, PanelPath()));
  EXPECT_TRUE(winsim::FirewallApps(NET_FW_PROFILE_STANDARD).empty());
  EXPECT_EQ(winsim::FirewallApps(NET_FW_PROFILE_DOMAIN).size(), 1u);
  EXPECT_EQ(winsim::CallsTo("INetFwService::put_Enabled").size(), 2u);

  // A row that cannot be converted, or whose directory cannot be read, is a
  // failed removal; the next row goes on.
  for (const char* call : {"SysAllocStringLen", "GetWindowsDirectoryA"}) {
    FreshMachine();
    SeedSuite();
    winsim::InjectFault(call, call[0] == 'S' ? E_OUTOFMEMORY : ERROR_NOT_ENOUGH_MEMORY, "", 0, 1);
    EXPECT_EQ(setting.RemoveSuiteExceptions(), -1) << call;
    EXPECT_TRUE(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, PanelPath())) << call;
    EXPECT_FALSE(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, ServerPath())) << call;
  }

  FreshMachine();
  setting.SetDisableFileAndPrintSharing(1);
  winsim::InjectFault("INetFwService::put_Enabled", kFault, "DOMAIN");
  EXPECT_EQ(setting.RemoveSuiteExceptions(), -1);
  EXPECT_EQ(winsim::CallsTo("INetFwService::put_Enabled").size(), 2u);
}

}  // namespace
