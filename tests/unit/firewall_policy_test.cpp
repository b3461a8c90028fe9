// Firewall policy access: call order, release order and the results of the
// seven operations. SimTest checks after every test and every row (its
// FreshMachine) that each interface was released and COM left balanced.
#include <string>
#include <vector>

#include "firewall/bstr.h"
#include "firewall/firewall_policy.h"
#include "sim_fixture.h"
#include "winsim/firewall_control.h"

namespace {

const HRESULT kFault = E_ACCESSDENIED;
const char* const kPath = "C:\\Apps\\Panel.exe";

class FirewallPolicyTest : public SimTest {
 protected:
  static kv::Bstr Text(const char16_t* text) { return kv::Bstr(SysAllocString(text)); }

  static void Seed(NET_FW_PROFILE_TYPE profile, NET_FW_SCOPE scope, bool enabled,
                   NET_FW_IP_VERSION ip = NET_FW_IP_VERSION_ANY) {
    winsim::SeedFirewallApp(profile, {"Old name", kPath, ip, scope, "", enabled});
  }

  // The COM and firewall calls, in order.
  static std::vector<std::string> Trace() {
    std::vector<std::string> names;
    for (const winsim::Call& call : winsim::CallLog())
      if (call.name.rfind("Co", 0) == 0 || call.name.find("::") != std::string::npos) names.push_back(call.name);
    return names;
  }
  static size_t Count(const std::string& name) { return winsim::CallsTo(name).size(); }

  // Authorizes kPath with the given choices.
  static HRESULT Authorize(NET_FW_PROFILE_TYPE profile, NET_FW_SCOPE scope, BOOL enable,
                           const char16_t* remote = nullptr) {
    kv::Bstr name = Text(u"New name"), path = Text(u"C:\\Apps\\Panel.exe"), list;
    if (remote) list = Text(remote);
    return AuthorizeApplication(profile, name.get(), path.get(), NET_FW_IP_VERSION_ANY, scope, list.get(), enable);
  }
  static HRESULT Remove(NET_FW_PROFILE_TYPE profile) {
    kv::Bstr path = Text(u"c:\\apps\\panel.exe");
    return RemoveAuthorizedApplication(profile, path.get());
  }
  static BOOL Listed(NET_FW_PROFILE_TYPE profile) {
    kv::Bstr path = Text(u"C:\\APPS\\PANEL.EXE");
    return IsApplicationListed(profile, path.get());
  }
};

// On a thread that someone else initialised, an operation's own
// CoInitialize gives S_FALSE and is balanced, and a failed one is not: the
// thread stays initialised either way.
TEST_F(FirewallPolicyTest, TheCallersApartmentStays) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(ProbeFirewallPolicy(), S_OK);
  EXPECT_EQ(Count("CoUninitialize"), 1u);
  EXPECT_EQ(winsim::ComInitCount(), 1);

  winsim::InjectFault("CoInitialize", E_OUTOFMEMORY);
  winsim::ClearCallLog();
  kv::Bstr path = Text(u"C:\\Apps\\Panel.exe");
  EXPECT_EQ(ProbeFirewallPolicy(), E_OUTOFMEMORY);
  EXPECT_EQ(Authorize(NET_FW_PROFILE_DOMAIN, NET_FW_SCOPE_ALL, 1), E_OUTOFMEMORY);
  EXPECT_EQ(RemoveAuthorizedApplication(NET_FW_PROFILE_DOMAIN, path.get()), E_OUTOFMEMORY);
  EXPECT_EQ(SetFirewallService(NET_FW_PROFILE_DOMAIN, NET_FW_SERVICE_FILE_AND_PRINT, 1), E_OUTOFMEMORY);
  EXPECT_EQ(IsApplicationListed(NET_FW_PROFILE_DOMAIN, path.get()), 0);
  // Nothing but the five attempts to initialise.
  EXPECT_EQ(Trace(), std::vector<std::string>(5, "CoInitialize"));
  EXPECT_EQ(winsim::ComInitCount(), 1);
  CoUninitialize();
}

