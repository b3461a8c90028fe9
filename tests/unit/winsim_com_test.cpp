// The simulated COM and Windows Firewall behave as Windows XP SP2 does for
// the calls the tool makes.
#include <thread>

#include "sim_fixture.h"
#include "win32api.h"
#include "winsim/firewall_control.h"

namespace {

const HRESULT kNotListed = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

class WinsimComTest : public SimTest {};

// ---- Apartments ------------------------------------------------------------

// S_OK, then S_FALSE, and S_OK again once balanced are compared with Wine by
// the probe; a thread's count is its own.
TEST_F(WinsimComTest, CoInitializeCountsPerThread) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  HRESULT otherThreadResult = E_FAIL;
  std::thread other([&] {
    otherThreadResult = CoInitialize(nullptr);
    CoUninitialize();
  });
  other.join();
  EXPECT_EQ(otherThreadResult, S_OK);
  EXPECT_EQ(winsim::ComInitCount(), 1);
  CoUninitialize();
}

TEST_F(WinsimComTest, FailedOrExtraInitialisationIsVisible) {
  winsim::InjectFault("CoInitialize", E_OUTOFMEMORY, "", 0, 1);
  EXPECT_EQ(CoInitialize(nullptr), E_OUTOFMEMORY);
  EXPECT_EQ(winsim::ComInitCount(), 0);

  CoUninitialize();  // nothing to balance: ignored, but counted
  EXPECT_EQ(winsim::ComInitCount(), 0);
  EXPECT_EQ(winsim::UnbalancedCoUninitializeCount(), 1);
  winsim::Reset();  // the extra call was the point of this test
}

// ---- Object creation -------------------------------------------------------

TEST_F(WinsimComTest, CoCreateInstanceFailures) {
  INetFwMgr* manager = reinterpret_cast<INetFwMgr*>(1);
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr,
                             reinterpret_cast<void**>(&manager)),
            CO_E_NOTINITIALIZED);
  EXPECT_EQ(manager, nullptr);
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr, nullptr), E_POINTER);

  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  void* object = nullptr;
  // An interface of the other class is not offered.
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwAuthorizedApplication, &object),
            E_NOINTERFACE);
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_LOCAL_SERVER, IID_INetFwMgr, &object),
            REGDB_E_CLASSNOTREG);
  IUnknown* outer = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr,
                             reinterpret_cast<void**>(&outer)),
            S_OK);
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwAuthorizedApplication, outer, CLSCTX_INPROC_SERVER,
                             IID_INetFwAuthorizedApplication, &object),
            CLASS_E_NOAGGREGATION);
  outer->Release();

  winsim::SetFirewallInstalled(false);  // Windows before XP SP2
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr, &object),
            REGDB_E_CLASSNOTREG);
  winsim::SetFirewallInstalled(true);
  winsim::InjectFault("CoCreateInstance", E_ACCESSDENIED, "EC9846B3");
  EXPECT_EQ(CoCreateInstance(CLSID_NetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                             IID_INetFwAuthorizedApplication, &object),
            E_ACCESSDENIED);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(winsim::LiveComObjects(), 0);
  CoUninitialize();
}

