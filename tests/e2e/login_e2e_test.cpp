// The login page as a user meets it: remembered credentials, automatic login, the
// waiting overlay, failure texts and the phone binding, against zelvane-sim.
#include <thread>

#include "tests/e2e/e2e_fixture.h"

namespace zv::e2e {
namespace {

class LoginE2e : public E2eTest {
 protected:
  static void SetUpTestSuite() { StartSuite(Scenario()); }

  Json::Value LastLoginRequest() {
    Json::Value logins = Requests("/user/getUser.html");
    return logins.empty() ? Json::Value() : logins[logins.size() - 1];
  }
  bool LoggedIn() { return StateAt(State(), "frame.loggedIn").asBool(); }
};

TEST_F(LoginE2e, RememberedPasswordSendsTheDigestAndTypingSendsANewOne) {
  ASSERT_TRUE(LogIn("demo", "123456", true));
  ASSERT_TRUE(Click("Button_SwitchAccount"));
  ASSERT_TRUE(WaitFor("the login page", OnLoginPage));
  Json::Value password = automation::FindControl(Ui().Tree(), "Edit_Password");
  EXPECT_EQ(password["text"].asString(), "********");

  // The placeholder untouched: the remembered digest signs the login, which succeeds.
  ASSERT_TRUE(Click("Button_Login"));
  ASSERT_TRUE(WaitFor("the remembered login", OnDeviceList, 20000));
  EXPECT_EQ(LastLoginRequest()["body"]["userName"].asString(), "demo");
  ASSERT_TRUE(Click("Button_SwitchAccount"));
  ASSERT_TRUE(WaitFor("the login page", OnLoginPage));

  // A typed password is digested itself: a wrong one is refused by the service.
  ASSERT_TRUE(Click("Edit_Password"));
  std::string error;
  ASSERT_TRUE(Ui().Type("Edit_Password", "654321", error)) << error;
  ASSERT_TRUE(Click("Button_Login"));
  std::string text;
  ASSERT_TRUE(TakeBox(&text, 20000));
  EXPECT_EQ(text.rfind("登录失败!", 0), 0u) << text;
  EXPECT_FALSE(LoggedIn());
  EXPECT_EQ(Requests("/user/getUser.html").size(), 3u);

  // Changing the user name clears the password box: the remembered digest never pairs
  // with another name.
  ASSERT_TRUE(Ui().Type("Edit_UserName", "x", error)) << error;
  EXPECT_EQ(automation::FindControl(Ui().Tree(), "Edit_Password")["text"].asString(), "");
}

TEST_F(LoginE2e, AutomaticLoginHappensOncePerStartAndNotAfterALogOut) {
  ASSERT_TRUE(LogIn("demo", "123456", true, true));
  std::string error;
  ASSERT_TRUE(H().RestartClient(error)) << error;
  ASSERT_TRUE(WaitFor("the automatic login", OnDeviceList, 20000));
  EXPECT_EQ(Requests("/user/getUser.html").size(), 2u);

  ASSERT_TRUE(Click("Button_SwitchAccount"));
  ASSERT_TRUE(WaitFor("the login page", OnLoginPage));
  std::this_thread::sleep_for(std::chrono::milliseconds(3000));
  EXPECT_TRUE(OnLoginPage(State()));
  EXPECT_EQ(Requests("/user/getUser.html").size(), 2u);
  EXPECT_TRUE(StateAt(State(), "login.buttonEnabled").asBool());
}

TEST_F(LoginE2e, TheOverlayStaysTwoSecondsForAFastAnswer) {
  ASSERT_TRUE(FillLogin("demo", "123456", false, false));
  long long pressed = automation::MonotonicMs();
  ASSERT_TRUE(Click("Button_Login"));
  bool overlaySeen = false;
  long long loggedInAt = 0;
  while (automation::MonotonicMs() - pressed < 20000) {
    Json::Value tree = Ui().Tree();
    for (const Json::Value& window : tree["windows"])
      if (window["name"].asString() == "WaitingLogin" && window["visible"].asBool()) overlaySeen = true;
    if (OnDeviceList(State())) {
      loggedInAt = automation::MonotonicMs();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_GT(loggedInAt, 0) << Failure("no login");
  EXPECT_TRUE(overlaySeen);
  // The sim answers within milliseconds; the result waits for the overlay's 2000 ms.
  EXPECT_GE(loggedInAt - pressed, 1900);
  Json::Value logins = Requests("/user/getUser.html");
  ASSERT_EQ(logins.size(), 1u);
}

struct FailureCase {
  const char* user;
  const char* password;
};

TEST_F(LoginE2e, FailuresShowTheServiceTextAfterTheFixedPrefix) {
  const FailureCase cases[] = {{"nobody", "123456"}, {"demo", "wrong"}};
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.user);
    std::string error;
    // Double-clicking the name selects it, so the next user name replaces it.
    Ui().DbClick("Edit_UserName", error);
    ASSERT_TRUE(FillLogin(c.user, c.password, false, false));
    ASSERT_TRUE(Click("Button_Login"));
    std::string text;
    ASSERT_TRUE(TakeBox(&text, 20000));
    ASSERT_EQ(text.rfind("登录失败!", 0), 0u) << text;
    EXPECT_GT(text.size(), std::string("登录失败!").size()) << "the service's text follows the prefix";
    EXPECT_TRUE(WaitFor("the button again", [](const Json::Value& s) {
      return StateAt(s, "login.buttonEnabled").asBool() && StateAt(s, "login.resultCode").asInt() == -100;
    }));
    EXPECT_FALSE(LoggedIn());
  }
}

TEST_F(LoginE2e, PhoneBindingOpensForCodeFourAndABindingLogsIn) {
  ASSERT_TRUE(FillLogin("bindme", "123456", false, false));
  ASSERT_TRUE(Click("Button_Login"));
  ASSERT_TRUE(WaitFor("the bind popup", [](const Json::Value& s) { return StateAt(s, "login.bindPopupShown").asBool(); },
                      20000));
  EXPECT_EQ(StateAt(State(), "login.resultCode").asInt(), 4);
  Json::Value email;
  ASSERT_TRUE(Ui().WaitForControl("Edit_BindMobile_email", 5000, &email));
  EXPECT_EQ(email["text"].asString(), "bindme");

  std::string error, text;
  ASSERT_TRUE(Ui().Type("Edit_BindMobile_telphone", "13900139000", error)) << error;
  ASSERT_TRUE(Click("Button_BindMobile_code"));
  ASSERT_TRUE(TakeBox(&text));
  EXPECT_EQ(text, "发送短信成功！请填写验证码后继续！");
  ASSERT_TRUE(Ui().Type("Edit_BindMobile_code", "123456", error)) << error;
  ASSERT_TRUE(Ui().Type("Edit_BindMobile_psw", "123456", error)) << error;
  ASSERT_TRUE(Click("Button_BindMobile"));
  ASSERT_TRUE(TakeBox(&text));
  EXPECT_EQ(text, "绑定成功！");
  ASSERT_TRUE(WaitFor("the login after binding", [](const Json::Value& s) { return StateAt(s, "frame.loggedIn").asBool(); },
                      20000));
  EXPECT_EQ(Requests("/user/bindPhone.html").size(), 1u);
  EXPECT_EQ(Requests("/user/getUser.html").size(), 2u);
}

}  // namespace
}  // namespace zv::e2e
