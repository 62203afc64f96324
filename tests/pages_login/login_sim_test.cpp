// Logins from the page against zelvane-sim: which digest goes out, what is remembered,
// the worker's record and its UWM_LOGIN_DONE, the minimum wait, the automatic login, and
// workers that outlive their login or their page.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <memory>

#include "api/app_context.h"
#include "api/settings.h"
#include "app/events.h"
#include "tests/pages_login/login_host.h"

namespace zv::test {
namespace {

using zv::pages::CLoginUI;

class LoginSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(StartClean());
    host = std::make_unique<CLoginHost>();
    ASSERT_TRUE(host->Open());
    page = host->Page();
    ASSERT_NE(page, nullptr);
  }
  void TearDown() override {
    PumpUntil([] { return zv::pages::RunningLoginWorkers() == 0; }, 30000);
    host.reset();
  }

  // What a start after an earlier remembered login finds.
  void Remember(const std::string& user, const std::string& digest, bool autoLogin = false) {
    CAppContext& context = CAppContext::Instance();
    context.userName = user;
    context.passwordDigest = digest;
    context.savePassword = true;
    context.autoLogin = autoLogin;
    CSettings::SaveLoginSettings(context);
    CSettings::LoadSettings(context);
  }
  // A login as the user starts it: the button.
  zv::ui::LoginRequest LoginByClick() {
    const size_t before = host->Count(UWM_LOGIN_DONE);
    Click(host->Find(L"Button_Login"));
    EXPECT_TRUE(PumpUntil([&] { return host->Count(UWM_LOGIN_DONE) > before; }, 30000));
    return host->LastDone();
  }
  void Type(const wchar_t* edit, const std::string& text) {
    host->Find(edit)->SetText(L"");
    TypeInto(host->Find(edit), text);
  }

  std::unique_ptr<CLoginHost> host;
  CLoginUI* page = nullptr;
};

TEST_F(LoginSimTest, TheRememberedDigestStandsInForThePassword) {
  Remember("demo", DigestOf("10086", "123456"));
  page->Init(false, host->GetHWND());
  ASSERT_EQ(host->Find(L"Edit_Password")->GetText(), L"********");
  const zv::ui::LoginRequest request = LoginByClick();
  // The service accepts only MD5(digest + key): the placeholder's digest would be refused.
  EXPECT_EQ(request.resultCode, 0) << request.resultMessage;
  EXPECT_EQ(request.password, "********");
  EXPECT_EQ(request.passwordChanged, 0);
  ASSERT_EQ(LoginSim::Requests("getUser.html").size(), 1u);
  EXPECT_EQ(LoginSim::Requests("getUser.html")[0]["body"]["userName"].asString(), "demo");
}

TEST_F(LoginSimTest, TypingANewPasswordSendsItsOwnDigest) {
  struct Case {
    std::string rememberedFor;  // the password the remembered digest was made from
    std::string typed;
    int expected;
  };
  // A stale digest with the right password typed logs in; a good digest with a wrong
  // password typed does not: the typed text decides once it was touched.
  const Case cases[] = {{"old password", "123456", 0}, {"123456", "12345", 2}};
  for (const Case& c : cases) {
    Remember("demo", DigestOf("10086", c.rememberedFor));
    page->Init(false, host->GetHWND());
    Type(L"Edit_Password", c.typed);
    const zv::ui::LoginRequest request = LoginByClick();
    EXPECT_EQ(request.resultCode, c.expected) << c.typed;
    EXPECT_EQ(request.passwordChanged, 1);
    ASSERT_TRUE(PumpUntil([&] { return page->IsWaiting() == 0; }));
    page->SetLoginButtonEnabled(true);
  }
}

