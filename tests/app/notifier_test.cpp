#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/events.h"
#include "app/main_window_notifier.h"
#include "tests/support/recording_window.h"

namespace zv {
namespace {

using namespace std::chrono_literals;

TEST(NotifierTest, WithoutWindowPostAndSendDoNothing) {
  CMainWindowNotifier::Instance().SetTarget(nullptr);
  CMainWindowNotifier::Instance().Post(UWM_STREAM_ENDED, 0, 0);
  EXPECT_EQ(CMainWindowNotifier::Instance().Send(UWM_VIDEO_SIZE, 1, 2), 0);
}

TEST(NotifierTest, SendBlocksUntilTheWindowHasHandledTheEvent) {
  test::RecordingWindow window;
  window.Attach();
  std::atomic<bool> handlerDone{false};
  window.SetHandler([&](const test::RecordedEvent& e) -> intptr_t {
    EXPECT_TRUE(window.OnWindowThread());
    if (e.message == UWM_VIDEO_FRAME) {
      // The sender's memory must still be valid here: the worker is blocked.
      std::this_thread::sleep_for(200ms);
      EXPECT_EQ(*reinterpret_cast<int*>(e.wParam), 42);
      handlerDone = true;
      return 7;
    }
    return 0;
  });
  intptr_t result = 0;
  std::thread worker([&] {
    int frame = 42;
    result = CMainWindowNotifier::Instance().Send(UWM_VIDEO_FRAME, reinterpret_cast<uintptr_t>(&frame), 0);
    EXPECT_TRUE(handlerDone.load());
    frame = 0;
  });
  worker.join();
  EXPECT_EQ(result, 7);
  EXPECT_TRUE(handlerDone.load());
}

TEST(NotifierTest, PostReturnsAtOnceAndKeepsOrder) {
  test::RecordingWindow window;
  window.Attach();
  std::atomic<bool> release{false};
  window.SetHandler([&](const test::RecordedEvent& e) -> intptr_t {
    if (e.message == UWM_QUEUE_STATUS)
      while (!release.load()) std::this_thread::sleep_for(1ms);
    return 0;
  });
  CMainWindowNotifier::Instance().Post(UWM_QUEUE_STATUS, 10, 5);
  CMainWindowNotifier::Instance().Post(UWM_STREAM_STARTED, 0, 0);
  CMainWindowNotifier::Instance().Post(UWM_NETWORK_LEVEL, 2, 0);
  EXPECT_EQ(window.Count(UWM_QUEUE_STATUS), 0u);  // still in the handler: Post did not wait
  release = true;
  ASSERT_TRUE(window.WaitFor([](const auto& events) { return events.size() == 3; }));
  auto events = window.Events();
  EXPECT_EQ(events[0].message, UWM_QUEUE_STATUS);
  EXPECT_EQ(events[0].wParam, 10u);
  EXPECT_EQ(events[0].lParam, 5);
  EXPECT_EQ(events[1].message, UWM_STREAM_STARTED);
  EXPECT_EQ(events[2].message, UWM_NETWORK_LEVEL);
  EXPECT_FALSE(events[0].sent);
}

TEST(NotifierTest, SendOnTheWindowThreadIsADirectCall) {
  test::RecordingWindow window;
  window.Attach();
  std::atomic<bool> nestedDone{false};
  window.SetHandler([&](const test::RecordedEvent& e) -> intptr_t {
    if (e.message == UWM_LOGIN_DONE) {
      // A handler that sends to its own window must not wait for itself.
      CMainWindowNotifier::Instance().Send(UWM_LOGIN_RESULT, 0, 0);
      nestedDone = true;
    }
    return 0;
  });
  CMainWindowNotifier::Instance().Send(UWM_LOGIN_DONE, 0, 0);
  EXPECT_TRUE(nestedDone.load());
  EXPECT_EQ(window.Messages(), (std::vector<uint32_t>{UWM_LOGIN_RESULT, UWM_LOGIN_DONE}));
}

}  // namespace
}  // namespace zv