TEST_F(WinsimComTest, ReferencesAreCountedPerInterface) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  INetFwMgr* manager = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr,
                             reinterpret_cast<void**>(&manager)),
            S_OK);
  INetFwPolicy* policy = nullptr;
  ASSERT_EQ(manager->get_LocalPolicy(&policy), S_OK);
  EXPECT_EQ(winsim::LiveComObjects(), 2);
  EXPECT_EQ(winsim::ComReferences("INetFwMgr"), 1);

  IUnknown* unknown = nullptr;
  ASSERT_EQ(manager->QueryInterface(IID_INetFwMgr, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(winsim::ComReferences("INetFwMgr"), 2);
  EXPECT_EQ(manager->QueryInterface(IID_INetFwAuthorizedApplication, reinterpret_cast<void**>(&unknown)),
            E_NOINTERFACE);
  EXPECT_EQ(unknown, nullptr);
  EXPECT_EQ(manager->Release(), 1u);
  EXPECT_EQ(manager->Release(), 0u);  // gone; the policy lives on
  EXPECT_EQ(winsim::ComReferences(), 1);
  EXPECT_EQ(winsim::ComReferences("INetFwPolicy"), 1);

  CoUninitialize();
  policy->Release();  // too late: COM was already uninitialised
  EXPECT_EQ(winsim::ComCallsOutsideApartment(), 1);
  EXPECT_EQ(winsim::LiveComObjects(), 0);
  winsim::Reset();  // the late call was the point of this test
}

// ---- BSTRs -----------------------------------------------------------------

// SysAllocString and SysStringLen, NULL included, are compared with Wine by
// the probe.
TEST_F(WinsimComTest, BstrAllocationAndFailure) {
  BSTR blank = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(SysStringLen(blank), 4u);
  EXPECT_EQ(blank[0], 0);
  EXPECT_EQ(blank[4], 0);
  winsim::InjectFault("SysAllocString", E_OUTOFMEMORY, "", 0, 1);
  EXPECT_EQ(SysAllocString(u"x"), nullptr);
  winsim::InjectFault("SysAllocStringLen", E_OUTOFMEMORY, "", 0, 1);
  EXPECT_EQ(SysAllocStringLen(nullptr, 1), nullptr);
  EXPECT_EQ(winsim::LiveBstrCount(), 1);

  SysFreeString(blank);
  SysFreeString(nullptr);
  EXPECT_EQ(winsim::LiveBstrCount(), 0);
  EXPECT_EQ(winsim::InvalidBstrFrees(), 0);
  SysFreeString(blank);  // twice
  EXPECT_EQ(winsim::InvalidBstrFrees(), 1);
  winsim::Reset();  // the second free was the point of this test
}

// ---- The firewall policy ---------------------------------------------------

// Opens a profile of the simulated firewall for the tests below.
class WinsimFirewallTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    INetFwMgr* manager = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_NetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwMgr,
                               reinterpret_cast<void**>(&manager)),
              S_OK);
    ASSERT_EQ(manager->get_LocalPolicy(&policy_), S_OK);
    manager->Release();
  }
  void TearDown() override {
    if (apps_) apps_->Release();
    if (policy_) policy_->Release();
    CoUninitialize();
  }
  INetFwAuthorizedApplications* Apps(NET_FW_PROFILE_TYPE type) {
    INetFwProfile* profile = nullptr;
    EXPECT_EQ(policy_->GetProfileByType(type, &profile), S_OK);
    if (apps_) apps_->Release();
    apps_ = nullptr;
    EXPECT_EQ(profile->get_AuthorizedApplications(&apps_), S_OK);
    profile->Release();
    return apps_;
  }
  static INetFwAuthorizedApplication* NewApp(const char16_t* name, const char16_t* path) {
    INetFwAuthorizedApplication* app = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_NetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                               IID_INetFwAuthorizedApplication, reinterpret_cast<void**>(&app)),
              S_OK);
    BSTR n = SysAllocString(name), p = SysAllocString(path);
    EXPECT_EQ(app->put_Name(n), S_OK);
    EXPECT_EQ(app->put_ProcessImageFileName(p), S_OK);
    SysFreeString(n);
    SysFreeString(p);
    return app;
  }

  INetFwPolicy* policy_ = nullptr;
  INetFwAuthorizedApplications* apps_ = nullptr;
};

