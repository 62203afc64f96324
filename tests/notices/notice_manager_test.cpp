// The notice worker against the real simulated platform after a real login.
#include "ui/notice_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <thread>

#include "api/notice_lock.h"
#include "api/service_api.h"
#include "app/events.h"
#include "tests/notices/notice_sim.h"
#include "tests/support/recording_window.h"

namespace zv {
namespace {

using namespace std::chrono_literals;
using test::RecordedEvent;

constexpr uint32_t kLong = 600000;  // a later poll that never comes within a test

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::vector<RecordedEvent> Signals(const std::vector<RecordedEvent>& events) {
  std::vector<RecordedEvent> out;
  for (const RecordedEvent& e : events)
    if (e.message == UWM_NOTICE_SIGNAL) out.push_back(e);
  return out;
}

bool HasSignal(const std::vector<RecordedEvent>& events, uintptr_t wParam, intptr_t lParam) {
  for (const RecordedEvent& e : Signals(events))
    if (e.wParam == wParam && e.lParam == lParam) return true;
  return false;
}

int IndexOf(const std::vector<NoticeInfo>& notices, int32_t noticeId) {
  for (size_t i = 0; i < notices.size(); ++i)
    if (notices[i].noticeId == noticeId) return static_cast<int>(i);
  return -1;
}

int32_t ReadStateInModel(int32_t noticeId) {
  std::lock_guard<std::mutex> lock(NoticeListMutex());
  for (const NoticeInfo& n : CAppContext::Instance().noticeList)
    if (n.noticeId == noticeId) return n.readState;
  return 0;
}

class NoticeManagerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::setlocale(LC_ALL, "C.UTF-8");
    sim = new test::CNoticeSim;
    std::string error;
    if (!sim->Start(error)) startError = error;
  }
  static void TearDownTestSuite() {
    delete sim;
    sim = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(startError.empty()) << startError;
    sim->Admin("reset");
    window.Attach();
    ApiRequest login;
    login.params[0] = "reader";
    login.params[1] = "123456";
    ASSERT_EQ(CServiceApi::Instance().SignIn(login, false), 0) << login.resultInfo;
    sim->Admin("log/clear");
  }

  void TearDown() override {
    NoticeManager::Instance().Stop();
    EXPECT_TRUE(NoticeManager::Instance().WaitForWorkersToEnd(30s));
    NoticeManager::Instance().SetPollIntervalsForTesting(kNoticeFirstPollIntervalMs,
                                                         kNoticeLaterPollIntervalMs);
  }

  static void StartWith(uint32_t firstMs, uint32_t laterMs) {
    NoticeManager::Instance().SetPollIntervalsForTesting(firstMs, laterMs);
    ASSERT_TRUE(NoticeManager::Instance().Start());
  }

