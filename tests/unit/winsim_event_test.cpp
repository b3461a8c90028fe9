// Named events on the simulated Windows: the namespaces of Terminal Services
// sessions, access across users, and the security descriptor of a NULL DACL.
// Making an event twice, closing it, Local\ names in session 1, waits and a
// descriptor of another revision are compared with Wine by the probe's
// thread group.
#include <string>
#include <vector>

#include "sim_fixture.h"
#include "win32api.h"
#include "winsim/thread_control.h"

namespace {

const char kGuard[] = "Global\\Patch::KV_UPDAT";

class WinsimEventTest : public SimTest {
 protected:
  // Security attributes with a NULL DACL, made as the tool makes them.
  LPSECURITY_ATTRIBUTES NullDacl() {
    EXPECT_TRUE(InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION));
    EXPECT_TRUE(SetSecurityDescriptorDacl(&descriptor_, TRUE, nullptr, FALSE));
    attributes_ = SECURITY_ATTRIBUTES{sizeof attributes_, &descriptor_, TRUE};
    return &attributes_;
  }

  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
};

// Another process holds an event; the tool creates one of a name in its
// session: the same event or a new one, or no access to it.
TEST_F(WinsimEventTest, EventsOfOtherSessionsAndUsers) {
  struct Row {
    const char* name;
    winsim::Os os;
    const char* heldName;
    DWORD heldSession;
    bool heldNullDacl;
    DWORD session;  // the tool's
    const char* toolName;
    DWORD error;  // 0: created, ERROR_ALREADY_EXISTS: opened, else no handle
    std::vector<std::string> events;
  };
  // A global event of another session's user, open to all or not, is
  // InstanceGuardTest's.
  const Row rows[] = {
      {"global, own session's", winsim::Os::WinXp, kGuard, 2, false, 2, kGuard, ERROR_ALREADY_EXISTS, {kGuard}},
      {"session 0's local names are global", winsim::Os::WinXp, "Patch::KV_UPDAT", 0, true, 1, kGuard,
       ERROR_ALREADY_EXISTS, {kGuard}},
      {"local names of two sessions", winsim::Os::Server2003, "Patch::KV_UPDAT", 1, true, 2, "Local\\Patch::KV_UPDAT",
       0, {"Session\\1\\Patch::KV_UPDAT", "Session\\2\\Patch::KV_UPDAT"}},
      {"NT 4.0: one namespace", winsim::Os::Nt4, "Patch::KV_UPDAT", 1, false, 0, "Patch::KV_UPDAT",
       ERROR_ALREADY_EXISTS, {"Patch::KV_UPDAT"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FreshMachine();
    winsim::SetOs(row.os);
    winsim::HoldNamedEvent(row.heldName, row.heldSession, row.heldNullDacl);
    winsim::SetSessionId(row.session);
    SetLastError(1234);
    const HANDLE event = CreateEventA(nullptr, FALSE, FALSE, row.toolName);
    EXPECT_EQ(GetLastError(), row.error);
    EXPECT_EQ(event != nullptr, row.error == 0 || row.error == ERROR_ALREADY_EXISTS);
    EXPECT_EQ(winsim::NamedEvents(), row.events);
    if (event) CloseHandle(event);
  }
}

TEST_F(WinsimEventTest, SecurityDescriptorsAndRefusals) {
  SECURITY_DESCRIPTOR descriptor{};
  EXPECT_FALSE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) << "not initialised";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_REVISION));
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, TRUE));
  EXPECT_EQ(descriptor.Control, SE_DACL_PRESENT | SE_DACL_DEFAULTED);
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, FALSE, nullptr, FALSE));
  EXPECT_EQ(descriptor.Control, SE_DACL_DEFAULTED) << "without a DACL only the flag changes";

  // Attributes without a DACL give the default one: closed to other users.
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
  const HANDLE event = CreateEventA(&attributes, FALSE, FALSE, kGuard);
  EXPECT_EQ(winsim::CallsTo("CreateEventA")[0].args[3], "SA(not inheritable, default DACL)");
  winsim::SetSessionId(1);
  EXPECT_EQ(CreateEventA(NullDacl(), FALSE, FALSE, kGuard), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(event);

  winsim::SetOs(winsim::Os::Win98);
  EXPECT_FALSE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
}

}  // namespace