TEST_F(WinsimFirewallTest, ItemFindsPathsWithoutRegardToCase) {
  winsim::SeedFirewallApp(NET_FW_PROFILE_DOMAIN, {"Tool", "C:\\Tools\\Tool.exe", NET_FW_IP_VERSION_ANY,
                                                  NET_FW_SCOPE_LOCAL_SUBNET, "", false});
  BSTR upper = SysAllocString(u"C:\\TOOLS\\TOOL.EXE");
  INetFwAuthorizedApplication* app = nullptr;
  EXPECT_EQ(Apps(NET_FW_PROFILE_STANDARD)->Item(upper, &app), kNotListed);  // other profile
  EXPECT_EQ(app, nullptr);
  ASSERT_EQ(Apps(NET_FW_PROFILE_DOMAIN)->Item(upper, &app), S_OK);
  BSTR name = nullptr;
  VARIANT_BOOL enabled = VARIANT_TRUE;
  EXPECT_EQ(app->get_Name(&name), S_OK);
  EXPECT_EQ(std::u16string(name), u"Tool");
  EXPECT_EQ(app->get_Enabled(&enabled), S_OK);
  EXPECT_EQ(enabled, VARIANT_FALSE);

  // Changes through a listed entry take effect at once.
  EXPECT_EQ(app->put_Enabled(VARIANT_TRUE), S_OK);
  EXPECT_EQ(app->put_Scope(NET_FW_SCOPE_ALL), S_OK);
  const auto stored = winsim::FindFirewallApp(NET_FW_PROFILE_DOMAIN, "c:\\tools\\tool.exe");
  ASSERT_TRUE(stored);
  EXPECT_TRUE(stored->enabled);
  EXPECT_EQ(stored->scope, NET_FW_SCOPE_ALL);
  EXPECT_EQ(stored->remoteAddresses, "*");
  app->Release();
  SysFreeString(name);
  SysFreeString(upper);
}

TEST_F(WinsimFirewallTest, AddOverwritesAndRemoveOfMissingSucceeds) {
  INetFwAuthorizedApplications* apps = Apps(NET_FW_PROFILE_STANDARD);
  INetFwAuthorizedApplication* first = NewApp(u"First", u"C:\\a.exe");
  EXPECT_EQ(first->put_Enabled(VARIANT_FALSE), S_OK);
  EXPECT_EQ(apps->Add(first), S_OK);
  INetFwAuthorizedApplication* second = NewApp(u"Second", u"C:\\A.EXE");
  EXPECT_EQ(apps->Add(second), S_OK);
  first->Release();
  second->Release();

  auto listed = winsim::FirewallApps(NET_FW_PROFILE_STANDARD);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "Second");
  EXPECT_TRUE(listed[0].enabled);
  EXPECT_EQ(apps->Add(nullptr), E_POINTER);

  BSTR missing = SysAllocString(u"C:\\b.exe");
  EXPECT_EQ(apps->Remove(missing), S_OK);
  EXPECT_EQ(winsim::FirewallApps(NET_FW_PROFILE_STANDARD).size(), 1u);
  BSTR lower = SysAllocString(u"c:\\a.exe");
  EXPECT_EQ(apps->Remove(lower), S_OK);
  EXPECT_TRUE(winsim::FirewallApps(NET_FW_PROFILE_STANDARD).empty());
  SysFreeString(missing);
  SysFreeString(lower);
}