TEST_F(LoginSimTest, ANewUserNameNeedsItsOwnPassword) {
  // The remembered digest belongs to demo; another name clears the box, and the empty
  // password typed for it is signed as typed (and refused), never with demo's digest.
  Remember("demo", DigestOf("10086", "123456"));
  page->Init(false, host->GetHWND());
  Type(L"Edit_UserName", "bindme");
  EXPECT_EQ(host->Find(L"Edit_Password")->GetText(), L"");
  zv::ui::LoginRequest request = LoginByClick();
  EXPECT_EQ(request.userName, "bindme");
  EXPECT_EQ(request.passwordChanged, 1);
  EXPECT_EQ(request.resultCode, 2);
  EXPECT_FALSE(request.resultMessage.empty());
}

TEST_F(LoginSimTest, SuccessRemembersTheDigestAndNeverThePassword) {
  page->Init(false, host->GetHWND());
  Type(L"Edit_UserName", "demo");
  Type(L"Edit_Password", "123456");
  Click(host->Find(L"Option_rememberPsw"));
  Click(host->Find(L"Option_Login"));
  const zv::ui::LoginRequest request = LoginByClick();
  ASSERT_EQ(request.resultCode, 0);
  EXPECT_TRUE(request.rememberPassword);
  EXPECT_TRUE(request.autoLogin);
  EXPECT_EQ(request.owner, host->GetHWND());

  const std::string digest = DigestOf("10086", "123456");
  const std::string file = SettingsFileText();
  EXPECT_NE(file.find(digest), std::string::npos) << file;
  EXPECT_EQ(file.find("123456"), std::string::npos) << file;
  CAppContext& context = CAppContext::Instance();
  CSettings::LoadSettings(context);
  EXPECT_EQ(context.passwordDigest, digest);
  EXPECT_TRUE(context.savePassword);
  EXPECT_TRUE(context.autoLogin);
  ASSERT_TRUE(PumpUntil([&] { return page->IsWaiting() == 0; }));

  // Logging in again with both options off erases the remembered digest.
  page->SetLoginButtonEnabled(true);
  page->Init(false, host->GetHWND());
  ASSERT_EQ(host->Find(L"Edit_Password")->GetText(), L"********");
  Click(host->Find(L"Option_rememberPsw"));
  Click(host->Find(L"Option_Login"));
  ASSERT_EQ(LoginByClick().resultCode, 0);
  CSettings::LoadSettings(context);
  EXPECT_EQ(context.userName, "demo");
  EXPECT_EQ(context.passwordDigest, "");
  EXPECT_FALSE(context.savePassword);
  EXPECT_FALSE(context.autoLogin);
}

TEST_F(LoginSimTest, TheWorkerReportsItsResultAndTheOverlayWaitsTwoSeconds) {
  page->Init(false, host->GetHWND());
  Type(L"Edit_UserName", "oldclient");
  Type(L"Edit_Password", "123456");
  QElapsedTimer clock;
  clock.start();
  const zv::ui::LoginRequest request = LoginByClick();
  const qint64 doneAt = clock.elapsed();
  EXPECT_EQ(request.resultCode, 3);
  EXPECT_FALSE(request.resultMessage.empty());
  EXPECT_EQ(page->GetRequest().resultCode, 3);
  EXPECT_EQ(page->GetRequest().resultMessage, request.resultMessage);
  // The worker copied the login's values into the account model before signing in.
  EXPECT_EQ(CAppContext::Instance().userName, "oldclient");

  // The overlay was asked for once, before the answer, and the wait outlasts a fast answer.
  const std::vector<HostEvent> events = host->Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0].message, UWM_PAGE_COMMAND);
  EXPECT_EQ(events[0].wParam, PAGE_CMD_SHOW_WAITING);
  EXPECT_EQ(host->Count(UWM_PAGE_COMMAND), 1u);
  if (doneAt < 1500) {
    EXPECT_EQ(page->IsWaiting(), 1);
  }
  ASSERT_TRUE(PumpUntil([&] { return host->Count(DuiLib::WM_TIMER, TIMER_LOGIN_MIN_WAIT) == 1; }));
  EXPECT_GE(clock.elapsed(), 1900);
  EXPECT_EQ(page->IsWaiting(), 0);
  EXPECT_FALSE(page->IsLoginButtonEnabled());
}

