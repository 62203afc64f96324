// The login page inside the real main frame and its real pages, against zelvane-sim: the
// frame's overlay, its evaluation of the stored result and the automatic login at start.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <memory>

#include "api/app_context.h"
#include "api/settings.h"
#include "pages/page_factory.h"
#include "tests/pages_login/login_host.h"
#include "ui/child_page.h"
#include "ui/main_frame_page.h"
#include "ui/notice_manager.h"

namespace zv::test {
namespace {

// No desktop tray in these tests.
class CNoTray : public zv::ITrayBackend {
 public:
  bool IsAvailable() const override { return false; }
  bool SupportsBalloons() const override { return false; }
  bool Add(const QIcon&, const std::wstring&, std::function<void(Click)>) override { return false; }
  bool Modify(const std::wstring&) override { return false; }
  bool ShowBalloon(const std::wstring&, const std::wstring&, int, int) override { return false; }
  bool Delete() override { return true; }
  QRect Geometry() const override { return QRect(); }
};

class LoginFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(StartClean());
  }
  void TearDown() override {
    if (hwnd && DuiLib::IsWindow(hwnd)) {
      frame->Close();
      PumpUntil([this] { return !DuiLib::IsWindow(hwnd); });
    }
    zv::NoticeManager::Instance().Stop();
    PumpUntil([] { return zv::pages::RunningLoginWorkers() == 0; }, 30000);
  }

  void OpenFrame() {
    frame = new zv::ui::CMainFramePage(&zv::pages::PageFactory(), std::make_unique<CNoTray>());
    hwnd = frame->Create(nullptr, L"ZelvanePlayer", DuiLib::WS_POPUP | DuiLib::WS_VISIBLE, 0, 0, 0, 0, 0);
    ASSERT_NE(hwnd, nullptr);
    page = dynamic_cast<zv::pages::CLoginUI*>(frame->LoginPage());
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(PumpUntil(
        [this] { return page->GetRequest().resultCode == -100 && !Text(L"Label_Version").empty(); }));
  }
  DuiLib::CControlUI* Find(const wchar_t* name) { return frame->GetPaintManager().FindControl(name); }
  std::wstring Text(const wchar_t* name) {
    DuiLib::CControlUI* c = Find(name);
    return c ? c->GetText() : std::wstring();
  }
  void TypeCredentials(const std::string& user, const std::string& password) {
    Find(L"Edit_UserName")->SetText(L"");
    TypeInto(Find(L"Edit_UserName"), user);
    TypeInto(Find(L"Edit_Password"), password);
  }

  zv::ui::CMainFramePage* frame = nullptr;
  DuiLib::HWND hwnd = nullptr;
  zv::pages::CLoginUI* page = nullptr;
};

TEST_F(LoginFrameTest, ATypedLoginOpensTheAccountAreaAfterTheOverlay) {
  OpenFrame();
  TypeCredentials("demo", "123456");
  QElapsedTimer clock;
  clock.start();
  Click(Find(L"Button_Login"));
  ASSERT_NE(frame->WaitingOverlay(), nullptr);
  EXPECT_FALSE(page->IsLoginButtonEnabled());
  ASSERT_TRUE(PumpUntil([this] { return frame->LoggedIn() == 1; }, 30000));
  // A fast answer still leaves the overlay up for its two seconds.
  EXPECT_GE(clock.elapsed(), 1900);
  EXPECT_EQ(frame->WaitingOverlay(), nullptr);
  EXPECT_EQ(frame->LoginTab(), 1);
  EXPECT_EQ(page->GetRequest().resultCode, 0);
  EXPECT_EQ(page->IsWaiting(), 0);
  EXPECT_TRUE(page->IsLoginButtonEnabled());
  EXPECT_EQ(Text(L"Label_UserName"), L"demo");
}

TEST_F(LoginFrameTest, AFailedLoginShowsTheServiceTextAndStaysUsable) {
  OpenFrame();
  TypeCredentials("demo", "wrong");
  CBoxAnswerer boxes;
  PressReturn(Find(L"Edit_Password"));
  ASSERT_TRUE(PumpUntil([&] { return !boxes.seen.empty(); }, 30000));
  const std::wstring text = boxes.seen[0].text;
  EXPECT_EQ(text.rfind(L"登录失败!", 0), 0u);
  EXPECT_GT(text.size(), std::wstring(L"登录失败!").size());
  EXPECT_EQ(text.find(L"登录失败! "), std::wstring::npos);
  EXPECT_EQ(boxes.seen[0].caption, L"提示");
  ASSERT_TRUE(PumpUntil([this] { return page->GetRequest().resultCode == -100; }));
  EXPECT_EQ(frame->LoggedIn(), 0);
  EXPECT_EQ(frame->LoginTab(), 0);
  EXPECT_TRUE(page->IsLoginButtonEnabled());
}

TEST_F(LoginFrameTest, CodeFourOpensTheBindPopupOverTheLoginPage) {
  OpenFrame();
  TypeCredentials("bindme", "123456");
  CBoxAnswerer boxes;
  Click(Find(L"Button_Login"));
  ASSERT_TRUE(PumpUntil([this] { return page->IsBindPopupShown(); }, 30000));
  EXPECT_TRUE(boxes.seen.empty());
  EXPECT_EQ(page->GetRequest().resultCode, 4);
  DuiLib::CControlUI* email = page->BindPopup()->Manager().FindControl(L"Edit_BindMobile_email");
  ASSERT_NE(email, nullptr);
  EXPECT_EQ(email->GetText(), L"bindme");
}

TEST_F(LoginFrameTest, ARememberedAutomaticLoginHappensAtStart) {
  CAppContext& context = CAppContext::Instance();
  context.userName = "demo";
  context.passwordDigest = DigestOf("10086", "123456");
  context.savePassword = true;
  context.autoLogin = true;
  CSettings::SaveLoginSettings(context);
  OpenFrame();
  EXPECT_EQ(Text(L"Edit_Password"), L"********");
  ASSERT_TRUE(PumpUntil([this] { return frame->LoggedIn() == 1; }, 30000));
  EXPECT_EQ(LoginSim::Requests("getUser.html").size(), 1u);

  // Logging out returns to the page without a second automatic login.
  frame->LogOut(true);
  EXPECT_EQ(frame->LoginTab(), 0);
  Pump(1200);
  EXPECT_EQ(frame->LoggedIn(), 0);
  EXPECT_EQ(LoginSim::Requests("getUser.html").size(), 1u);
}

}  // namespace
}  // namespace zv::test