// ---- AuthorizeApplication --------------------------------------------------

TEST_F(FirewallPolicyTest, NewEntryIsBuiltAndAddedInOrder) {
  EXPECT_EQ(Authorize(NET_FW_PROFILE_STANDARD, NET_FW_SCOPE_LOCAL_SUBNET, 1), S_OK);

  const std::vector<std::string> expected = {
      "CoInitialize", "CoCreateInstance", "INetFwMgr::get_LocalPolicy", "INetFwPolicy::GetProfileByType",
      "INetFwPolicy::Release", "INetFwMgr::Release", "INetFwProfile::get_AuthorizedApplications",
      "INetFwAuthorizedApplications::Item", "CoCreateInstance", "INetFwAuthorizedApplication::put_Name",
      "INetFwAuthorizedApplication::put_ProcessImageFileName", "INetFwAuthorizedApplication::put_IpVersion",
      "INetFwAuthorizedApplication::put_Scope", "INetFwAuthorizedApplication::put_Enabled",
      "INetFwAuthorizedApplications::Add", "INetFwAuthorizedApplication::Release",
      "INetFwAuthorizedApplications::Release", "INetFwProfile::Release", "CoUninitialize"};
  EXPECT_EQ(Trace(), expected);
  EXPECT_EQ(winsim::CallsTo("CoCreateInstance").at(1).args,
            (std::vector<std::string>{"{EC9846B3-2762-4A6B-A214-6ACB603462D2}", "NULL", "0x1",
                                      "{B5E64FFA-C2C5-444E-A301-FB5E00018050}"}));

  const auto app = winsim::FindFirewallApp(NET_FW_PROFILE_STANDARD, kPath);
  ASSERT_TRUE(app);
  EXPECT_EQ(app->name, "New name");
  EXPECT_EQ(app->ipVersion, NET_FW_IP_VERSION_ANY);  // scope and state: NewEntryTakesTheScopeAndStateAsked
  EXPECT_FALSE(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, kPath));
}

// A custom scope is made by the address list alone (the firewall refuses a
// custom Scope value); the other scopes never write the list.
TEST_F(FirewallPolicyTest, NewEntryTakesTheScopeAndStateAsked) {
  const struct {
    NET_FW_SCOPE scope;
    BOOL enable;
    const char* addresses;  // as stored
    size_t scopeWrites, listWrites;
  } cases[] = {
      {NET_FW_SCOPE_ALL, 0, "*", 1, 0},
      {NET_FW_SCOPE_CUSTOM, 1, "10.1.2.3", 0, 1},
      {NET_FW_SCOPE_ALL, 1, "*", 1, 0},
      {NET_FW_SCOPE_LOCAL_SUBNET, 1, "LocalSubNet", 1, 0},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SCOPED_TRACE(std::to_string(c.scope) + (c.enable ? " enabled" : " disabled"));
    EXPECT_EQ(Authorize(NET_FW_PROFILE_DOMAIN, c.scope, c.enable, u"10.1.2.3"), S_OK);
    EXPECT_EQ(Count("INetFwAuthorizedApplication::put_Scope"), c.scopeWrites);
    EXPECT_EQ(Count("INetFwAuthorizedApplication::put_RemoteAddresses"), c.listWrites);
    const auto app = winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, kPath);
    ASSERT_TRUE(app);
    EXPECT_EQ(app->scope, c.scope);
    EXPECT_EQ(app->remoteAddresses, c.addresses);
    EXPECT_EQ(app->enabled, c.enable != 0);
  }
}

