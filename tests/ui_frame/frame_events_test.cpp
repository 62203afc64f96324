// The main frame's application events and page commands through the real frame and
// the real main skin, with recording pages.
#include <gtest/gtest.h>

#include "api/app_context.h"
#include "api/service_api.h"
#include "app/events.h"
#include "platform/shell_open.h"
#include "player/stream_player.h"
#include "tests/ui_frame/frame_fixture.h"
#include "toolkit/ui_button.h"
#include "ui/child_page.h"
#include "ui/notice_manager.h"

namespace zvtest {
namespace {

using zv::ui::CMainFramePage;

bool Before(const std::vector<std::string>& journal, const std::string& a, const std::string& b) {
  int ia = -1, ib = -1;
  for (size_t i = 0; i < journal.size(); ++i) {
    if (ia < 0 && journal[i] == a) ia = static_cast<int>(i);
    if (ib < 0 && journal[i] == b) ib = static_cast<int>(i);
  }
  return ia >= 0 && ib >= 0 && ia < ib;
}

struct FailureCase {
  uint32_t event;
  const wchar_t* text;
};

TEST_F(FrameTest, SessionFailureEventsEndTheSessionShowTheListThenTheirText) {
  const FailureCase cases[] = {
      {zv::UWM_CTRL_CONNECT_FAILED, L"连接服务器失败"},
      {zv::UWM_CTRL_CONNECTION_LOST, L"到服务器的连接断开"},
      {zv::UWM_PAD_OFFLINE, L"平板不在线"},
      {zv::UWM_PAD_CONNECTION_LOST, L"到平板的连接断开"},
      {zv::UWM_CONTROL_TIME_EXHAUSTED, L"您的控制时间不足！"},
      {zv::UWM_PAD_NOT_CONTROLLABLE, L"平板不可控，请联系管理员！"},
      {zv::UWM_IDLE_TIMEOUT, L"空闲时间过长"},
      {zv::UWM_CONTROLLED_ELSEWHERE, L"用户在其他地方控制本平板"},
      {zv::UWM_STREAM_SERVER_FAULT, L"图像服务器故障，请联系客服"},
      {zv::UWM_STREAM_CONNECT_FAILED, L"连接图像服务器失败"},
  };
  LoginSucceeded();
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.event));
    OpenDevice();
    m_journal.Clear();
    std::vector<BoxSeen> boxes = WithBoxes(
        m_frame, m_journal, [&] { EXPECT_EQ(Send(c.event), 0); },
        [] {
          return std::string(zv::CStreamPlayer::Instance().IsRunning() ? "stream running" : "stream stopped");
        });
    ASSERT_EQ(boxes.size(), 1u);
    const BoxSeen& seen = boxes[0];
    EXPECT_EQ(seen.box.text, c.text);
    EXPECT_EQ(seen.box.caption, L"ZelvanePlayer");
    EXPECT_EQ(seen.box.icon, "warning");
    EXPECT_EQ(seen.extra, "stream stopped");
    // The box comes last: the session has ended and the list is on screen.
    EXPECT_EQ(seen.inSession, 0);
    EXPECT_EQ(seen.loginTab, 1);
    EXPECT_EQ(seen.accountTab, 1);
    EXPECT_TRUE(Before(seen.journal, "player.SetFrameReceived(0)", "panel.SetMode(3)"));
    EXPECT_TRUE(Before(seen.journal, "panel.SetMode(3)", "devices.Reset"));
    EXPECT_EQ(m_frame->GetEventText(c.event), c.text);
  }
}

TEST_F(FrameTest, ValuesOutsideTheTableAreNotHandled) {
  LoginSucceeded();
  OpenDevice();
  for (uint32_t value : {0x3405u, 0x3407u, 0x340Fu, 0x5401u}) {
    std::vector<BoxSeen> boxes = WithBoxes(m_frame, m_journal, [&] { Send(value); });
    EXPECT_TRUE(boxes.empty()) << value;
    EXPECT_EQ(m_frame->InSession(), 1) << value;
    EXPECT_EQ(m_frame->GetEventText(value), L"") << value;
  }
}

