// The ad before control: which devices show it, the countdown popup, the one-second
// ticks and the switch to the video once the time is over and a frame has arrived.
#include <gtest/gtest.h>

#include <QTimer>

#include "api/app_context.h"
#include "app/events.h"
#include "platform/message_box.h"
#include "tests/pages_player/player_host.h"
#include "toolkit/ui_activex.h"
#include "toolkit/ui_window_host.h"
#include "ui/child_page.h"

namespace zv::test {
namespace {

using zv::pages::CShowPlayerUI;

PadInfo Pad(const std::string& code, const std::string& grade, int adTime) {
  PadInfo pad;
  pad.padCode = code;
  pad.padName = code + " name";
  pad.padGrade = grade;
  pad.adPlayTime = adTime;
  return pad;
}

class PlayerAdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CAppContext& context = CAppContext::Instance();
    context.padList = {Pad("PAD-AD", "0", 15), Pad("PAD-VIP", "1", 15), Pad("PAD-NOAD", "0", 0),
                       Pad("PAD-AD2", "0", 2)};
    context.endpoints.webBase = "http://127.0.0.1:18088";
    m_host.Open();
    ASSERT_NE(m_host.player, nullptr);
    m_page = m_host.player;
  }
  void TearDown() override { CAppContext::Instance().padList.clear(); }

  void Start(const std::string& padCode) {
    CAppContext::Instance().SetCurrentPadCode(padCode);
    m_page->StartPlayback(m_host.GetHWND());
  }
  std::wstring Countdown() {
    zv::ui::CChildPage* popup = m_page->AdCountdownPopup();
    if (!popup) return L"<none>";
    DuiLib::CControlUI* label = popup->Manager().FindControl(L"Label_playadTime");
    return label ? label->GetText() : L"<no label>";
  }
  void Tick() { m_page->OnAdTick(m_host.GetHWND()); }
  void Frame() {
    m_page->OnVideoSize(m_picture.Width(), m_picture.Height());
    m_page->OnVideoFrame(m_picture.Frame());
  }

  CPageHost m_host;
  CShowPlayerUI* m_page = nullptr;
  CTestPicture m_picture{360, 640};
};

TEST_F(PlayerAdTest, DevicesWithoutAnAdShowTheVideoTabAtOnce) {
  for (const char* code : {"PAD-VIP", "PAD-NOAD"}) {
    Start(code);
    EXPECT_EQ(m_page->PlayerTab(), CShowPlayerUI::kVideoTab) << code;
    EXPECT_EQ(m_page->AdCountdownPopup(), nullptr) << code;
    EXPECT_EQ(m_page->AdElapsed(), 0);
  }
  Frame();
  EXPECT_EQ(m_page->PlayerTab(), CShowPlayerUI::kVideoTab);
  EXPECT_EQ(m_host.Find(L"Label_PlayerDeviceName")->GetText(), L"PAD-NOAD name");
  EXPECT_EQ(m_host.Find(L"Label_PlayerPadCode")->GetText(), L"PAD-NOAD");
  EXPECT_EQ(m_host.Find(L"Label_PlayerGrade")->GetText(), L"普通设备");
}

TEST_F(PlayerAdTest, AdPageIsLoadedWithTheHostHandlerAndTheCountdownOverIt) {
  Start("PAD-AD");
  EXPECT_EQ(m_page->PlayerTab(), CShowPlayerUI::kAdTab);
  EXPECT_EQ(m_page->AdTime(), 15);
  auto* browser = static_cast<DuiLib::CWebBrowserUI*>(m_host.Find(L"PlayingAd_webBrowser"));
  ASSERT_NE(browser, nullptr);
  const std::vector<std::wstring> history{L"about:blank", L"http://127.0.0.1:18088/ad/index.html"};
  EXPECT_EQ(browser->History(), history);
  DuiLib::CWebBrowserEventHandler* handler = browser->GetWebBrowserEventHandler();
  ASSERT_NE(handler, nullptr);
  EXPECT_EQ(handler->GetHostStyleSheet(), L"BODY{Zoom:100%;}");
  EXPECT_FALSE(handler->ScrollBarsAllowed());
  EXPECT_FALSE(handler->ShowUI());
  EXPECT_TRUE(handler->ShowContextMenu());

  zv::ui::CChildPage* popup = m_page->AdCountdownPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(Countdown(), L"15");
  EXPECT_EQ(popup->GetName(), L"ShowPlayAdTime");
  // 96 x 32 at the top right of the ad, inside it.
  DuiLib::RECT rc{};
  ASSERT_TRUE(DuiLib::GetClientRect(popup->GetHWND(), rc));
  EXPECT_EQ(rc.Width(), 96);
  EXPECT_EQ(rc.Height(), 32);
  QPoint at = popup->GetHWND()->mapTo(m_host.GetHWND(), QPoint(0, 0));
  const DuiLib::RECT& ad = browser->GetPos();
  EXPECT_GE(at.x(), ad.left);
  EXPECT_LE(at.x() + 96, ad.right);
  EXPECT_GE(at.y(), ad.top);
  EXPECT_LT(at.y(), ad.top + 40);
  EXPECT_GT(at.x(), (ad.left + ad.right) / 2);
}