// A listed entry is switched, never re-created: its name, IP version and
// address list stay, and its scope is written only when enabling with all or
// local subnet.
TEST_F(FirewallPolicyTest, ExistingEntryIsSwitchedNotRecreated) {
  const struct {
    NET_FW_SCOPE seeded, asked;
    BOOL enable;
    NET_FW_SCOPE scope;
    size_t scopeWrites;
  } cases[] = {
      {NET_FW_SCOPE_LOCAL_SUBNET, NET_FW_SCOPE_ALL, 1, NET_FW_SCOPE_ALL, 1},
      {NET_FW_SCOPE_ALL, NET_FW_SCOPE_LOCAL_SUBNET, 0, NET_FW_SCOPE_ALL, 0},
      {NET_FW_SCOPE_CUSTOM, NET_FW_SCOPE_CUSTOM, 1, NET_FW_SCOPE_CUSTOM, 0},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SCOPED_TRACE(std::to_string(c.seeded) + " asked " + std::to_string(c.asked) + (c.enable ? " on" : " off"));
    winsim::SeedFirewallApp(NET_FW_PROFILE_DOMAIN,
                            {"Old name", kPath, NET_FW_IP_VERSION_V4, c.seeded, "10.0.0.1", !c.enable});
    EXPECT_EQ(Authorize(NET_FW_PROFILE_DOMAIN, c.asked, c.enable, u"192.168.0.1"), S_OK);
    const auto app = winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, kPath);
    ASSERT_TRUE(app);
    EXPECT_EQ(app->enabled, c.enable != 0);
    EXPECT_EQ(app->scope, c.scope);
    EXPECT_EQ(app->name, "Old name");
    EXPECT_EQ(app->ipVersion, NET_FW_IP_VERSION_V4);
    if (c.scope == NET_FW_SCOPE_CUSTOM) {
      EXPECT_EQ(app->remoteAddresses, "10.0.0.1");
    }
    EXPECT_EQ(Count("INetFwAuthorizedApplication::put_Scope"), c.scopeWrites);
    EXPECT_EQ(Count("CoCreateInstance"), 1u);  // the manager only
    for (const char* call : {"INetFwAuthorizedApplications::Add", "INetFwAuthorizedApplications::Remove",
                             "INetFwAuthorizedApplication::put_Name", "INetFwAuthorizedApplication::put_RemoteAddresses"})
      EXPECT_EQ(Count(call), 0u) << call;
  }
}

TEST_F(FirewallPolicyTest, AnyItemFailureBuildsANewEntry) {
  Seed(NET_FW_PROFILE_DOMAIN, NET_FW_SCOPE_LOCAL_SUBNET, false);
  winsim::InjectFault("INetFwAuthorizedApplications::Item", kFault);
  EXPECT_EQ(Authorize(NET_FW_PROFILE_DOMAIN, NET_FW_SCOPE_ALL, 1), S_OK);
  // Add overwrites the listed entry with every value of the new one.
  const auto app = winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, kPath);
  EXPECT_EQ(app->name, "New name");
  EXPECT_EQ(winsim::FirewallApps(NET_FW_PROFILE_DOMAIN).size(), 1u);
}

TEST_F(FirewallPolicyTest, AuthorizeFailureAtEachStep) {
  const struct {
    const char* call;
    const char* match;
    bool existing;
  } steps[] = {
      {"CoCreateInstance", "304CE942", false},
      {"INetFwMgr::get_LocalPolicy", "", false},
      {"INetFwPolicy::GetProfileByType", "", false},
      {"INetFwProfile::get_AuthorizedApplications", "", false},
      {"CoCreateInstance", "EC9846B3", false},
      {"INetFwAuthorizedApplication::put_Name", "", false},
      {"INetFwAuthorizedApplication::put_ProcessImageFileName", "", false},
      {"INetFwAuthorizedApplication::put_IpVersion", "", false},
      {"INetFwAuthorizedApplication::put_Scope", "", false},
      {"INetFwAuthorizedApplication::put_Enabled", "", false},
      {"INetFwAuthorizedApplications::Add", "", false},
      {"INetFwAuthorizedApplication::put_Enabled", "", true},
      {"INetFwAuthorizedApplication::put_Scope", "", true},
  };
  for (const auto& step : steps) {
    FreshMachine();
    SCOPED_TRACE(std::string(step.call) + (step.existing ? " (existing)" : " (new)"));
    if (step.existing) Seed(NET_FW_PROFILE_DOMAIN, NET_FW_SCOPE_LOCAL_SUBNET, false);
    winsim::InjectFault(step.call, kFault, step.match);
    EXPECT_EQ(Authorize(NET_FW_PROFILE_DOMAIN, NET_FW_SCOPE_ALL, 1), kFault);
    const auto app = winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, kPath);
    EXPECT_EQ(app.has_value(), step.existing);
    if (app) {
      EXPECT_EQ(app->scope, NET_FW_SCOPE_LOCAL_SUBNET);  // a failed switch writes no scope
    }
  }
}

