// The popups over the real skins: the waiting animation, the SMS code and its countdown,
// the phone binding against the sim's account service, closing and disposal.
#include <gtest/gtest.h>

#include "app/events.h"
#include "tests/ui_popups/popup_fixture.h"
#include "toolkit/ui_control.h"
#include "toolkit/ui_manager.h"
#include "ui/child_page.h"

namespace {

using zv::ui::CChildPage;
using zvtest::CBoxAnswerer;
using zvtest::PumpUntil;

constexpr DuiLib::RECT kLoginPage{0, 40, 960, 700};

class ChildPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(zvtest::Sim(), nullptr) << zvtest::SimError();
    zvtest::Admin("reset");
    ASSERT_NE(m_parent.CreateShown(), nullptr);
  }
  void TearDown() override {
    CChildPage::Dispose(m_popup);
    m_parent.DestroyWindow();
  }

  CChildPage* Open(const wchar_t* skin, const wchar_t* name) {
    m_popup = new CChildPage(m_parent.GetHWND());
    m_popup->SetSkinFile(skin);
    EXPECT_TRUE(m_popup->CreateOver(name, kLoginPage));
    return m_popup;
  }
  DuiLib::CControlUI* Find(const wchar_t* name) { return m_popup->Manager().FindControl(name); }
  void SetText(const wchar_t* name, const std::wstring& text) {
    DuiLib::CControlUI* c = Find(name);
    ASSERT_NE(c, nullptr) << "no control in the skin";
    c->SetText(text);
  }
  void Click(const wchar_t* name) {
    DuiLib::CControlUI* c = Find(name);
    ASSERT_NE(c, nullptr);
    m_popup->Manager().SendNotify(c, L"click");
  }
  void Tick(zv::TimerId id, int times = 1) {
    for (int i = 0; i < times; ++i) m_popup->SendMessage(DuiLib::WM_TIMER, id, 0);
  }
  std::wstring CodeButtonText() { return Find(L"Button_BindMobile_code")->GetText(); }
  bool CodeButtonEnabled() { return Find(L"Button_BindMobile_code")->IsEnabled(); }

  zvtest::CRecordingParent m_parent;
  CChildPage* m_popup = nullptr;
};

TEST_F(ChildPageTest, OverlayLiesOverTheHostedRectangle) {
  Open(L"WaitingLogin.xml", L"WaitingLogin");
  DuiLib::RECT parent, popup;
  ASSERT_TRUE(DuiLib::GetWindowRect(m_parent.GetHWND(), parent));
  ASSERT_TRUE(DuiLib::GetWindowRect(m_popup->GetHWND(), popup));
  EXPECT_EQ(popup.left - parent.left, 0);
  EXPECT_EQ(popup.top - parent.top, 40);
  EXPECT_EQ(popup.Width(), 960);
  EXPECT_EQ(popup.Height(), 660);
  EXPECT_EQ(DuiLib::GetParent(m_popup->GetHWND()), m_parent.GetHWND());
  EXPECT_EQ(m_popup->IsClosed(), 0);
}

TEST_F(ChildPageTest, WaitingAnimationStartsAtWindowInitAndWrapsAfterTwelveFrames) {
  Open(L"WaitingLogin.xml", L"WaitingLogin");
  // The popup's own 70 ms timer, armed at "windowinit", steps the frames.
  EXPECT_TRUE(PumpUntil([&] { return m_popup->AnimationFrame() >= 2; }, 5000));
  m_popup->KillTimer(zv::TIMER_WAITING_ANIMATION);

  DuiLib::CControlUI* gif = Find(L"Label_gif");
  ASSERT_NE(gif, nullptr);
  int start = m_popup->AnimationFrame();
  for (int step = 0; step < 14; ++step) {
    Tick(zv::TIMER_WAITING_ANIMATION);
    int shown = (start + step) % 12 + 1;
    wchar_t expected[32];
    swprintf(expected, 32, L"Login_Gif\\%02d.png", shown);
    EXPECT_EQ(gif->GetBkImage(), expected) << "step " << step;
  }
}

TEST_F(ChildPageTest, AnimationTimerOfAnotherSkinChangesNothing) {
  Open(L"\\UserBindMobile\\UserBindMobile.xml", L"UserBindMobile");
  Tick(zv::TIMER_WAITING_ANIMATION, 3);
  EXPECT_EQ(m_popup->AnimationFrame(), 0);
}

