#include "platform/application.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <thread>

namespace {

// A gate the work waits at until the test opens it.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool entered = false;
  bool open = false;
  void Enter() {
    std::unique_lock<std::mutex> lock(mutex);
    entered = true;
    changed.notify_all();
    changed.wait(lock, [this] { return open; });
  }
  void WaitUntilEntered() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return entered; });
  }
  void Open() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      open = true;
    }
    changed.notify_all();
  }
};

}  // namespace

// Whichever thread gets to the work first does it, once; Wait() returns only
// after it is done, and the task can go without a Wait().
TEST(PlatformStartupTask, WorkRunsOnceAndIsDoneWhenWaitReturns) {
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    std::atomic<int> runs{0};
    std::atomic<bool> finished{false};
    {
      platform::StartupTask task([&] {
        ++runs;
        finished = true;
      });
      if (round % 2 == 0) {
        task.Wait();
        EXPECT_TRUE(finished);
        task.Wait();  // a second wait finds it done
      }
    }
    EXPECT_EQ(runs, 1);
  }
}

TEST(PlatformStartupTask, WaitBlocksWhileTheThreadIsAtWork) {
  Gate gate;
  std::atomic<int> runs{0};
  platform::StartupTask task([&] {
    gate.Enter();
    ++runs;
  });
  gate.WaitUntilEntered();  // the thread has the work
  auto waiter = std::async(std::launch::async, [&] {
    task.Wait();
    return runs.load();
  });
  gate.Open();
  EXPECT_EQ(waiter.get(), 1);
  EXPECT_EQ(runs, 1);
}

// The thread may run on every processor its creator may, but the one the
// creator runs on when it starts it (else it often waits there for the
// creator's time slice).
TEST(PlatformStartupTask, TheThreadLeavesItsCreatorsProcessorFree) {
  cpu_set_t creator;
  ASSERT_EQ(sched_getaffinity(0, sizeof creator, &creator), 0);
  if (CPU_COUNT(&creator) < 2) GTEST_SKIP() << "one processor";
  cpu_set_t worker;
  CPU_ZERO(&worker);
  Gate gate;
  platform::StartupTask task([&] {
    pthread_getaffinity_np(pthread_self(), sizeof worker, &worker);
    gate.Enter();
  });
  gate.WaitUntilEntered();  // the thread has the work
  gate.Open();
  task.Wait();
  cpu_set_t extra;
  CPU_AND(&extra, &worker, &creator);
  EXPECT_TRUE(CPU_EQUAL(&extra, &worker));  // nothing the creator may not use
  EXPECT_EQ(CPU_COUNT(&worker), CPU_COUNT(&creator) - 1);
}