TEST_F(PlayerAdTest, FirstFrameDuringTheAdWaitsForTheFifteenthTick) {
  Start("PAD-AD");
  std::vector<std::wstring> shown{Countdown()};
  for (int tick = 1; tick <= 15; ++tick) {
    Tick();
    if (tick == 3) Frame();
    if (tick < 15) {
      shown.push_back(Countdown());
      EXPECT_EQ(m_page->PlayerTab(), CShowPlayerUI::kAdTab) << "tick " << tick;
    }
  }
  EXPECT_EQ(m_page->PlayerTab(), CShowPlayerUI::kVideoTab);
  EXPECT_EQ(m_page->AdCountdownPopup(), nullptr);
  const std::vector<std::wstring> expected{L"15", L"14", L"13", L"12", L"11", L"10", L"9", L"8",
                                           L"7",  L"6",  L"5",  L"4",  L"3",  L"2",  L"1"};
  EXPECT_EQ(shown, expected);
}

TEST_F(PlayerAdTest, FirstFrameAfterTheAdSwitchesWhenItArrives) {
  Start("PAD-AD");
  std::vector<std::wstring> shown;
  for (int tick = 1; tick <= 20; ++tick) {
    Tick();
    shown.push_back(Countdown());
    EXPECT_EQ(m_page->PlayerTab(), CShowPlayerUI::kAdTab) << "tick " << tick;
  }
  // 14 .. 0, then the countdown stays at 0.
  for (int tick = 1; tick <= 20; ++tick)
    EXPECT_EQ(shown[tick - 1], std::to_wstring(std::max(0, 15 - tick))) << "tick " << tick;
  Frame();
  EXPECT_EQ(m_page->PlayerTab(), CShowPlayerUI::kVideoTab);
  Tick();
  EXPECT_EQ(m_page->AdCountdownPopup(), nullptr);
}

TEST_F(PlayerAdTest, InputAndPictureWaitForTheVideoTab) {
  Start("PAD-AD");
  Frame();
  EXPECT_TRUE(m_page->FrameReceived());
  m_picture.Fill(0xFF, 0xFF, 0xFF);
  m_page->OnVideoFrame(m_picture.Frame());
  m_host.Grab();
  EXPECT_EQ(m_page->FramesShown(), 0);  // the ad is on screen
}

TEST_F(PlayerAdTest, RealTimerTicksOnTheMainWindowUntilTheSwitch) {
  Frame();
  Start("PAD-AD2");
  EXPECT_EQ(m_page->PlayerTab(), CShowPlayerUI::kAdTab);
  ASSERT_TRUE(PumpUntil([&] { return m_page->PlayerTab() == CShowPlayerUI::kVideoTab; }, 6000));
  EXPECT_EQ(m_host.adTicks, 2);
  Pump(1500);
  EXPECT_EQ(m_host.adTicks, 2);  // the timer ended with the ad
}

TEST_F(PlayerAdTest, NextPlaybackRestartsTheCountdownWithAFreshPopup) {
  Start("PAD-AD");
  Tick();
  Tick();
  zv::ui::CChildPage* first = m_page->AdCountdownPopup();
  ASSERT_NE(first, nullptr);
  Start("PAD-AD");
  EXPECT_EQ(m_page->AdElapsed(), 0);
  EXPECT_EQ(Countdown(), L"15");
}

TEST_F(PlayerAdTest, EndingTheSessionDuringTheAdTakesTheCountdownAway) {
  Start("PAD-AD");
  ASSERT_NE(m_page->AdCountdownPopup(), nullptr);
  m_page->SetFrameReceived(false);
  EXPECT_EQ(m_page->AdCountdownPopup(), nullptr);
  Pump(1300);
  EXPECT_EQ(m_host.adTicks, 0);
}

TEST_F(PlayerAdTest, MissingDeviceIsReportedAndLeavesThePageAsItWas) {
  Start("PAD-VIP");
  std::vector<MessageBoxInfo> seen;
  QTimer::singleShot(50, [&] {
    seen = CMessageBoxService::Instance().OpenBoxes();
    CMessageBoxService::Instance().AnswerInnermost();
  });
  Start("PAD-GONE");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, L"未找到你要控制的设备信息，请重新连接!");
  EXPECT_EQ(seen[0].caption, L"提示");
  EXPECT_EQ(m_page->PlayerTab(), CShowPlayerUI::kVideoTab);
  EXPECT_EQ(m_page->AdCountdownPopup(), nullptr);
  EXPECT_EQ(m_page->AdElapsed(), 0);
}

TEST_F(PlayerAdTest, WindowClosedWithTheCountdownOpen) {
  Start("PAD-AD");
  ASSERT_NE(m_page->AdCountdownPopup(), nullptr);
  m_host.Close();
  ASSERT_TRUE(PumpUntil([&] { return !DuiLib::IsWindow(m_host.GetHWND()); }));
}

}  // namespace
}  // namespace zv::test