TEST_F(FrameTest, StreamEventsSelectThePlayerAndTheWaitingPage) {
  Send(zv::UWM_QUEUE_STATUS, 10, 8);
  EXPECT_EQ(m_frame->LoginTab(), 3);
  EXPECT_TRUE(m_journal.Has("waiting.UpdateQueue(10,8)"));

  Send(zv::UWM_STREAM_STARTED);
  EXPECT_EQ(m_frame->LoginTab(), 2);
  EXPECT_EQ(m_frame->InSession(), 1);

  Send(zv::UWM_VIDEO_SIZE, 360, 640);
  EXPECT_TRUE(m_journal.Has("player.OnVideoSize(360,640)"));
}

TEST_F(FrameTest, StreamEndedWithoutASessionDoesNothing) {
  std::vector<BoxSeen> boxes =
      WithBoxes(m_frame, m_journal, [&] { EXPECT_EQ(Send(zv::UWM_STREAM_ENDED), 0); });
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(m_frame->InSession(), 0);
  EXPECT_EQ(m_frame->LoginTab(), 0);
  EXPECT_TRUE(m_journal.entries.empty());
}

TEST_F(FrameTest, ReconnectOverlayIsCreatedOnceAndClosedByTheNextFrame) {
  LoginSucceeded();
  OpenDevice();
  Send(zv::UWM_CTRL_RECONNECTING, 1);
  zv::ui::CChildPage* first = m_frame->WaitingOverlay();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(m_frame->OverlayShown(), 1);
  EXPECT_EQ(first->SkinFile(), L"WaitingLogin.xml");
  Send(zv::UWM_CTRL_RECONNECTING, 1);
  EXPECT_EQ(m_frame->WaitingOverlay(), first);

  // Back is not sent while the overlay stands; the frame itself is shown.
  Send(zv::UWM_VIDEO_FRAME, 0, 0);
  EXPECT_EQ(m_frame->WaitingOverlay(), nullptr);
  EXPECT_EQ(m_frame->OverlayShown(), 0);
  EXPECT_TRUE(m_journal.Has("player.OnVideoFrame"));
}

TEST_F(FrameTest, ReconnectFailingAtOnceClosesTheOverlay) {
  Send(zv::UWM_CTRL_RECONNECTING, 1);
  ASSERT_NE(m_frame->WaitingOverlay(), nullptr);
  Send(zv::UWM_CTRL_RECONNECTING, 7);
  EXPECT_EQ(m_frame->OverlayShown(), 1);
  Send(zv::UWM_CTRL_RECONNECTING, 0);
  EXPECT_EQ(m_frame->WaitingOverlay(), nullptr);
  EXPECT_EQ(m_frame->OverlayShown(), 0);
}

TEST_F(FrameTest, MainMenuDuringReconnectEndsTheOverlayWithTheSession) {
  LogIn();
  OpenDevice();
  Send(zv::UWM_CTRL_RECONNECTING, 1);
  ASSERT_NE(m_frame->WaitingOverlay(), nullptr);
  Click(L"Button_MainMenu");
  EXPECT_EQ(m_frame->WaitingOverlay(), nullptr);
  EXPECT_EQ(m_frame->OverlayShown(), 0);
  EXPECT_EQ(m_frame->InSession(), 0);

  // A reconnect in a new session shows it again.
  OpenDevice();
  Send(zv::UWM_CTRL_RECONNECTING, 1);
  EXPECT_NE(m_frame->WaitingOverlay(), nullptr);
}

