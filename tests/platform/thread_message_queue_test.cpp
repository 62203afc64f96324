// The notice worker's queue: posted messages, waiting, thread timers by id, quitting.
#include "platform/thread_message_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using zv::CThreadMessageQueue;
using zv::ThreadMessage;

TEST(ThreadMessageQueue, PostedMessagesArriveInOrderAcrossThreads) {
  CThreadMessageQueue q;
  std::thread poster([&] {
    for (uintptr_t i = 0; i < 50; ++i) q.Post(0x040E, i, static_cast<intptr_t>(i * 2));
  });
  for (uintptr_t i = 0; i < 50; ++i) {
    ThreadMessage m;
    ASSERT_TRUE(q.Get(m));
    EXPECT_EQ(m.message, 0x040Eu);
    EXPECT_EQ(m.wParam, i);
    EXPECT_EQ(m.lParam, static_cast<intptr_t>(i * 2));
  }
  poster.join();
}

TEST(ThreadMessageQueue, GetForTimesOutWhenNothingComes) {
  CThreadMessageQueue q;
  ThreadMessage m;
  EXPECT_EQ(q.GetFor(m, 20ms), CThreadMessageQueue::WaitResult::Timeout);
  q.Post(7);
  EXPECT_EQ(q.GetFor(m, 20ms), CThreadMessageQueue::WaitResult::Message);
  EXPECT_EQ(m.message, 7u);
}

TEST(ThreadMessageQueue, TimersDeliverWmTimerByIdUntilKilled) {
  CThreadMessageQueue q;
  ASSERT_TRUE(q.SetTimer(0x04C8, 10));
  ASSERT_TRUE(q.SetTimer(0x0467, 25));
  int poll = 0, flicker = 0;
  auto until = std::chrono::steady_clock::now() + 5s;
  while ((poll < 3 || flicker < 2) && std::chrono::steady_clock::now() < until) {
    ThreadMessage m;
    ASSERT_EQ(q.GetFor(m, 1s), CThreadMessageQueue::WaitResult::Message);
    ASSERT_EQ(m.message, zv::THREAD_WM_TIMER);
    if (m.wParam == 0x04C8) ++poll;
    else if (m.wParam == 0x0467) ++flicker;
    else ADD_FAILURE() << "unexpected timer " << m.wParam;
  }
  EXPECT_GE(poll, 3);
  EXPECT_GE(flicker, 2);
  EXPECT_TRUE(q.KillTimer(0x04C8));
  EXPECT_TRUE(q.KillTimer(0x0467));
  EXPECT_FALSE(q.KillTimer(0x0467));
  ThreadMessage m;
  EXPECT_EQ(q.GetFor(m, 60ms), CThreadMessageQueue::WaitResult::Timeout);
}

TEST(ThreadMessageQueue, PostedMessagesComeBeforeADueTimer) {
  CThreadMessageQueue q;
  q.SetTimer(1, 1);
  std::this_thread::sleep_for(5ms);
  q.Post(42);
  ThreadMessage m;
  ASSERT_TRUE(q.Get(m));
  EXPECT_EQ(m.message, 42u);
  ASSERT_TRUE(q.Get(m));
  EXPECT_EQ(m.message, zv::THREAD_WM_TIMER);
}

TEST(ThreadMessageQueue, QuitWakesAWaiterAfterPendingMessages) {
  CThreadMessageQueue q;
  q.Post(1);
  std::thread quitter([&] {
    std::this_thread::sleep_for(20ms);
    q.Quit(3);
  });
  ThreadMessage m;
  ASSERT_TRUE(q.Get(m));
  EXPECT_EQ(m.message, 1u);
  EXPECT_FALSE(q.Get(m));  // blocks until the quit
  EXPECT_EQ(m.message, zv::THREAD_WM_QUIT);
  EXPECT_EQ(q.ExitCode(), 3);
  EXPECT_FALSE(q.Post(2));
  EXPECT_FALSE(q.SetTimer(9, 10));
  quitter.join();
}
