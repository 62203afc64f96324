#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "app/timer_service.h"

namespace zv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Waits until every timer thread has ended (killed timers finish their slice first).
bool WaitForNoTimerThreads(std::chrono::milliseconds limit = 3000ms) {
  auto end = Clock::now() + limit;
  while (CTimerService::RunningThreads() != 0) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

class TimerServiceTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CTimerService::SetSleepFunctionForTesting(nullptr);
    EXPECT_TRUE(WaitForNoTimerThreads());
  }
};

// Virtual time per timer thread: the slice sleeps are summed instead of waited.
thread_local uint64_t t_slept = 0;

struct VirtualSleep {
  void Install() {
    CTimerService::SetSleepFunctionForTesting([](uint32_t ms) {
      t_slept += ms;
      std::this_thread::sleep_for(20us);
    });
  }
  uint64_t Mine() { return t_slept; }
};

struct FirstCall {
  VirtualSleep* sleep;
  int32_t id;
  std::atomic<int64_t> at{-1};
};

TEST_F(TimerServiceTest, SlicingWaitsAllButTheLastSlice) {
  const struct {
    uint32_t interval;
    uint64_t slept;
  } cases[] = {{10000, 9900}, {5000, 4900}, {250, 200}, {101, 100}, {100, 100}, {50, 50}, {1, 1}};
  VirtualSleep sleep;
  sleep.Install();
  int32_t id = 0x100;
  for (const auto& c : cases) {
    FirstCall call{&sleep, id};
    CTimerService::Instance().Set(id, c.interval, [](void* p) {
      auto* call = static_cast<FirstCall*>(p);
      int64_t expected = -1;
      call->at.compare_exchange_strong(expected, static_cast<int64_t>(call->sleep->Mine()));
      CTimerService::Instance().Kill(call->id);
    }, &call);
    auto end = Clock::now() + 10s;
    while (call.at.load() < 0 && Clock::now() < end) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(call.at.load(), static_cast<int64_t>(c.slept)) << "interval " << c.interval;
    ASSERT_TRUE(WaitForNoTimerThreads());
    ++id;
  }
}

struct Counter {
  std::atomic<int> calls{0};
  std::atomic<int> which{0};
};

TEST_F(TimerServiceTest, SecondSetOnlyChangesTheIntervalOfTheRunningTimer) {
  Counter first, second;
  auto cb = [](void* p) { static_cast<Counter*>(p)->calls++; };
  CTimerService::Instance().Set(0x200, 60000, cb, &first);
  CTimerService::Instance().Set(0x200, 30, cb, &second);
  EXPECT_EQ(CTimerService::RunningThreads(), 1);
  auto end = Clock::now() + 5s;
  while (first.calls.load() < 2 && Clock::now() < end) std::this_thread::sleep_for(5ms);
  CTimerService::Instance().Kill(0x200);
  EXPECT_GE(first.calls.load(), 2);  // the shorter interval took effect within a slice
  EXPECT_EQ(second.calls.load(), 0);  // the first callback and its data stay
}

TEST_F(TimerServiceTest, KilledTimerNeverCallsAndItsThreadEndsWithinASlice) {
  Counter counter;
  CTimerService::Instance().Set(0x300, 5000, [](void* p) { static_cast<Counter*>(p)->calls++; }, &counter);
  std::this_thread::sleep_for(2s);
  auto killed = Clock::now();
  EXPECT_EQ(CTimerService::Instance().Kill(0x300), 0);
  EXPECT_FALSE(CTimerService::Instance().IsSet(0x300));
  ASSERT_TRUE(WaitForNoTimerThreads());
  // One slice is at most 100 ms; the rest is slack for a loaded machine.
  EXPECT_LT(Clock::now() - killed, 1000ms);
  EXPECT_EQ(counter.calls.load(), 0);
}

TEST_F(TimerServiceTest, KillOfUnknownIdDoesNothing) {
  EXPECT_EQ(CTimerService::Instance().Kill(0x12345), 0);
  EXPECT_EQ(CTimerService::RunningThreads(), 0);
}

