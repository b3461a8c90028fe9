// Terminal Services sessions on the simulated Windows: the five functions of
// "Wtsapi32.dll" reached through GetProcAddress, what they hand out and what
// stays open until it is given back.
#include <string>

#include "bind_export.h"
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
    ASSERT_NE(module_, nullptr);
    open_ = BindExport<OpenServerFn>(module_, "WTSOpenServerA");
    close_ = BindExport<CloseServerFn>(module_, "WTSCloseServer");
    enumerate_ = BindExport<EnumerateFn>(module_, "WTSEnumerateSessionsA");
    query_ = BindExport<QueryFn>(module_, "WTSQuerySessionInformationA");
    free_ = BindExport<FreeFn>(module_, "WTSFreeMemory");
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

TEST_F(WinsimSessionTest, EnumerationAndUserNames) {
  winsim::SetSessions({{0, "Console", WTSActive, "Administrator"},
                       {1, "", WTSDisconnected, "hanako"},
                       {65536, "RDP-Tcp", WTSListen, ""}});
  const HANDLE server = open_(nullptr);
  ASSERT_NE(server, nullptr);
  PWTS_SESSION_INFOA sessions = nullptr;
  DWORD count = 0;
  ASSERT_TRUE(enumerate_(server, 0, 1, &sessions, &count));
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(sessions[1].SessionId, 1u);
  EXPECT_EQ(sessions[1].State, WTSDisconnected);
  EXPECT_STREQ(sessions[2].pWinStationName, "RDP-Tcp");
  free_(sessions);

  struct Row {
    DWORD session;
    BOOL ok;
    const char* user;
    DWORD error;
  };
  const Row rows[] = {
      {0, TRUE, "Administrator", 0},
      {WTS_CURRENT_SESSION, TRUE, "Administrator", 0},  // the tool's own: the console
      {1, TRUE, "hanako", 0},
      {65536, TRUE, "", 0},
      {7, FALSE, nullptr, 7022},  // ERROR_CTX_WINSTATION_NOT_FOUND
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.session);
    LPSTR user = nullptr;
    DWORD bytes = 0;
    SetLastError(0);
    ASSERT_EQ(query_(server, row.session, WTSUserName, &user, &bytes), row.ok);
    if (!row.ok) {
      EXPECT_EQ(GetLastError(), row.error);
      continue;
    }
    EXPECT_STREQ(user, row.user);
    EXPECT_EQ(bytes, std::string(row.user).size() + 1) << "the terminating NUL is counted";
    free_(user);
  }
  close_(server);
}

TEST_F(WinsimSessionTest, HandlesAndMemoryStayOpenUntilGivenBack) {
  const HANDLE server = open_(nullptr);
  PWTS_SESSION_INFOA sessions = nullptr;
  DWORD count = 0;
  ASSERT_TRUE(enumerate_(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count));
  LPSTR user = nullptr;
  DWORD bytes = 0;
  ASSERT_TRUE(query_(server, 0, WTSUserName, &user, &bytes));
  EXPECT_EQ(winsim::OpenResources().size(), 4u) << "module, server handle, list and name";
  free_(sessions);
  free_(user);
  close_(server);
  EXPECT_EQ(winsim::OpenResources().size(), 1u) << "only the module remains";

  // A closed handle is refused; so is a named server, which is out of reach.
  SetLastError(0);
  EXPECT_FALSE(enumerate_(server, 0, 1, &sessions, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  char name[] = "OTHERPC";
  EXPECT_EQ(open_(name), nullptr);
  EXPECT_EQ(GetLastError(), 1722u);
}

TEST_F(WinsimSessionTest, InjectedFaultsNameTheCallAndSession) {
  winsim::InjectFault("WTSEnumerateSessionsA", ERROR_ACCESS_DENIED);
  winsim::InjectFault("WTSQuerySessionInformationA", ERROR_NOT_ENOUGH_MEMORY, "65536");
  PWTS_SESSION_INFOA sessions = nullptr;
  DWORD count = 0;
  EXPECT_FALSE(enumerate_(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  LPSTR user = nullptr;
  DWORD bytes = 0;
  EXPECT_FALSE(query_(WTS_CURRENT_SERVER_HANDLE, 65536, WTSUserName, &user, &bytes));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  ASSERT_TRUE(query_(WTS_CURRENT_SERVER_HANDLE, 0, WTSUserName, &user, &bytes));
  free_(user);
}

class WinsimSessionModuleTest : public SimTest {};

// How the library is found: absent, without an entry point, or planted
// beside the tool, where a load by bare name reaches the planted copy.
TEST_F(WinsimSessionModuleTest, LoadingTheLibrary) {
  winsim::SetExportPresent("Wtsapi32.dll", "WTSQuerySessionInformationA", false);
  HMODULE module = LoadLibraryA("Wtsapi32.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_NE(GetProcAddress(module, "WTSEnumerateSessionsA"), nullptr);
  EXPECT_EQ(GetProcAddress(module, "WTSQuerySessionInformationA"), nullptr);
  FreeLibrary(module);

  winsim::AddFile("C:\\KVTOOL\\Wtsapi32.dll", "MZ planted");
  module = LoadLibraryA("Wtsapi32.dll");
  EXPECT_EQ(winsim::ForeignModuleLoads(), 1);
  EXPECT_EQ(GetProcAddress(module, "WTSEnumerateSessionsA"), nullptr);
  FreeLibrary(module);
  module = LoadLibraryA("C:\\WINDOWS\\system32\\Wtsapi32.dll");
  EXPECT_NE(GetProcAddress(module, "WTSEnumerateSessionsA"), nullptr);
  FreeLibrary(module);

  winsim::SetModulePresent("Wtsapi32.dll", false);
  EXPECT_EQ(LoadLibraryA("C:\\WINDOWS\\system32\\Wtsapi32.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace
