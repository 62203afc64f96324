// The signed login handshake, session expiry, and the special login codes.
#include "tests/sim_core/sim_fixture.h"

namespace zv::sim::test {
namespace {

std::string SessionBody(const std::string& session, int userId) {
  return "sessionId=" + FormValue(session) + "&userId=" + std::to_string(userId);
}

TEST_F(SimTest, LoginWithACorrectSignGivesAFreshSessionEachTime) {
  int userId = 0;
  std::string first = client.Login("demo", "123456", userId);
  ASSERT_FALSE(first.empty()) << client.last.body;
  EXPECT_EQ(userId, 10086);
  std::string second = client.Login("demo", "123456", userId);
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  HttpResult pads = client.Account("/pad/getPad.html", SessionBody(second, userId));
  EXPECT_EQ(pads.json["resultCode"].asInt(), 0) << pads.body;
  EXPECT_EQ(pads.json["resultInfo"]["padList"].size(), 5u);
}

TEST_F(SimTest, LoginRefusesAWrongSignAndASpentKey) {
  HttpResult key = client.Account("/user/getKey.html", "userName=demo");
  ASSERT_EQ(key.json["resultCode"].asInt(), 0);
  const std::string signKey = key.json["resultInfo"]["signKey"].asString();
  ASSERT_FALSE(signKey.empty());
  const std::string wrongDigest = Md5HexOf("10086##654321");
  HttpResult wrong = client.Account(
      "/user/getUser.html", "userName=demo&sign=" + Md5HexOf(wrongDigest + signKey) + "&os=Linux&v=1.2.3");
  EXPECT_NE(wrong.json["resultCode"].asInt(), 0);
  EXPECT_TRUE(wrong.json["resultInfo"].isString());
  EXPECT_FALSE(wrong.json["resultInfo"].asString().empty());
  // The right sign over the key that the failed attempt spent is refused too.
  const std::string sign = Md5HexOf(Md5HexOf("10086##123456") + signKey);
  HttpResult replay =
      client.Account("/user/getUser.html", "userName=demo&sign=" + sign + "&os=Linux&v=1.2.3");
  EXPECT_NE(replay.json["resultCode"].asInt(), 0);
  HttpResult unknown = client.Account("/user/getKey.html", "userName=nobody");
  EXPECT_NE(unknown.json["resultCode"].asInt(), 0);
  EXPECT_EQ(client.Admin("state")["sessions"].size(), 0u);
}

TEST_F(SimTest, ExpiredSessionsAnswerMinus9999InChinese) {
  int userId = 0;
  std::string session = client.Login("demo", "123456", userId);
  ASSERT_FALSE(session.empty());
  ASSERT_TRUE(client.Admin("sessions/expire")["ok"].asBool());
  for (const char* path : {"/pad/getPad.html", "/user/getUserInfo.html", "/order/getOrders.html"}) {
    HttpResult answer = client.Account(path, SessionBody(session, userId));
    EXPECT_EQ(answer.json["resultCode"].asInt(), -9999) << path;
    EXPECT_EQ(answer.json["resultInfo"].asString(), "登录已过期，请重新登录") << path;
  }
  EXPECT_FALSE(client.Admin("state")["sessions"][0]["live"].asBool());
  std::string again = client.Login("demo", "123456", userId);
  EXPECT_EQ(client.Account("/pad/getPad.html", SessionBody(again, userId)).json["resultCode"].asInt(), 0);
}

TEST_F(SimTest, PhoneBindingClearsLoginCode4) {
  int userId = 0;
  EXPECT_TRUE(client.Login("bindme", "123456", userId).empty());
  EXPECT_EQ(client.last.json["resultCode"].asInt(), 4);
  HttpResult sms = client.Account("/sms/sendByBindUserPhone.html", "mobile=13900000000");
  EXPECT_EQ(sms.json["resultCode"].asInt(), 0);
  struct Case {
    const char* body;
    bool ok;
  } binds[] = {{"mobileCode=000000&pwd=123456&userName=bindme", false},
               {"mobileCode=123456&pwd=wrong&userName=bindme", false},
               {"mobileCode=123456&pwd=123456&userName=bindme", true}};
  for (const auto& c : binds) {
    HttpResult bind = client.Account("/user/bindPhone.html", c.body);
    EXPECT_EQ(bind.json["resultCode"].asInt() == 0, c.ok) << c.body << " " << bind.body;
  }
  EXPECT_FALSE(client.Login("bindme", "123456", userId).empty()) << client.last.body;
  const Json::Value state = client.Admin("state");
  for (const auto& user : state["users"]) {
    if (user["userName"].asString() == "bindme") {
      EXPECT_EQ(user["mobile"].asString(), "13900000000");
    }
  }
}

TEST_F(SimTest, LoginCode3AsksForTheUpdate) {
  int userId = 0;
  EXPECT_TRUE(client.Login("oldclient", "123456", userId).empty());
  EXPECT_EQ(client.last.json["resultCode"].asInt(), 3);
  EXPECT_FALSE(client.last.json["resultInfo"].asString().empty());
}

TEST_F(SimTest, PercentEncodedUserNamesArriveWhole) {
  HttpResult answer =
      client.Account("/user/save.html", "userName=" + FormValue("a&userId=7 +%") +
                                            "&pwd=" + FormValue("p&w") + "&pwdRepeat=" + FormValue("p&w"));
  ASSERT_EQ(answer.json["resultCode"].asInt(), 0) << answer.body;
  int userId = 0;
  EXPECT_FALSE(client.Login("a&userId=7 +%", "p&w", userId).empty()) << client.last.body;
  EXPECT_EQ(LogOf("account")[0]["body"]["userName"].asString(), "a&userId=7 +%");
}

}  // namespace
}  // namespace zv::sim::test
