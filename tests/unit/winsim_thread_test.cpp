// Threads on the simulated Windows: a worker's waits cost clock, not time;
// the test's thread decides when the clock moves (that posted messages arrive
// in order is ConfigJobTest's); a wait that nothing can end is reported
// instead of hanging; every run is the same.
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim_fixture.h"
#include "win32api.h"
#include "winsim/desktop_control.h"
#include "winsim/thread_control.h"

namespace {

using Body = std::function<DWORD()>;

DWORD WINAPI RunBody(LPVOID body) { return (*static_cast<Body*>(body))(); }

// Workers run bodies that the fixture owns and record what they see in
// `seen_`, so that a worker left running by a failed test still finds both.
class WinsimThreadTest : public SimTest {
 protected:
  void TearDown() override {
    if (winsim::LiveThreadCount() > 0) {
      ADD_FAILURE() << "a worker was left running";
      winsim::Reset();
    }
    SimTest::TearDown();
  }

  HANDLE Start(Body body, DWORD* id = nullptr) {
    bodies_.push_back(std::make_unique<Body>(std::move(body)));
    return CreateThread(nullptr, 0, RunBody, bodies_.back().get(), 0, id);
  }
  void See(const std::string& what) { seen_.push_back(what + "@" + std::to_string(winsim::NowMs())); }
  DWORD ExitCode(HANDLE thread) {
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    return code;
  }