// ---- RemoveAuthorizedApplication -------------------------------------------

// Only "not listed" (0x80070002) from Item skips Remove; any other Item
// failure still leads to Remove, whose result is returned.
TEST_F(FirewallPolicyTest, RemoveAsksRemoveUnlessTheEntryIsNotListed) {
  const HRESULT kNotListed = static_cast<HRESULT>(0x80070002L);
  const struct {
    const char* name;
    bool listed;
    HRESULT itemError, removeError, result;
    bool removeCalled;
  } cases[] = {
      {"listed", true, S_OK, S_OK, S_OK, true},
      {"not listed", false, S_OK, S_OK, S_OK, false},
      {"Item answers not listed", true, kNotListed, S_OK, S_OK, false},
      {"Item fails otherwise", true, kFault, S_OK, S_OK, true},
      {"Item and Remove fail", true, kFault, E_UNEXPECTED, E_UNEXPECTED, true},
  };
  for (const auto& c : cases) {
    FreshMachine();
    SCOPED_TRACE(c.name);
    if (c.listed) Seed(NET_FW_PROFILE_DOMAIN, NET_FW_SCOPE_ALL, true);
    Seed(NET_FW_PROFILE_STANDARD, NET_FW_SCOPE_ALL, true);
    if (c.itemError != S_OK) winsim::InjectFault("INetFwAuthorizedApplications::Item", c.itemError);
    if (c.removeError != S_OK) winsim::InjectFault("INetFwAuthorizedApplications::Remove", c.removeError);
    EXPECT_EQ(Remove(NET_FW_PROFILE_DOMAIN), c.result);
    EXPECT_EQ(Count("INetFwAuthorizedApplications::Remove"), c.removeCalled ? 1u : 0u);
    EXPECT_EQ(winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, kPath).has_value(),
              c.listed && !(c.removeCalled && c.result == S_OK));
    EXPECT_TRUE(winsim::FindFirewallApp(NET_FW_PROFILE_STANDARD, kPath));
    const std::vector<std::string> trace = Trace();
    const std::vector<std::string> tail = {"INetFwAuthorizedApplications::Release", "INetFwProfile::Release",
                                           "CoUninitialize"};
    ASSERT_GE(trace.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(trace.end() - tail.size(), trace.end()), tail);
  }
}

// ---- SetFirewallService ----------------------------------------------------

TEST_F(FirewallPolicyTest, EnablingAServiceOpensItToAll) {
  EXPECT_EQ(SetFirewallService(NET_FW_PROFILE_DOMAIN, NET_FW_SERVICE_FILE_AND_PRINT, 1), S_OK);
  auto state = winsim::FirewallServiceState(NET_FW_PROFILE_DOMAIN, NET_FW_SERVICE_FILE_AND_PRINT);
  EXPECT_TRUE(state.enabled);
  EXPECT_EQ(state.scope, NET_FW_SCOPE_ALL);
  EXPECT_FALSE(winsim::FirewallServiceState(NET_FW_PROFILE_STANDARD, NET_FW_SERVICE_FILE_AND_PRINT).enabled);
  const std::vector<std::string> tail = {"INetFwService::put_Enabled", "INetFwService::put_Scope",
                                         "INetFwService::Release", "INetFwServices::Release",
                                         "INetFwProfile::Release", "CoUninitialize"};
  const std::vector<std::string> trace = Trace();
  EXPECT_EQ(std::vector<std::string>(trace.end() - tail.size(), trace.end()), tail);
  EXPECT_EQ(winsim::CallsTo("INetFwService::put_Enabled").at(0).args.at(1), "-1");
}

