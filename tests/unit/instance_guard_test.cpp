// The single-instance guard: its event on each system, a second instance,
// one in another session, and an event that cannot be made.
#include <string>
#include <vector>

#include "app/instance_guard.h"
#include "common/unique_handle.h"
#include "sim_fixture.h"
#include "winsim/thread_control.h"

namespace {

class InstanceGuardTest : public SimTest {};

// From Windows 2000 on (and on a system the tool does not know) the event is
// global and open to everyone; before, it is plain.
TEST_F(InstanceGuardTest, TheEventOnEachSystem) {
  const struct {
    const char* name;
    DWORD platform, major, minor;
    const char* event;
    bool openToAll;
  } cases[] = {
      {"Windows 98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, "Patch::KV_UPDAT", false},
      {"NT 3.51", VER_PLATFORM_WIN32_NT, 3, 51, "Patch::KV_UPDAT", false},
      {"NT 4.0", VER_PLATFORM_WIN32_NT, 4, 0, "Patch::KV_UPDAT", false},
      {"XP", VER_PLATFORM_WIN32_NT, 5, 1, "Global\\Patch::KV_UPDAT", true},
      {"NT 3.5, unknown", VER_PLATFORM_WIN32_NT, 3, 50, "Global\\Patch::KV_UPDAT", true},
  };
  for (const auto& c : cases) {
    FreshMachine();
    winsim::SetOsVersion(c.platform, c.major, c.minor, 1000);
    HANDLE event = nullptr;
    EXPECT_EQ(AcquireInstanceGuard(event), 0) << c.name;
    const kv::UniqueKernelHandle guard(event);
    EXPECT_TRUE(guard.valid()) << c.name;
    EXPECT_EQ(winsim::NamedEvents(), std::vector<std::string>{c.event}) << c.name;
    const auto creates = winsim::CallsTo("CreateEventA");
    ASSERT_EQ(creates.size(), 1u) << c.name;
    // Auto-reset, not signalled.
    EXPECT_EQ(creates[0].args, (std::vector<std::string>{std::string("\"") + c.event + "\"", "0", "0",
                                                         c.openToAll ? "SA(inheritable, NULL DACL)" : "NULL"}))
        << c.name;
  }
}

// A second instance in the same session is ToolAppTest's.
TEST_F(InstanceGuardTest, AnInstanceInAnotherSession) {
  const struct {
    const char* name;
    bool nullDacl;
    int32_t result;
    bool guarded;
  } cases[] = {
      {"made by this tool", true, 1, true},
      // Another program's event, closed to this user: no guard, but the tool runs.
      {"closed to this user", false, 0, false},
  };
  for (const auto& c : cases) {
    FreshMachine();
    winsim::HoldNamedEvent("Global\\Patch::KV_UPDAT", 1, c.nullDacl);
    HANDLE event = nullptr;
    EXPECT_EQ(AcquireInstanceGuard(event), c.result) << c.name;
    const kv::UniqueKernelHandle guard(event);
    EXPECT_EQ(guard.valid(), c.guarded) << c.name;
  }
}

// Without its event the tool runs unguarded, whatever error the creation
// left (a name taken by another kind of object gives ERROR_INVALID_HANDLE).
TEST_F(InstanceGuardTest, AnEventThatCannotBeMadeLetsTheToolRun) {
  for (DWORD error : {ERROR_INVALID_HANDLE, ERROR_ALREADY_EXISTS}) {
    winsim::InjectFault("CreateEventA", error, "", 0, 1);
    HANDLE event = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(AcquireInstanceGuard(event), 0) << error;
    EXPECT_EQ(event, nullptr) << error;
  }
}

}  // namespace