  std::vector<std::unique_ptr<Body>> bodies_;
  std::vector<std::string> seen_;
};

TEST_F(WinsimThreadTest, SixtySecondsOfPollingCostTheClockAndNoRealTime) {
  const auto began = std::chrono::steady_clock::now();
  const HANDLE worker = Start([] {
    for (int poll = 0; poll < 120; ++poll) Sleep(500);
    return DWORD{7};
  });
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(WaitForSingleObject(worker, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(winsim::NowMs(), 60000u);
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
  EXPECT_EQ(winsim::CallsTo("Sleep").size(), 120u);
  EXPECT_TRUE(CloseHandle(worker));
}

// The worker's waits end only when the test's thread lets the clock move:
// by AdvanceToNextWake, or by waiting itself.
TEST_F(WinsimThreadTest, WorkerStaysParkedWhileTheTestThreadRuns) {
  const HANDLE worker = Start([this] {
    Sleep(1000);
    See("woke");
    Sleep(1000);
    return DWORD{0};
  });
  winsim::WaitUntilOthersIdle();
  EXPECT_EQ(winsim::CallsTo("Sleep").size(), 1u) << "the worker ran up to its first wait";
  EXPECT_EQ(GetTickCount(), 0u) << "the parked worker does not hold the machine";
  EXPECT_EQ(ExitCode(worker), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(worker, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(seen_.empty());

  EXPECT_TRUE(winsim::AdvanceToNextWake());
  EXPECT_EQ(seen_, std::vector<std::string>{"woke@1000"});
  EXPECT_TRUE(winsim::AdvanceToNextWake(1500));  // the limit comes first
  EXPECT_EQ(winsim::NowMs(), 1500u);
  EXPECT_EQ(WaitForSingleObject(worker, 100), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(winsim::NowMs(), 1600u);
  EXPECT_EQ(winsim::LiveThreadCount(), 1);
  EXPECT_EQ(WaitForSingleObject(worker, 5000), WAIT_OBJECT_0) << "the wait ends when the thread does";
  EXPECT_EQ(winsim::NowMs(), 2000u);
  EXPECT_EQ(winsim::LiveThreadCount(), 0);
  EXPECT_FALSE(winsim::AdvanceToNextWake()) << "nothing is parked";
  EXPECT_TRUE(CloseHandle(worker));
}

TEST_F(WinsimThreadTest, PostMessageByTarget) {
  const HWND dialog = winsim::CreateMessageWindow("removal");
  const HWND gone = winsim::CreateMessageWindow("gone");
  winsim::DestroyMessageWindow(gone);
  const HWND panel = winsim::AddWindow({"BAZWndClass", "Kestrovane", WM_USER + 6, winsim::WindowReaction::Closes, 0});
  const HWND hung = winsim::AddWindow({"Hung", "Hung", WM_USER + 6, winsim::WindowReaction::Hangs, 0});
  struct Row {
    const char* name;
    HWND window;
    BOOL result;
    DWORD error;
  };
  const Row rows[] = {
      {"message window", dialog, TRUE, 0},
      {"destroyed message window", gone, FALSE, ERROR_INVALID_WINDOW_HANDLE},
      {"desktop window", panel, TRUE, 0},
      {"hung desktop window", hung, TRUE, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetLastError(0);
    EXPECT_EQ(PostMessageA(row.window, WM_USER + 6, 1, 2), row.result);
    EXPECT_EQ(GetLastError(), row.error);
  }
  EXPECT_EQ(winsim::TakePostedMessage(dialog)->message, static_cast<UINT>(WM_USER + 6));
  EXPECT_FALSE(winsim::WindowExists(panel)) << "a posted close message closes the window";
  EXPECT_TRUE(winsim::WindowExists(hung));
  EXPECT_NE(winsim::CallsTo("PostMessageA")[0].args[0].find("message window \"removal\""), std::string::npos);
}

// Waits that nothing could ever end return as failed and are recorded.
TEST_F(WinsimThreadTest, WaitsThatCanNeverEndAreReportedNotHung) {
  struct Row {
    const char* name;
    std::function<void()> wait;
    std::vector<std::string> blockedCalls;  // the beginnings of the records
  };
  const Row rows[] = {
      {"a message nobody posts",
       [] { EXPECT_FALSE(winsim::WaitForPostedMessage(winsim::CreateMessageWindow("idle"))); },
       {"WaitForPostedMessage"}},
      {"Sleep(INFINITE)", [] { Sleep(INFINITE); }, {"Sleep(INFINITE)"}},
      {"a plain send to a hung window",
       [] { SendMessageA(winsim::AddWindow({"Hung", "Hung", WM_CLOSE, winsim::WindowReaction::Hangs, 0}), WM_CLOSE, 0, 0); },
       {"SendMessageA("}},
      {"an event nobody sets",
       [] {
         const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
         EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_FAILED);
         CloseHandle(event);
       },
       {"WaitForSingleObject(event"}},
      {"the test's thread and a worker waiting for each other",
       [this] {
         const HWND idle = winsim::CreateMessageWindow("idle");
         const HANDLE worker = Start([idle] { return winsim::WaitForPostedMessage(idle) ? DWORD{1} : DWORD{2}; });
         SetLastError(0);
         EXPECT_EQ(WaitForSingleObject(worker, INFINITE), WAIT_FAILED);
         EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_POSSIBLE_DEADLOCK));
         EXPECT_EQ(WaitForSingleObject(worker, INFINITE), WAIT_OBJECT_0) << "the worker's wait failed too";
         EXPECT_EQ(ExitCode(worker), 2u);
         CloseHandle(worker);
       },
       {"WaitForSingleObject(thread", "WaitForPostedMessage"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    winsim::Reset();
    row.wait();
    const std::vector<std::string> blocked = winsim::ForeverBlockedCalls();
    ASSERT_EQ(blocked.size(), row.blockedCalls.size());
    for (size_t i = 0; i < blocked.size(); ++i) EXPECT_EQ(blocked[i].rfind(row.blockedCalls[i], 0), 0u) << blocked[i];
    EXPECT_EQ(winsim::OpenResources(), std::vector<std::string>{});
  }
  winsim::Reset();  // the blocked calls were the point of this test
}

// An injected fault is ConfigJobTest's, which then sees nothing run.
TEST_F(WinsimThreadTest, RefusedThreadCreation) {
  struct Row {
    const char* name;
    DWORD flags;
    LPTHREAD_START_ROUTINE start;
    DWORD error;
  };
  const Row rows[] = {
      {"suspended start", CREATE_SUSPENDED, RunBody, ERROR_NOT_SUPPORTED},
      {"no start routine", 0, nullptr, ERROR_INVALID_PARAMETER},
  };
  Body body = [this] {
    See("ran");
    return DWORD{0};
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FreshMachine();
    DWORD id = 99;
    EXPECT_EQ(CreateThread(nullptr, 0, row.start, &body, row.flags, &id), nullptr);
    EXPECT_EQ(GetLastError(), row.error);
    EXPECT_EQ(id, 99u);
    EXPECT_EQ(winsim::LiveThreadCount(), 0);
  }
  winsim::WaitUntilOthersIdle();
  EXPECT_TRUE(seen_.empty());
}

TEST_F(WinsimThreadTest, ClosingTheHandleOfARunningThread) {
  DWORD id = 0;
  const HANDLE worker = Start(
      [] {
        Sleep(1000);
        return DWORD{5};
      },
      &id);
  winsim::WaitUntilOthersIdle();
  EXPECT_TRUE(CloseHandle(worker)) << "closing does not stop the thread";
  char live[64];
  std::snprintf(live, sizeof live, "thread 0x%lX has not ended", static_cast<unsigned long>(id));
  EXPECT_EQ(winsim::OpenResources(), std::vector<std::string>{live});
  SetLastError(0);
  EXPECT_EQ(WaitForSingleObject(worker, INFINITE), WAIT_FAILED) << "the handle is gone, not the thread";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(winsim::AdvanceToNextWake());
  EXPECT_EQ(winsim::LiveThreadCount(), 0);
}

// Reset lets what is left of each worker run on the old machine, so a test
// that ends early leaves nothing behind for the next.
TEST_F(WinsimThreadTest, ResetFinishesWorkersLeftRunning) {
  const HWND idle = winsim::CreateMessageWindow("idle");
  for (const HANDLE worker : {Start([this] {
                                Sleep(3600000);
                                See("slept an hour");
                                return DWORD{0};
                              }),
                              Start([this, idle] {
                                See(winsim::WaitForPostedMessage(idle) ? "message" : "no message");
                                return DWORD{0};
                              })})
    CloseHandle(worker);
  winsim::WaitUntilOthersIdle();
  winsim::Reset();
  EXPECT_EQ(winsim::LiveThreadCount(), 0);
  EXPECT_EQ(seen_, (std::vector<std::string>{"slept an hour@3600000", "no message@3600000"}));
  EXPECT_EQ(winsim::NowMs(), 0u);
  EXPECT_EQ(winsim::ForeverBlockedCalls(), std::vector<std::string>{});
}

// Abandoned workers, one parked in its wait and one that never had its
// turn, never execute again, not even when the machine is reset.
TEST_F(WinsimThreadTest, AbandonedWorkersNeverRunAgain) {
  CloseHandle(Start([this] {
    Sleep(1000);
    See("woke");
    return DWORD{0};
  }));
  winsim::WaitUntilOthersIdle();
  CloseHandle(Start([this] {
    See("started");
    return DWORD{0};
  }));
  winsim::AbandonThreads();
  EXPECT_EQ(winsim::LiveThreadCount(), 0);
  EXPECT_EQ(winsim::OpenResources(), std::vector<std::string>{});
  winsim::Reset();
  EXPECT_EQ(seen_, std::vector<std::string>{});
}

// Two workers and the test's thread, with waits that end at the same
// instants and a wait inside a sent message: the same calls in the same
// order at the same times, run after run.
TEST_F(WinsimThreadTest, EveryRunIsTheSame) {
  auto run = [this] {
    winsim::Reset();
    seen_.clear();
    const HWND dialog = winsim::CreateMessageWindow("dialog");
    const HWND hung = winsim::AddWindow({"Hung", "Hung", WM_CLOSE, winsim::WindowReaction::Hangs, 0});
    std::vector<HANDLE> workers;
    for (int n = 0; n < 2; ++n)
      workers.push_back(Start([this, n, dialog, hung] {
        for (int step = 0; step < 3; ++step) {
          Sleep(100);
          See("worker" + std::to_string(n));
          PostMessageA(dialog, WM_USER + n, static_cast<WPARAM>(step), 0);
        }
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(hung, WM_CLOSE, 0, 0, SMTO_NORMAL, 250, &answer);
        return DWORD{0};
      }));
    for (int message = 0; message < 6; ++message) {
      EXPECT_TRUE(winsim::WaitForPostedMessage(dialog));
      See("test");
      Sleep(50);
    }
    for (const HANDLE worker : workers) {
      EXPECT_EQ(WaitForSingleObject(worker, INFINITE), WAIT_OBJECT_0);
      CloseHandle(worker);
    }
    std::vector<std::string> calls = seen_;
    for (const winsim::Call& call : winsim::CallLog()) calls.push_back(winsim::FormatCall(call));
    calls.push_back("clock " + std::to_string(winsim::NowMs()));
    return calls;
  };
  const std::vector<std::string> first = run();
  EXPECT_EQ(first.back(), "clock 550");
  EXPECT_EQ(run(), first);
}

}  // namespace