TEST_F(WinsimFirewallTest, NewEntryDefaultsAndValidation) {
  INetFwAuthorizedApplication* app = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_NetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                             IID_INetFwAuthorizedApplication, reinterpret_cast<void**>(&app)),
            S_OK);
  NET_FW_SCOPE scope = NET_FW_SCOPE_MAX;
  VARIANT_BOOL enabled = VARIANT_FALSE;
  EXPECT_EQ(app->get_Scope(&scope), S_OK);
  EXPECT_EQ(scope, NET_FW_SCOPE_ALL);
  EXPECT_EQ(app->get_Enabled(&enabled), S_OK);
  EXPECT_EQ(enabled, VARIANT_TRUE);
  // Without an image path the entry cannot be listed.
  EXPECT_EQ(Apps(NET_FW_PROFILE_DOMAIN)->Add(app), E_INVALIDARG);

  // A custom scope is only made by an address list.
  EXPECT_EQ(app->put_Scope(NET_FW_SCOPE_CUSTOM), E_INVALIDARG);
  EXPECT_EQ(app->put_RemoteAddresses(nullptr), E_INVALIDARG);
  BSTR list = SysAllocString(u"10.0.0.0/255.0.0.0");
  EXPECT_EQ(app->put_RemoteAddresses(list), S_OK);
  EXPECT_EQ(app->get_Scope(&scope), S_OK);
  EXPECT_EQ(scope, NET_FW_SCOPE_CUSTOM);
  EXPECT_EQ(app->put_Scope(NET_FW_SCOPE_LOCAL_SUBNET), S_OK);
  BSTR addresses = nullptr;
  EXPECT_EQ(app->get_RemoteAddresses(&addresses), S_OK);
  EXPECT_EQ(std::u16string(addresses), u"LocalSubNet");
  EXPECT_EQ(app->put_IpVersion(NET_FW_IP_VERSION_MAX), E_INVALIDARG);
  app->Release();
  SysFreeString(list);
  SysFreeString(addresses);
}

TEST_F(WinsimFirewallTest, ProfilesAndServices) {
  INetFwProfile* profile = nullptr;
  NET_FW_PROFILE_TYPE type = NET_FW_PROFILE_TYPE_MAX;
  winsim::SetCurrentFirewallProfile(NET_FW_PROFILE_DOMAIN);
  ASSERT_EQ(policy_->GetProfileByType(NET_FW_PROFILE_CURRENT, &profile), S_OK);
  EXPECT_EQ(profile->get_Type(&type), S_OK);
  EXPECT_EQ(type, NET_FW_PROFILE_DOMAIN);
  profile->Release();
  EXPECT_EQ(policy_->GetProfileByType(NET_FW_PROFILE_TYPE_MAX, &profile), E_INVALIDARG);
  EXPECT_EQ(profile, nullptr);
  ASSERT_EQ(policy_->GetProfileByType(NET_FW_PROFILE_STANDARD, &profile), S_OK);

  INetFwServices* services = nullptr;
  INetFwService* service = nullptr;
  ASSERT_EQ(profile->get_Services(&services), S_OK);
  EXPECT_EQ(services->Item(NET_FW_SERVICE_NONE, &service), E_INVALIDARG);
  ASSERT_EQ(services->Item(NET_FW_SERVICE_FILE_AND_PRINT, &service), S_OK);
  EXPECT_EQ(service->put_Scope(NET_FW_SCOPE_CUSTOM), E_INVALIDARG);
  EXPECT_EQ(service->put_Enabled(VARIANT_TRUE), S_OK);
  // Switching on does not open the scope by itself.
  auto state = winsim::FirewallServiceState(NET_FW_PROFILE_STANDARD, NET_FW_SERVICE_FILE_AND_PRINT);
  EXPECT_TRUE(state.enabled);
  EXPECT_EQ(state.scope, NET_FW_SCOPE_LOCAL_SUBNET);
  EXPECT_FALSE(winsim::FirewallServiceState(NET_FW_PROFILE_DOMAIN, NET_FW_SERVICE_FILE_AND_PRINT).enabled);

  // A method fails with the injected HRESULT, for the profile matched.
  winsim::InjectFault("INetFwService::put_Enabled", E_ACCESSDENIED, "STANDARD");
  EXPECT_EQ(service->put_Enabled(VARIANT_FALSE), E_ACCESSDENIED);
  EXPECT_TRUE(winsim::FirewallServiceState(NET_FW_PROFILE_STANDARD, NET_FW_SERVICE_FILE_AND_PRINT).enabled);
  service->Release();
  services->Release();
  profile->Release();
}

}  // namespace