TEST_F(LoginSimTest, AutomaticLoginStartsOnceHalfASecondAfterInit) {
  Remember("demo", DigestOf("10086", "123456"), true);
  QElapsedTimer clock;
  clock.start();
  page->Init(true, host->GetHWND());
  EXPECT_FALSE(page->IsLoginButtonEnabled());
  EXPECT_EQ(host->Count(DuiLib::WM_TIMER, TIMER_AUTO_LOGIN), 0u);
  ASSERT_TRUE(PumpUntil([&] { return host->Count(DuiLib::WM_TIMER, TIMER_AUTO_LOGIN) == 1; }));
  EXPECT_GE(clock.elapsed(), 450);
  ASSERT_TRUE(PumpUntil([&] { return host->Count(UWM_LOGIN_DONE) == 1; }, 30000));
  EXPECT_EQ(host->LastDone().resultCode, 0);
  EXPECT_FALSE(page->IsLoginButtonEnabled());

  // After a log-out (no window) or when not allowed, it never starts by itself.
  ASSERT_TRUE(PumpUntil([&] { return page->IsWaiting() == 0; }));
  page->Init(false, nullptr);
  page->Init(false, host->GetHWND());
  Pump(1200);
  EXPECT_EQ(host->Count(DuiLib::WM_TIMER, TIMER_AUTO_LOGIN), 1u);
  EXPECT_EQ(host->Count(UWM_LOGIN_DONE), 1u);

  // And not at all without the remembered option (the frame has handled the result).
  page->SetLoginButtonEnabled(true);
  Remember("demo", DigestOf("10086", "123456"), false);
  page->Init(true, host->GetHWND());
  EXPECT_TRUE(page->IsLoginButtonEnabled());
  Pump(800);
  EXPECT_EQ(host->Count(DuiLib::WM_TIMER, TIMER_AUTO_LOGIN), 1u);
}

TEST_F(LoginSimTest, ANewerLoginSupersedesARunningOne) {
  Json::Value delay;
  delay["path"] = "/user/getUser.html";
  delay["mode"] = "delay";
  delay["ms"] = 1500;
  ASSERT_TRUE(LoginSim::Admin("inject", delay)["ok"].asBool());
  page->Init(false, host->GetHWND());
  host->Find(L"Edit_UserName")->SetText(L"demo");
  host->Find(L"Edit_Password")->SetText(L"wrong");
  ASSERT_TRUE(page->Login(host->GetHWND()));
  host->Find(L"Edit_Password")->SetText(L"123456");
  ASSERT_TRUE(page->Login(host->GetHWND()));
  ASSERT_TRUE(PumpUntil([] { return zv::pages::RunningLoginWorkers() == 0; }, 30000));
  Pump(100);
  // Only the newer login reports, with its own answer.
  ASSERT_EQ(host->Count(UWM_LOGIN_DONE), 1u);
  EXPECT_EQ(host->LastDone().password, "123456");
  EXPECT_EQ(page->GetRequest().resultCode, 0);
  EXPECT_EQ(LoginSim::Requests("getUser.html").size(), 2u);
}

TEST_F(LoginSimTest, APageDestroyedDuringALoginIsLeftAlone) {
  Json::Value delay;
  delay["path"] = "/user/getUser.html";
  delay["mode"] = "delay";
  delay["ms"] = 800;
  ASSERT_TRUE(LoginSim::Admin("inject", delay)["ok"].asBool());
  page->Init(false, host->GetHWND());
  host->Find(L"Edit_UserName")->SetText(L"demo");
  host->Find(L"Edit_Password")->SetText(L"123456");
  ASSERT_TRUE(page->Login(host->GetHWND()));
  // The window thread never waits for the worker: the page and window go at once.
  QElapsedTimer clock;
  clock.start();
  host.reset();
  EXPECT_LT(clock.elapsed(), 500);
  ASSERT_TRUE(PumpUntil([] { return zv::pages::RunningLoginWorkers() == 0; }, 30000));
  EXPECT_EQ(LoginSim::Requests("getUser.html").size(), 1u);
}

}  // namespace
}  // namespace zv::test