TEST_F(ChildPageTest, SmsWithEmptyPhoneShowsOnlyTheBox) {
  Open(L"\\UserBindMobile\\UserBindMobile.xml", L"UserBindMobile");
  CBoxAnswerer boxes;
  int before = zvtest::CountRequests("/sms/sendByBindUserPhone.html");
  Click(L"Button_BindMobile_code");
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"请填写手机号码!"});
  EXPECT_EQ(zvtest::CountRequests("/sms/sendByBindUserPhone.html"), before);
  EXPECT_TRUE(CodeButtonEnabled());
  EXPECT_EQ(CodeButtonText(), L"获取验证码");
  EXPECT_FALSE(m_popup->KillTimer(zv::TIMER_BIND_SMS_COUNTDOWN)) << "no countdown may run";
}

TEST_F(ChildPageTest, FailedSmsShowsTheServiceTextAndCountsDownAllTheSame) {
  Open(L"\\UserBindMobile\\UserBindMobile.xml", L"UserBindMobile");
  CBoxAnswerer boxes;
  SetText(L"Edit_BindMobile_telphone", L"12ab");
  Click(L"Button_BindMobile_code");
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"发送短信失败!手机号码格式不正确"});
  EXPECT_EQ(m_popup->Countdown(), 60);
  EXPECT_FALSE(CodeButtonEnabled());
  EXPECT_EQ(CodeButtonText(), L"60 秒后重试");
  // The real one-second timer runs.
  EXPECT_TRUE(PumpUntil([&] { return m_popup->Countdown() == 59; }, 5000));
  EXPECT_EQ(CodeButtonText(), L"59 秒后重试");
}

TEST_F(ChildPageTest, CountdownRunsAfterABoxThatStayedOpenLongerThanATick) {
  Open(L"\\UserBindMobile\\UserBindMobile.xml", L"UserBindMobile");
  CBoxAnswerer slowUser(1600);
  SetText(L"Edit_BindMobile_telphone", L"13800000000");
  Click(L"Button_BindMobile_code");
  ASSERT_EQ(slowUser.Texts().size(), 1u);
  EXPECT_EQ(m_popup->Countdown(), 60);
  EXPECT_EQ(CodeButtonText(), L"60 秒后重试");
  EXPECT_TRUE(PumpUntil([&] { return m_popup->Countdown() == 59; }, 5000)) << "the countdown must still run";
}

TEST_F(ChildPageTest, SmsCountdownReachingZeroEnablesTheButtonAgain) {
  Open(L"\\UserBindMobile\\UserBindMobile.xml", L"UserBindMobile");
  CBoxAnswerer boxes;
  int before = zvtest::CountRequests("/sms/sendByBindUserPhone.html");
  SetText(L"Edit_BindMobile_telphone", L"13800000000");
  Click(L"Button_BindMobile_code");
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"发送短信成功！请填写验证码后继续！"});
  EXPECT_EQ(zvtest::CountRequests("/sms/sendByBindUserPhone.html"), before + 1);

  Tick(zv::TIMER_BIND_SMS_COUNTDOWN, 59);
  EXPECT_EQ(CodeButtonText(), L"1 秒后重试");
  EXPECT_FALSE(CodeButtonEnabled());
  Tick(zv::TIMER_BIND_SMS_COUNTDOWN);
  EXPECT_EQ(m_popup->Countdown(), 0);
  EXPECT_TRUE(CodeButtonEnabled());
  EXPECT_EQ(CodeButtonText(), L"获取验证码");
  EXPECT_FALSE(m_popup->KillTimer(zv::TIMER_BIND_SMS_COUNTDOWN)) << "the countdown kills its timer";
  // A stray tick afterwards leaves the button as it is.
  Tick(zv::TIMER_BIND_SMS_COUNTDOWN);
  EXPECT_EQ(m_popup->Countdown(), 0);
  EXPECT_EQ(CodeButtonText(), L"获取验证码");
}

TEST_F(ChildPageTest, CloseDuringCountdownStopsTheTimerAndClosesThePopup) {
  Open(L"\\UserBindMobile\\UserBindMobile.xml", L"UserBindMobile");
  CBoxAnswerer boxes;
  SetText(L"Edit_BindMobile_telphone", L"13800000000");
  Click(L"Button_BindMobile_code");
  ASSERT_EQ(m_popup->Countdown(), 60);
  DuiLib::HWND popupWnd = m_popup->GetHWND();
  Click(L"Button_BindMobile_Close");
  EXPECT_EQ(m_popup->IsClosed(), 1);
  EXPECT_FALSE(DuiLib::IsWindow(popupWnd));
  zvtest::PumpFor(1300);  // a timer left running would tick here
  EXPECT_EQ(m_popup->Countdown(), 60);
  m_popup->ClosePopup();  // a second close does nothing
  EXPECT_EQ(m_popup->IsClosed(), 1);
}