  bool WaitForPolls(size_t count, std::chrono::milliseconds timeout = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      if (sim->Requests("/notice/getUserNotice.html").size() >= count) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  bool WaitForSignal(uintptr_t wParam, intptr_t lParam) {
    return window.WaitFor([&](const std::vector<RecordedEvent>& e) { return HasSignal(e, wParam, lParam); },
                          20s);
  }

  static test::CNoticeSim* sim;
  static std::string startError;
  test::RecordingWindow window;
};

test::CNoticeSim* NoticeManagerTest::sim = nullptr;
std::string NoticeManagerTest::startError;

TEST_F(NoticeManagerTest, FirstPollSignalsPopupsThenUnreadOthers) {
  StartWith(kLong, kLong);
  ASSERT_TRUE(WaitForSignal(2, 1));
  const auto signals = Signals(window.Events());
  ASSERT_EQ(signals.size(), 2u);
  EXPECT_EQ(signals[0].wParam, 1u);
  EXPECT_EQ(signals[0].lParam, 1) << "the first poll's popup signal carries first poll = 1";
  EXPECT_TRUE(signals[0].sent && signals[1].sent);
  EXPECT_EQ(NoticeManager::Instance().FirstPoll(), 0);

  const auto selection = NoticeManager::Instance().Selection();
  ASSERT_EQ(selection.size(), 2u) << "the unread popups: notices 1 and 2";
  EXPECT_EQ(selection[0].noticeId, 1);
  EXPECT_EQ(selection[1].noticeId, 2);
  EXPECT_EQ(selection[0].userNoticeId, "20001-1");
  EXPECT_EQ(selection[0].noticeTitle, "维护通知");
  for (const NoticeInfo& n : selection) EXPECT_EQ(n.popMode, 1);

  NoticeManager::Instance().CollectAll();
  EXPECT_EQ(NoticeManager::Instance().SelectionSize(), 3u);
  EXPECT_TRUE(NoticeManager::Instance().HasUnreadPopups());
  EXPECT_TRUE(NoticeManager::Instance().HasUnreadOthers());
}

TEST_F(NoticeManagerTest, SecondPollAfterFirstIntervalLaterOnesAfterLongOne) {
  StartWith(300, 3000);
  ASSERT_TRUE(WaitForPolls(3, 30s));
  const auto polls = sim->Requests("/notice/getUserNotice.html");
  const int64_t first = polls[1]["time"].asInt64() - polls[0]["time"].asInt64();
  const int64_t later = polls[2]["time"].asInt64() - polls[1]["time"].asInt64();
  EXPECT_GE(first, 250);
  EXPECT_LT(first, 2500) << "the second poll must follow the short interval";
  EXPECT_GE(later, 2500) << "after a successful poll the long interval applies";
  // Nothing was marked read, so every successful poll shows the popups again. The sim
  // records a poll when it arrives; its signals follow once the answer is parsed.
  EXPECT_TRUE(window.WaitFor([](const std::vector<RecordedEvent>& e) { return Signals(e).size() >= 6u; }, 20s))
      << "three polls, two signals each";
}

struct FailureCase {
  const char* mode;
};

class NoticeFailedPollTest : public NoticeManagerTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(NoticeFailedPollTest, ChangesNothingAndKeepsShortInterval) {
  ASSERT_TRUE(sim->Inject("/notice/getUserNotice.html", GetParam().mode, 2));
  StartWith(300, kLong);
  ASSERT_TRUE(WaitForSignal(2, 1)) << "the third poll succeeds";
  const auto polls = sim->Requests("/notice/getUserNotice.html");
  ASSERT_EQ(polls.size(), 3u);
  EXPECT_LT(polls[2]["time"].asInt64() - polls[0]["time"].asInt64(), 10000)
      << "two failed polls keep the short interval";
  const auto signals = Signals(window.Events());
  ASSERT_EQ(signals.size(), 2u) << "failed polls send nothing";
  EXPECT_EQ(signals[0].wParam, 1u);
  EXPECT_EQ(signals[0].lParam, 1) << "first poll is still 1 after failures";
}

INSTANTIATE_TEST_SUITE_P(Modes, NoticeFailedPollTest,
                         testing::Values(FailureCase{"html500"}, FailureCase{"garbage"}),
                         [](const testing::TestParamInfo<FailureCase>& info) {
                           return std::string(info.param.mode);
                         });

TEST_F(NoticeManagerTest, ExpiredSessionPollSendsNoNoticeSignal) {
  StartWith(kLong, kLong);
  ASSERT_TRUE(WaitForSignal(2, 1));
  NoticeManager::Instance().Stop();
  ASSERT_TRUE(NoticeManager::Instance().WaitForWorkersToEnd(20s));
  window.Clear();
  sim->Admin("sessions/expire");
  StartWith(kLong, kLong);
  ASSERT_TRUE(window.WaitForMessage(UWM_SESSION_TIMEOUT, 20s));
  EXPECT_TRUE(Signals(window.Events()).empty());
  EXPECT_EQ(NoticeManager::Instance().FirstPoll(), 1);
}

TEST_F(NoticeManagerTest, MarkReadReportsOnceAndLastListOnlyStopsFlicker) {
  StartWith(kLong, kLong);
  ASSERT_TRUE(WaitForSignal(2, 1));
  NoticeManager& manager = NoticeManager::Instance();
  manager.CollectAll();
  const auto all = manager.Selection();
  const int popup = IndexOf(all, 1), listOnly = IndexOf(all, 3);
  ASSERT_GE(popup, 0);
  ASSERT_GE(listOnly, 0);
  window.Clear();

  manager.MarkRead(popup);
  manager.MarkRead(-1);
  manager.MarkRead(static_cast<int>(all.size()));
  EXPECT_EQ(ReadStateInModel(1), 3);
  EXPECT_TRUE(Signals(window.Events()).empty()) << "an unread list-only notice remains";

  manager.MarkRead(listOnly);
  EXPECT_EQ(ReadStateInModel(3), 3);
  ASSERT_EQ(Signals(window.Events()).size(), 1u);
  EXPECT_TRUE(HasSignal(window.Events(), 2, 0));
  manager.MarkRead(listOnly);  // shown again: reported no second time

  const auto deadline = std::chrono::steady_clock::now() + 20s;
  std::vector<Json::Value> updates;
  while (std::chrono::steady_clock::now() < deadline && updates.size() < 2) {
    updates = sim->Requests("/notice/updateUserNotice.html");
    std::this_thread::sleep_for(20ms);
  }
  std::this_thread::sleep_for(300ms);
  updates = sim->Requests("/notice/updateUserNotice.html");
  ASSERT_EQ(updates.size(), 2u);
  EXPECT_EQ(updates[0]["body"]["userNoticeId"].asString(), "20001-1");
  EXPECT_EQ(updates[1]["body"]["userNoticeId"].asString(), "20001-3");

  // The service now answers both as read.
  ApiRequest poll;
  poll.kind = REQ_GET_NOTICES;
  ASSERT_EQ(CServiceApi::Instance().Execute(poll), 0);
  EXPECT_EQ(ReadStateInModel(1), 3);
  EXPECT_EQ(ReadStateInModel(2), 4);
  EXPECT_EQ(ReadStateInModel(3), 3);
  EXPECT_FALSE(manager.HasUnreadOthers());
}

TEST_F(NoticeManagerTest, PollAfterAllReadSignalsNoPopupAndNoFlicker) {
  StartWith(300, 300);
  ASSERT_TRUE(WaitForSignal(2, 1));
  NoticeManager& manager = NoticeManager::Instance();
  manager.CollectAll();
  for (int i = 0; i < 3; ++i) manager.MarkRead(i);
  const auto updatesDone = [&] { return sim->Requests("/notice/updateUserNotice.html").size() == 3; };
  for (auto until = std::chrono::steady_clock::now() + 20s;
       !updatesDone() && std::chrono::steady_clock::now() < until;)
    std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(updatesDone());
  const size_t polled = sim->Requests("/notice/getUserNotice.html").size();
  window.Clear();
  ASSERT_TRUE(WaitForPolls(polled + 2));
  ASSERT_TRUE(WaitForSignal(2, 0));
  for (const RecordedEvent& e : Signals(window.Events()))
    EXPECT_EQ(e.wParam, 2u) << "no popup is left to show";
}

TEST_F(NoticeManagerTest, StopThenQuickStartNeverLetsOldWorkerPoll) {
  StartWith(100, 100);
  ASSERT_TRUE(WaitForPolls(3));
  NoticeManager::Instance().Stop();
  EXPECT_EQ(NoticeManager::Instance().SelectionSize(), 0u);
  EXPECT_FALSE(NoticeManager::Instance().IsRunning());
  const int64_t restarted = NowMs();
  StartWith(kLong, kLong);
  std::this_thread::sleep_for(2000ms);
  size_t after = 0;
  for (const Json::Value& poll : sim->Requests("/notice/getUserNotice.html"))
    if (poll["time"].asInt64() >= restarted) ++after;
  // The new worker's first poll, and at most one the old worker had begun before Stop.
  EXPECT_GE(after, 1u);
  EXPECT_LE(after, 2u) << "the stopped worker went on polling every 100 ms";
  EXPECT_TRUE(NoticeManager::Instance().IsRunning());
}

TEST_F(NoticeManagerTest, StopOnWindowThreadWhileWorkerSendsDoesNotDeadlock) {
  window.SetHandler([](const RecordedEvent& e) -> intptr_t {
    // The worker is blocked in its Send of the popup signal while this runs.
    if (e.message == UWM_NOTICE_SIGNAL && e.wParam == 1) NoticeManager::Instance().Stop();
    return 0;
  });
  StartWith(100, 100);
  ASSERT_TRUE(window.WaitForMessage(UWM_NOTICE_SIGNAL, 20s));
  EXPECT_TRUE(NoticeManager::Instance().WaitForWorkersToEnd(20s));
  EXPECT_FALSE(NoticeManager::Instance().IsRunning());
  std::this_thread::sleep_for(400ms);
  const auto signals = Signals(window.Events());
  ASSERT_EQ(signals.size(), 1u) << "a stopped worker sends nothing more";
  EXPECT_EQ(sim->Requests("/notice/getUserNotice.html").size(), 1u);
  window.SetHandler(nullptr);
}

}  // namespace
}  // namespace zv