TEST_F(FrameTest, MainMenuPressesWithinTwoSecondsOfTheLastAreIgnored) {
  LogIn();
  OpenDevice();
  m_tick = 200000;
  Click(L"Button_MainMenu");
  EXPECT_EQ(m_frame->InSession(), 0);
  EXPECT_EQ(m_frame->LoginTab(), 1);
  EXPECT_EQ(m_frame->AccountTab(), 1);
  EXPECT_EQ(m_frame->LastBackTick(), 200000u);

  OpenDevice();
  m_tick += 1500;
  Click(L"Button_MainMenu");
  EXPECT_EQ(m_frame->InSession(), 1) << "second press, 1.5 s after the first";
  m_tick += 1500;
  Click(L"Button_MainMenu");
  EXPECT_EQ(m_frame->InSession(), 1) << "third press, 1.5 s after the second";
  EXPECT_EQ(m_frame->LastBackTick(), 203000u);

  m_tick += 2000;
  Click(L"Button_MainMenu");
  EXPECT_EQ(m_frame->InSession(), 0);
}

TEST_F(FrameTest, MainMenuWithoutALoginOnlyStoresTheTick) {
  OpenDevice();
  m_tick = 500000;
  Click(L"Button_MainMenu");
  EXPECT_EQ(m_frame->InSession(), 1);
  EXPECT_EQ(m_frame->LastBackTick(), 500000u);
}

TEST_F(FrameTest, DeviceListAndApplyPageNeedASuccessfulLogin) {
  Send(zv::UWM_PAGE_COMMAND, zv::PAGE_CMD_SHOW_DEVICE_LIST, 0);
  Send(zv::UWM_PAGE_COMMAND, zv::PAGE_CMD_SHOW_APPLY, 0);
  EXPECT_EQ(m_frame->LoginTab(), 0);
  EXPECT_TRUE(m_journal.entries.empty());

  LoginSucceeded();
  Send(zv::UWM_PAGE_COMMAND, zv::PAGE_CMD_SHOW_APPLY, 0);
  EXPECT_EQ(m_frame->LoginTab(), 1);
  EXPECT_EQ(m_frame->AccountTab(), 0);
  EXPECT_TRUE(Before(m_journal.entries, "panel.SetMode(2)", "panel.RefreshBeans"));
  EXPECT_TRUE(Before(m_journal.entries, "panel.RefreshBeans", "apply.Reload"));

  m_journal.Clear();
  Send(zv::UWM_PAGE_COMMAND, zv::PAGE_CMD_SHOW_DEVICE_LIST, 0);
  EXPECT_EQ(m_frame->AccountTab(), 1);
  EXPECT_TRUE(Before(m_journal.entries, "panel.SetMode(3)", "panel.RefreshBeans"));
  EXPECT_TRUE(Before(m_journal.entries, "panel.RefreshBeans", "devices.Reset"));
}

struct CommandCase {
  uintptr_t sub;
  const char* text;  // lParam as a narrow string, or null
  int accountTab;
  std::vector<std::string> steps;  // in this order
  std::vector<std::string> absent;
};

