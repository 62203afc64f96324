// The admin interface: the request log, fault injection, version and reset.
#include <chrono>
#include <thread>

#include "tests/sim_core/sim_fixture.h"

namespace zv::sim::test {
namespace {

Json::Value Inject(const char* path, const char* mode, int count = 1, int ms = 0) {
  Json::Value body;
  body["path"] = path;
  body["mode"] = mode;
  body["count"] = count;
  body["ms"] = ms;
  return body;
}

TEST_F(SimTest, LogShowsDecodedBodiesAndTheCookiesTheClientSentBack) {
  client.Account("/user/getKey.html", "userName=" + FormValue("演示&x=1"));
  client.Account("/user/getKey.html", "userName=demo");
  Json::Value log = LogOf("account");
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0]["path"].asString(), "/zelvaneauth/user/getKey.html");
  EXPECT_EQ(log[0]["query"].asString(), "client=pc");
  EXPECT_EQ(log[0]["method"].asString(), "POST");
  EXPECT_EQ(log[0]["body"]["userName"].asString(), "演示&x=1");
  EXPECT_FALSE(log[0]["body"].isMember("x"));
  EXPECT_EQ(log[0]["cookies"].size(), 0u);
  EXPECT_FALSE(log[1]["cookies"]["ZVSID"].asString().empty())
      << "the cookie set by the first answer comes back";
  EXPECT_GT(log[1]["time"].asInt64(), 0);
  client.Gateway("orderId=x&payModeCode=y&os=pc");
  client.Web("/chat/index.html");
  EXPECT_EQ(LogOf("payment")[0]["body"]["payModeCode"].asString(), "y");
  EXPECT_EQ(LogOf("web")[0]["path"].asString(), "/chat/index.html");
  ASSERT_TRUE(client.Admin("log/clear")["ok"].asBool());
  EXPECT_EQ(client.Admin("log")["entries"].size(), 0u);
}

TEST_F(SimTest, InjectedHtml500AndGarbageHitTheNextRequestsOfThePathOnly) {
  ASSERT_TRUE(client.Admin("inject", Inject("/pad/getPad.html", "html500", 2))["ok"].asBool());
  ASSERT_TRUE(client.Admin("inject", Inject("/zelvaneauth/user/getKey.html", "garbage"))["ok"].asBool());
  HttpResult other = client.Account("/version/checkNewVersion.html", "os=win");
  EXPECT_EQ(other.json["resultCode"].asInt(), 0);
  for (int i = 0; i < 2; ++i) {
    HttpResult failed = client.Account("/pad/getPad.html", "sessionId=&userId=0");
    EXPECT_EQ(failed.status, 500);
    EXPECT_NE(failed.body.find("<html>"), std::string::npos);
    EXPECT_TRUE(failed.json.isNull());
  }
  EXPECT_EQ(client.Account("/pad/getPad.html", "sessionId=&userId=0").json["resultCode"].asInt(), -9999);
  HttpResult garbage = client.Account("/user/getKey.html", "userName=demo");
  EXPECT_EQ(garbage.status, 200);
  EXPECT_FALSE(garbage.body.empty());
  EXPECT_TRUE(garbage.json.isNull()) << garbage.body;
  EXPECT_EQ(client.Account("/user/getKey.html", "userName=demo").json["resultCode"].asInt(), 0);
  EXPECT_EQ(LogOf("account").size(), 6u) << "faulted requests are logged too";
}

TEST_F(SimTest, InjectedDelayHoldsTheAnswerBack) {
  ASSERT_TRUE(
      client.Admin("inject", Inject("/version/checkNewVersion.html", "delay", 1, 400))["ok"].asBool());
  auto start = std::chrono::steady_clock::now();
  HttpResult slow = client.Account("/version/checkNewVersion.html", "os=win");
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(slow.json["resultCode"].asInt(), 0);
  EXPECT_GE(elapsed, std::chrono::milliseconds(390));
  EXPECT_TRUE(client.Admin("state")["faults"].empty());
}

TEST_F(SimTest, AClientThatGivesUpDuringADelayLeavesTheSimServing) {
  ASSERT_TRUE(client.Admin("inject", Inject("/user/getKey.html", "delay", 1, 500))["ok"].asBool());
  client.SetTimeoutMs(100);
  EXPECT_EQ(client.Account("/user/getKey.html", "userName=demo").code, CURLE_OPERATION_TIMEDOUT);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  client.SetTimeoutMs(30000);
  EXPECT_EQ(client.Account("/user/getKey.html", "userName=demo").json["resultCode"].asInt(), 0);
}

TEST_F(SimTest, VersionAndResetChangeWhatTheServiceAnswers) {
  Json::Value version;
  version["versionCode"] = "1.3.0";
  ASSERT_TRUE(client.Admin("version", version)["ok"].asBool());
  EXPECT_EQ(
      client.Account("/version/checkNewVersion.html", "os=win").json["resultInfo"]["versionCode"].asString(),
      "1.3.0");
  int userId = 0;
  ASSERT_FALSE(client.Login("demo", "123456", userId).empty());
  ASSERT_TRUE(client.Admin("inject", Inject("/user/getKey.html", "html500"))["ok"].asBool());
  ASSERT_TRUE(client.Admin("reset")["ok"].asBool());
  Json::Value state = client.Admin("state");
  EXPECT_EQ(state["newestVersion"].asString(), "1.2.3");
  EXPECT_EQ(state["sessions"].size(), 0u);
  EXPECT_EQ(state["faults"].size(), 0u);
  EXPECT_EQ(state["users"].size(), 3u);
  EXPECT_EQ(state["devices"].size(), 5u);
  EXPECT_EQ(client.Account("/user/getKey.html", "userName=demo").json["resultCode"].asInt(), 0);
}

TEST_F(SimTest, AdminRefusesUnknownRoutesAndBadBodies) {
  EXPECT_FALSE(client.Admin("no/such/route")["ok"].asBool());
  Json::Value bad;
  bad["path"] = "/x";
  bad["mode"] = "melt";
  Json::Value answer = client.Admin("inject", bad);
  EXPECT_FALSE(answer["ok"].asBool());
  EXPECT_FALSE(answer["error"].asString().empty());
}

}  // namespace
}  // namespace zv::sim::test