TEST_F(FirewallPolicyTest, DisablingAServiceKeepsItsScope) {
  winsim::SeedFirewallService(NET_FW_PROFILE_STANDARD, NET_FW_SERVICE_FILE_AND_PRINT, {true, NET_FW_SCOPE_LOCAL_SUBNET});
  EXPECT_EQ(SetFirewallService(NET_FW_PROFILE_STANDARD, NET_FW_SERVICE_FILE_AND_PRINT, 0), S_OK);
  auto state = winsim::FirewallServiceState(NET_FW_PROFILE_STANDARD, NET_FW_SERVICE_FILE_AND_PRINT);
  EXPECT_FALSE(state.enabled);
  EXPECT_EQ(state.scope, NET_FW_SCOPE_LOCAL_SUBNET);
  EXPECT_EQ(Count("INetFwService::put_Scope"), 0u);
}

TEST_F(FirewallPolicyTest, ServiceFailureAtEachStep) {
  for (const char* call : {"CoInitialize", "CoCreateInstance", "INetFwMgr::get_LocalPolicy",
                           "INetFwPolicy::GetProfileByType", "INetFwProfile::get_Services", "INetFwServices::Item",
                           "INetFwService::put_Enabled", "INetFwService::put_Scope"}) {
    FreshMachine();
    SCOPED_TRACE(call);
    winsim::InjectFault(call, kFault);
    EXPECT_EQ(SetFirewallService(NET_FW_PROFILE_DOMAIN, NET_FW_SERVICE_FILE_AND_PRINT, 1), kFault);
    // Nothing follows the failing call: a failed switch writes no scope.
    EXPECT_EQ(Count("INetFwService::put_Scope"), std::string(call) == "INetFwService::put_Scope" ? 1u : 0u);
  }
}

// ---- ProbeFirewallPolicy and IsApplicationListed ---------------------------

TEST_F(FirewallPolicyTest, ProbeOpensTheCurrentProfile) {
  EXPECT_EQ(ProbeFirewallPolicy(), S_OK);
  EXPECT_EQ(winsim::CallsTo("INetFwPolicy::GetProfileByType").at(0).args.at(0), "2");

  winsim::SetFirewallInstalled(false);
  EXPECT_EQ(ProbeFirewallPolicy(), REGDB_E_CLASSNOTREG);
  winsim::SetFirewallInstalled(true);
  winsim::InjectFault("INetFwPolicy::GetProfileByType", E_NOTIMPL);
  EXPECT_EQ(ProbeFirewallPolicy(), E_NOTIMPL);
}

TEST_F(FirewallPolicyTest, ListedMeansPresentEvenWhenDisabled) {
  EXPECT_EQ(Listed(NET_FW_PROFILE_DOMAIN), 0);
  Seed(NET_FW_PROFILE_DOMAIN, NET_FW_SCOPE_ALL, false);
  EXPECT_EQ(Listed(NET_FW_PROFILE_DOMAIN), 1);
  EXPECT_EQ(Listed(NET_FW_PROFILE_STANDARD), 0);
  EXPECT_EQ(Count("INetFwAuthorizedApplication::get_Enabled"), 0u);  // properties are not read

  for (const char* call : {"CoInitialize", "CoCreateInstance", "INetFwPolicy::GetProfileByType",
                           "INetFwProfile::get_AuthorizedApplications", "INetFwAuthorizedApplications::Item"}) {
    SCOPED_TRACE(call);
    winsim::ClearFaults();
    winsim::InjectFault(call, kFault);
    EXPECT_EQ(Listed(NET_FW_PROFILE_DOMAIN), 0);
  }
}

}  // namespace
