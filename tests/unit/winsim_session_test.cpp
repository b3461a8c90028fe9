// Terminal Services sessions on the simulated Windows: the functions of
// "Wtsapi32.dll" reached through GetProcAddress, and what stays open until
// it is given back.
#include <string>

#include "common/system_library.h"
#include "sim_fixture.h"
#include "win32api.h"
#include "winsim/session_control.h"

namespace {

typedef HANDLE(WINAPI* OpenServerFn)(LPSTR);
typedef void(WINAPI* CloseServerFn)(HANDLE);
typedef BOOL(WINAPI* EnumerateFn)(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOA*, DWORD*);
typedef BOOL(WINAPI* QueryFn)(HANDLE, DWORD, WTS_INFO_CLASS, LPSTR*, DWORD*);
typedef void(WINAPI* FreeFn)(PVOID);

class WinsimSessionTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    module_ = LoadLibraryA("C:\\WINDOWS\\system32\\Wtsapi32.dll");
    open_ = kv::EntryPoint<OpenServerFn>(module_, "WTSOpenServerA");
    close_ = kv::EntryPoint<CloseServerFn>(module_, "WTSCloseServer");
    enumerate_ = kv::EntryPoint<EnumerateFn>(module_, "WTSEnumerateSessionsA");
    query_ = kv::EntryPoint<QueryFn>(module_, "WTSQuerySessionInformationA");
    free_ = kv::EntryPoint<FreeFn>(module_, "WTSFreeMemory");
    ASSERT_TRUE(open_ && close_ && enumerate_ && query_ && free_);
  }
  void TearDown() override {
    FreeLibrary(module_);
    SimTest::TearDown();
  }

  HMODULE module_ = nullptr;
  OpenServerFn open_ = nullptr;
  CloseServerFn close_ = nullptr;
  EnumerateFn enumerate_ = nullptr;
  QueryFn query_ = nullptr;
  FreeFn free_ = nullptr;
};

// The sessions listed and their states are UserSessionsTest's, through the
// tool; Wine answers a user name for any session id, Windows does not.
TEST_F(WinsimSessionTest, UserNames) {
  winsim::SetSessions({{0, "Console", WTSActive, "Administrator"},
                       {1, "", WTSDisconnected, "hanako"},
                       {65536, "RDP-Tcp", WTSListen, ""}});
  struct Row {
    DWORD session;
    const char* user;  // null: the query fails
  };
  const Row rows[] = {{WTS_CURRENT_SESSION, "Administrator"}, {1, "hanako"}, {65536, ""}, {7, nullptr}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.session);
    LPSTR user = nullptr;
    DWORD bytes = 0;
    ASSERT_EQ(query_(WTS_CURRENT_SERVER_HANDLE, row.session, WTSUserName, &user, &bytes), row.user != nullptr);
    if (!row.user) {
      EXPECT_EQ(GetLastError(), 7022u);  // ERROR_CTX_WINSTATION_NOT_FOUND
      continue;
    }
    EXPECT_STREQ(user, row.user);
    EXPECT_EQ(bytes, std::string(row.user).size() + 1) << "the terminating NUL is counted";
    free_(user);
  }
}

TEST_F(WinsimSessionTest, HandlesAndMemoryStayOpenUntilGivenBack) {
  const HANDLE server = open_(nullptr);
  PWTS_SESSION_INFOA sessions = nullptr;
  DWORD count = 0;
  ASSERT_TRUE(enumerate_(server, 0, 1, &sessions, &count));
  LPSTR user = nullptr;
  DWORD bytes = 0;
  ASSERT_TRUE(query_(server, 0, WTSUserName, &user, &bytes));
  EXPECT_EQ(winsim::OpenResources().size(), 4u) << "module, server handle, list and name";
  free_(sessions);
  free_(user);
  close_(server);
  EXPECT_EQ(winsim::OpenResources().size(), 1u) << "only the module remains";
  EXPECT_FALSE(enumerate_(server, 0, 1, &sessions, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(WinsimSessionTest, BareNameReachesACopyPlantedBesideTheTool) {
  winsim::AddFile("C:\\KVTOOL\\Wtsapi32.dll", "MZ planted");
  const HMODULE planted = LoadLibraryA("Wtsapi32.dll");
  EXPECT_EQ(winsim::ForeignModuleLoads(), 1);
  EXPECT_EQ(GetProcAddress(planted, "WTSEnumerateSessionsA"), nullptr);
  FreeLibrary(planted);
}

}  // namespace