TEST_F(FrameTest, AccountPageCommandsSelectTheirTabAndLoadThePage) {
  zv::CAppContext::Instance().orderList.clear();
  zv::OrderInfo order;
  order.orderId = "ORD-7";
  zv::CAppContext::Instance().orderList.push_back(order);
  const CommandCase cases[] = {
      {zv::PAGE_CMD_FAULT_FEEDBACK, nullptr, 3, {"panel.RefreshBeans", "fault.LoadData"}, {}},
      {zv::PAGE_CMD_RECHARGE,
       "PAD-1",
       4,
       {"panel.RefreshBeans", "charge.SetRenewal(1,PAD-1)", "charge.Load"},
       {}},
      {zv::PAGE_CMD_RECHARGE, "", 4, {"panel.RefreshBeans", "charge.SetRenewal(0,)", "charge.Load"}, {}},
      {zv::PAGE_CMD_RECHARGE, nullptr, 4, {"panel.RefreshBeans", "charge.SetRenewal(0,)", "charge.Load"}, {}},
      {zv::PAGE_CMD_PAY_ORDER, "ORD-7", 4, {"panel.RefreshBeans", "charge.PayOrder(ORD-7)"}, {}},
      {zv::PAGE_CMD_PAY_ORDER, "ORD-404", 4, {"panel.RefreshBeans"}, {"charge.PayOrder(ORD-404)"}},
      {zv::PAGE_CMD_ORDERS, nullptr, 5, {"panel.RefreshBeans", "orders.Load"}, {}},
      {zv::PAGE_CMD_EXCHANGE,
       "PAD-2",
       6,
       {"panel.RefreshBeans", "exchange.SetPadCode(PAD-2)", "exchange.Load"},
       {}},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.sub) + " " + (c.text ? c.text : "null"));
    m_journal.Clear();
    Send(zv::UWM_PAGE_COMMAND, c.sub, reinterpret_cast<intptr_t>(c.text));
    EXPECT_EQ(m_frame->LoginTab(), 1);
    EXPECT_EQ(m_frame->AccountTab(), c.accountTab);
    EXPECT_EQ(m_journal.entries, c.steps);
    for (const std::string& a : c.absent) EXPECT_FALSE(m_journal.Has(a));
  }
  // The agreement page learns which kind of device is applied for.
  for (intptr_t vip : {0, 1}) {
    m_journal.Clear();
    Send(zv::UWM_PAGE_COMMAND, zv::PAGE_CMD_AGREEMENT, vip);
    EXPECT_EQ(m_frame->AccountTab(), 7);
    EXPECT_TRUE(m_journal.Has(vip ? "agree.SetDeviceKind(1)" : "agree.SetDeviceKind(0)"));
  }
  // Paying without an order id does nothing at all.
  Send(zv::UWM_PAGE_COMMAND, 0, 0);  // log out to the login page first
  m_journal.Clear();
  Send(zv::UWM_PAGE_COMMAND, zv::PAGE_CMD_PAY_ORDER, 0);
  EXPECT_EQ(m_frame->LoginTab(), 0);
  EXPECT_TRUE(m_journal.entries.empty());
  zv::CAppContext::Instance().orderList.clear();
}

TEST_F(FrameTest, OpeningADeviceStartsTheAdCountdownAndTheSession) {
  OpenDevice();
  EXPECT_TRUE(m_journal.Has("player.StartPlayback"));
  Send(zv::WM_TIMER, zv::TIMER_AD_COUNTDOWN);
  EXPECT_TRUE(m_journal.Has("player.OnAdTick"));
}

TEST_F(FrameTest, LogOutEndsTheSessionAndReturnsToTheLoginPage) {
  LogIn();
  OpenDevice();
  m_journal.Clear();
  Send(zv::UWM_PAGE_COMMAND, zv::PAGE_CMD_LOG_OUT, 0);
  EXPECT_EQ(m_frame->LoggedIn(), 0);
  EXPECT_EQ(m_frame->InSession(), 0);
  EXPECT_EQ(m_frame->LoginTab(), 0);
  EXPECT_TRUE(Before(m_journal.entries, "player.SetFrameReceived(0)", "login.Init(0,null)"));
  EXPECT_FALSE(zv::NoticeManager::Instance().IsRunning());
}