struct BindCase {
  const wchar_t* code;
  const wchar_t* password;
  const wchar_t* userName;
  const wchar_t* box;
};

TEST_F(ChildPageTest, BindingChecksItsBoxesInOrderWithoutARequest) {
  const BindCase cases[] = {
      {L"", L"", L"", L"请输入手机验证码！"},
      {L"", L"123456", L"bindme", L"请输入手机验证码！"},
      {L"123456", L"", L"", L"请输入登录密码！"},
      {L"123456", L"123456", L"", L"请输入你的邮箱!"},
  };
  Open(L"\\UserBindMobile\\UserBindMobile.xml", L"UserBindMobile");
  int before = zvtest::CountRequests("/user/bindPhone.html");
  for (const BindCase& c : cases) {
    CBoxAnswerer boxes;
    SetText(L"Edit_BindMobile_code", c.code);
    SetText(L"Edit_BindMobile_psw", c.password);
    SetText(L"Edit_BindMobile_email", c.userName);
    Click(L"Button_BindMobile");
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{c.box});
  }
  EXPECT_EQ(zvtest::CountRequests("/user/bindPhone.html"), before);
  EXPECT_TRUE(m_parent.loginWith.empty());
  EXPECT_EQ(m_popup->IsClosed(), 0);
}

TEST_F(ChildPageTest, FailedBindingShowsTheServiceTextAndKeepsThePopup) {
  Open(L"\\UserBindMobile\\UserBindMobile.xml", L"UserBindMobile");
  CBoxAnswerer boxes;
  SetText(L"Edit_BindMobile_code", L"123456");
  SetText(L"Edit_BindMobile_psw", L"wrong");
  SetText(L"Edit_BindMobile_email", L"bindme");
  Click(L"Button_BindMobile");
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"绑定手机失败!登录密码错误"});
  EXPECT_TRUE(m_parent.loginWith.empty());
  EXPECT_EQ(m_popup->IsClosed(), 0);
}

TEST_F(ChildPageTest, SuccessfulBindingSendsLoginWithToTheParentAndCloses) {
  Open(L"\\UserBindMobile\\UserBindMobile.xml", L"UserBindMobile");
  CBoxAnswerer boxes;
  SetText(L"Edit_BindMobile_code", L"123456");
  SetText(L"Edit_BindMobile_psw", L"123456");
  SetText(L"Edit_BindMobile_email", L"bindme");
  Click(L"Button_BindMobile");
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"绑定成功！"});
  ASSERT_EQ(m_parent.loginWith.size(), 1u);
  const zvtest::LoginWithRecord& sent = m_parent.loginWith[0];
  EXPECT_EQ(sent.request.kind, zv::REQ_BIND_PHONE);
  EXPECT_EQ(sent.request.params[0], "123456");
  EXPECT_EQ(sent.request.params[1], "123456");
  EXPECT_EQ(sent.request.params[2], "bindme");
  EXPECT_EQ(sent.request.resultCode, 0);
  EXPECT_EQ(sent.lParam, 0);
  EXPECT_EQ(m_popup->IsClosed(), 1);
  // The binding really reached the service.
  EXPECT_GE(zvtest::CountRequests("/user/bindPhone.html"), 1);
}

TEST_F(ChildPageTest, AdTimeShowsInItsLabel) {
  Open(L"ShowPlayAdTime.xml", L"ShowPlayAdTime");
  m_popup->SetAdTime(L"15");
  ASSERT_NE(Find(L"Label_playadTime"), nullptr);
  EXPECT_EQ(Find(L"Label_playadTime")->GetText(), L"15");
}

TEST_F(ChildPageTest, DisposeClosesAnOpenPopupAndForgetsIt) {
  CChildPage* popup = Open(L"WaitingLogin.xml", L"WaitingLogin");
  DuiLib::HWND wnd = popup->GetHWND();
  CChildPage::Dispose(m_popup);
  EXPECT_EQ(m_popup, nullptr);
  EXPECT_FALSE(DuiLib::IsWindow(wnd));
}

}  // namespace
