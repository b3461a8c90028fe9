// The simulated COM and Windows Firewall behave as Windows XP SP2 does for
// the calls the tool makes.
#include <thread>

#include "sim_fixture.h"
#include "win32api.h"
#include "winsim/firewall_control.h"

namespace {

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

// A failed CoInitialize is FirewallPolicyTest's; an extra CoUninitialize is
// what the fixture's check relies on seeing.
TEST_F(WinsimComTest, ExtraUninitialisationIsVisible) {
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
// the probe; a failing SysAllocStringLen is FirewallSettingTest's.
TEST_F(WinsimComTest, BstrAllocationAndFrees) {
  BSTR blank = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(SysStringLen(blank), 4u);
  EXPECT_EQ(blank[0], 0);
  EXPECT_EQ(blank[4], 0);
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
// Finding entries in any case, updating a listed one, Add over a listed one,
// the address list a scope stands for and faults per profile are exercised
// by FirewallPolicyTest through the tool's own calls; these are the rules of
// XP's firewall that decide what those calls must be.

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
    ASSERT_EQ(policy_->GetProfileByType(NET_FW_PROFILE_STANDARD, &profile_), S_OK);
  }
  void TearDown() override {
    profile_->Release();
    policy_->Release();
    CoUninitialize();
  }

  INetFwPolicy* policy_ = nullptr;
  INetFwProfile* profile_ = nullptr;
};

// A custom scope is made only by an address list (so the tool writes the
// list, never the scope); removing a path that is not listed succeeds.
TEST_F(WinsimFirewallTest, ACustomScopeComesFromTheAddressList) {
  INetFwAuthorizedApplication* app = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_NetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                             IID_INetFwAuthorizedApplication, reinterpret_cast<void**>(&app)),
            S_OK);
  EXPECT_EQ(app->put_Scope(NET_FW_SCOPE_CUSTOM), E_INVALIDARG);
  EXPECT_EQ(app->put_RemoteAddresses(nullptr), E_INVALIDARG);
  BSTR list = SysAllocString(u"10.0.0.0/255.0.0.0");
  EXPECT_EQ(app->put_RemoteAddresses(list), S_OK);
  NET_FW_SCOPE scope = NET_FW_SCOPE_MAX;
  EXPECT_EQ(app->get_Scope(&scope), S_OK);
  EXPECT_EQ(scope, NET_FW_SCOPE_CUSTOM);
  app->Release();

  INetFwAuthorizedApplications* apps = nullptr;
  ASSERT_EQ(profile_->get_AuthorizedApplications(&apps), S_OK);
  EXPECT_EQ(apps->Remove(list), S_OK);
  apps->Release();
  SysFreeString(list);
}

// Switching a service on does not open its scope (so the tool opens it).
TEST_F(WinsimFirewallTest, EnablingAServiceLeavesItsScope) {
  INetFwServices* services = nullptr;
  INetFwService* service = nullptr;
  ASSERT_EQ(profile_->get_Services(&services), S_OK);
  ASSERT_EQ(services->Item(NET_FW_SERVICE_FILE_AND_PRINT, &service), S_OK);
  EXPECT_EQ(service->put_Scope(NET_FW_SCOPE_CUSTOM), E_INVALIDARG);
  EXPECT_EQ(service->put_Enabled(VARIANT_TRUE), S_OK);
  const auto state = winsim::FirewallServiceState(NET_FW_PROFILE_STANDARD, NET_FW_SERVICE_FILE_AND_PRINT);
  EXPECT_TRUE(state.enabled);
  EXPECT_EQ(state.scope, NET_FW_SCOPE_LOCAL_SUBNET);
  EXPECT_FALSE(winsim::FirewallServiceState(NET_FW_PROFILE_DOMAIN, NET_FW_SERVICE_FILE_AND_PRINT).enabled);
  service->Release();
  services->Release();
}

}  // namespace