TEST_F(FrameTest, LoginResultPathsOfTheFrame) {
  // Still inside the minimum wait: the result waits for the timer.
  zv::ui::LoginRequest done;
  done.resultCode = 7;
  done.resultMessage = "bad";
  m_factory->login->waiting = 1;
  Send(zv::UWM_LOGIN_DONE, reinterpret_cast<uintptr_t>(&done));
  EXPECT_TRUE(m_journal.Has("login.SetLoginResult(7,bad)"));
  EXPECT_FALSE(m_journal.Has("login.SetLoginButtonEnabled(1)"));

  std::vector<BoxSeen> boxes =
      WithBoxes(m_frame, m_journal, [&] { Send(zv::WM_TIMER, zv::TIMER_LOGIN_MIN_WAIT); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].box.text, L"登录失败!bad");
  EXPECT_EQ(boxes[0].box.caption, L"提示");
  EXPECT_TRUE(m_journal.Has("login.SetWaiting(0)"));
  EXPECT_TRUE(m_journal.Has("login.SetLoginButtonEnabled(1)"));
  EXPECT_EQ(m_factory->login->request.resultCode, -100);

  // Code 4 asks for the phone binding.
  m_journal.Clear();
  done.resultCode = 4;
  m_factory->login->waiting = 0;
  boxes =
      WithBoxes(m_frame, m_journal, [&] { Send(zv::UWM_LOGIN_DONE, reinterpret_cast<uintptr_t>(&done)); });
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(m_journal.Has("login.ShowBindMobileWindow(5)"));
  EXPECT_EQ(m_frame->LoggedIn(), 0);

  // Code 3: the updater starts once the box has been answered.
  m_journal.Clear();
  done.resultCode = 3;
  done.resultMessage.clear();
  const size_t opened = zv::ShellOpenHistory().size();
  boxes = WithBoxes(
      m_frame, m_journal, [&] { Send(zv::UWM_LOGIN_DONE, reinterpret_cast<uintptr_t>(&done)); },
      [] { return std::to_string(zv::ShellOpenHistory().size()); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].box.text, L"登录失败");
  EXPECT_EQ(boxes[0].extra, std::to_string(opened));
  ASSERT_EQ(zv::ShellOpenHistory().size(), opened + 1);
  EXPECT_EQ(zv::ShellOpenHistory().back(), L"Update.exe");

  // A null record is nothing.
  m_journal.Clear();
  Send(zv::UWM_LOGIN_DONE, 0);
  EXPECT_TRUE(m_journal.entries.empty());
}

TEST_F(FrameTest, LoginWithNeedsBothTextsAndFreesTheRecord) {
  auto* empty = new zv::ApiRequest;
  empty->params[2] = "demo";
  Send(zv::UWM_LOGIN_WITH, reinterpret_cast<uintptr_t>(empty));
  EXPECT_FALSE(m_journal.Has("login.Login"));

  auto* full = new zv::ApiRequest;
  full->params[1] = "secret";
  full->params[2] = "demo";
  Send(zv::UWM_LOGIN_WITH, reinterpret_cast<uintptr_t>(full));
  EXPECT_TRUE(Before(m_journal.entries, "login.SetCredentials(demo,secret)", "login.Login"));
}

TEST_F(FrameTest, NoticeSignalsDriveTheFlickerTimer) {
  Send(zv::UWM_NOTICE_SIGNAL, 1, 1);
  EXPECT_TRUE(m_journal.Has("panel.ShowNoticeWindow(0)"));
  Send(zv::UWM_NOTICE_SIGNAL, 2, 1);
  EXPECT_TRUE(PumpUntil([this] { return m_journal.Has("panel.FlickerNotice"); }, 3000));
  Send(zv::UWM_NOTICE_SIGNAL, 2, 0);
  EXPECT_TRUE(m_journal.Has("panel.StopNoticeFlicker"));
  m_journal.Clear();
  Pump(700);
  EXPECT_FALSE(m_journal.Has("panel.FlickerNotice")) << "the flicker timer was killed";
}

TEST_F(FrameTest, AutoLoginTimerLogsInOnce) {
  m_frame->SetTimer(zv::TIMER_AUTO_LOGIN, 20);
  ASSERT_TRUE(PumpUntil([this] { return m_journal.Has("login.Login"); }, 3000));
  Pump(150);
  int logins = 0;
  for (const std::string& e : m_journal.entries) logins += e == "login.Login";
  EXPECT_EQ(logins, 1);
}

}  // namespace
}  // namespace zvtest