struct Stamp {
  std::mutex mutex;
  std::vector<Clock::time_point> calls;
};

TEST_F(TimerServiceTest, ShortPeriodRunsEveryPeriod) {
  Stamp stamp;
  CTimerService::Instance().Set(0x400, 50, [](void* p) {
    auto* s = static_cast<Stamp*>(p);
    std::lock_guard<std::mutex> lock(s->mutex);
    s->calls.push_back(Clock::now());
  }, &stamp);
  std::this_thread::sleep_for(1s);
  CTimerService::Instance().Kill(0x400);
  ASSERT_TRUE(WaitForNoTimerThreads());
  std::lock_guard<std::mutex> lock(stamp.mutex);
  ASSERT_GE(stamp.calls.size(), 5u);
  for (size_t i = 1; i < stamp.calls.size(); ++i) EXPECT_GE(stamp.calls[i] - stamp.calls[i - 1], 49ms);
}

TEST_F(TimerServiceTest, ShorterIntervalSetWhileWaitingFiresWithinTheNewPeriod) {
  Stamp stamp;
  CTimerService::Instance().Set(0x500, 10000, [](void* p) {
    auto* s = static_cast<Stamp*>(p);
    std::lock_guard<std::mutex> lock(s->mutex);
    s->calls.push_back(Clock::now());
  }, &stamp);
  std::this_thread::sleep_for(3s);
  auto changed = Clock::now();
  CTimerService::Instance().Set(0x500, 1000, nullptr, nullptr);
  auto end = Clock::now() + 5s;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(stamp.mutex);
      if (!stamp.calls.empty() || Clock::now() > end) break;
    }
    std::this_thread::sleep_for(1ms);
  }
  CTimerService::Instance().Kill(0x500);
  std::lock_guard<std::mutex> lock(stamp.mutex);
  ASSERT_FALSE(stamp.calls.empty());
  auto after = stamp.calls.front() - changed;
  EXPECT_GE(after, 900ms);
  EXPECT_LT(after, 1600ms);  // 1000 ms by the rule, plus slack for a loaded machine
}

struct SelfRestart {
  std::atomic<int> calls{0};
};

void RestartSelf(void* p) {
  auto* s = static_cast<SelfRestart*>(p);
  ++s->calls;
  // The record is left to this thread after Kill; Set then starts a fresh timer.
  CTimerService::Instance().Kill(0x600);
  if (s->calls.load() < 5) CTimerService::Instance().Set(0x600, 10, &RestartSelf, s);
}

TEST_F(TimerServiceTest, CallbackMayKillAndSetItsOwnId) {
  SelfRestart state;
  CTimerService::Instance().Set(0x600, 10, &RestartSelf, &state);
  auto end = Clock::now() + 5s;
  while (state.calls.load() < 5 && Clock::now() < end) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(state.calls.load(), 5);
  EXPECT_TRUE(WaitForNoTimerThreads());
  EXPECT_FALSE(CTimerService::Instance().IsSet(0x600));
}

TEST_F(TimerServiceTest, ConcurrentSetAndKillFromManyThreads) {
  std::atomic<int> calls{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([t, &calls] {
      std::mt19937 rng(static_cast<unsigned>(t));
      for (int i = 0; i < 400; ++i) {
        int32_t id = 0x700 + static_cast<int32_t>(rng() % 4);
        if (rng() % 2) {
          CTimerService::Instance().Set(id, 1 + rng() % 5, [](void* p) {
            static_cast<std::atomic<int>*>(p)->fetch_add(1);
          }, &calls);
        } else {
          CTimerService::Instance().Kill(id);
        }
        if (i % 50 == 0) std::this_thread::sleep_for(2ms);
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int32_t id = 0x700; id < 0x704; ++id) CTimerService::Instance().Kill(id);
  EXPECT_TRUE(WaitForNoTimerThreads());
}

}  // namespace
}  // namespace zv
