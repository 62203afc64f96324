// Opening devices and what ends or mends a device session: refusals, a missing control
// node, the VIP device's video without an ad, every node notice, a dropped control
// connection, an ended stream and an expired account session.
#include <thread>

#include "tests/e2e/e2e_fixture.h"

namespace zv::e2e {
namespace {

class SessionE2e : public E2eTest {
 protected:
  static void SetUpTestSuite() {
    Json::Value scenario = Scenario();
    // The offline device is served by a node the node list does not name.
    (*automation::FindDevice(scenario, "PAD-OFFLINE-1"))["controlCode"] = "node-missing";
    StartSuite(scenario);
  }

  void SetUp() override {
    E2eTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(LogIn("demo", "123456"));
  }

  ::testing::AssertionResult PlayVip() {
    ::testing::AssertionResult opened = OpenDevice("PAD-VIP-1");
    return opened ? WaitForVideo() : opened;
  }

  ::testing::AssertionResult SessionEndedWith(const std::string& expected) {
    std::string text;
    ::testing::AssertionResult box = TakeBox(&text, 15000);
    if (!box) return box;
    if (text != expected) return ::testing::AssertionFailure() << "box '" << text << "', expected '" << expected << "'";
    return WaitFor("the device list without a session",
                   [](const Json::Value& s) { return !StateAt(s, "frame.inSession").asBool() && OnDeviceList(s); });
  }

  int Hellos() {
    int count = 0;
    for (const Json::Value& m : Sim().NodeLog()) count += m["kind"].asString() == "hello";
    return count;
  }
};

TEST_F(SessionE2e, ADeviceInItsRedemptionPeriodIsRefusedFromItsTile) {
  ASSERT_TRUE(OpenDevice("PAD-EXPIRED-1", false));
  std::string text;
  ASSERT_TRUE(TakeBox(&text));
  EXPECT_EQ(text, "你的设备可用时间不够，请充值！");
  EXPECT_FALSE(StateAt(State(), "frame.inSession").asBool());
  EXPECT_TRUE(Sim().NodeLog().empty()) << "no control connection is made";
}

TEST_F(SessionE2e, AMissingControlNodeIsReportedAndTheListComesBack) {
  ASSERT_TRUE(OpenDevice("PAD-OFFLINE-1", false));
  std::string text;
  ASSERT_TRUE(TakeBox(&text));
  EXPECT_EQ(text, "连接服务器失败!找不到控制节点");
  EXPECT_TRUE(WaitFor("the device list", OnDeviceList));
}

TEST_F(SessionE2e, AVipDeviceShowsVideoAtOnce) {
  ASSERT_TRUE(OpenDevice("PAD-VIP-1"));
  Json::Value s;
  ASSERT_TRUE(WaitFor("the first frame", [](const Json::Value& st) { return StateAt(st, "player.frameReceived").asBool(); },
                      20000, &s));
  EXPECT_EQ(StateAt(s, "player.playerTab").asInt(), 1);
  EXPECT_FALSE(StateAt(s, "player.adPopup").asBool());
  EXPECT_EQ(StateAt(s, "player.adTime").asInt(), 0);
  // The coded size in whole macroblocks: the phone's 360 x 640 screen.
  EXPECT_EQ(StateAt(s, "player.width").asInt(), 368);
  EXPECT_EQ(StateAt(s, "player.height").asInt(), 640);
}

struct NoticeCase {
  const char* type;
  const char* sub;
  const char* text;
};

TEST_F(SessionE2e, EveryNodeNoticeEndsTheSessionWithItsText) {
  const NoticeCase cases[] = {
      {"CTRL_PAD", "PAD_OFFLINE", "平板不在线"},
      {"CTRL_PAD", "PAD_CONNECTION_LOST", "到平板的连接断开"},
      {"CTRL_PAD", "PAD_CONTROLLED_ELSEWHERE", "用户在其他地方控制本平板"},
      {"CTRL_PAD", "PAD_IDLE_TIMEOUT", "空闲时间过长"},
      {"CTRL_PAD", "PAD_CONTROL_TIME_EXHAUSTED", "您的控制时间不足！"},
      {"CTRL_PAD", "PAD_NOT_CONTROLLABLE", "平板不可控，请联系管理员！"},
      {"CTRL_STREAM_FAULT", "0", "图像服务器故障，请联系客服"},
  };
  for (const NoticeCase& c : cases) {
    SCOPED_TRACE(c.sub);
    ASSERT_TRUE(PlayVip());
    Json::Value notice(Json::objectValue);
    notice["type"] = c.type;
    if (std::string(c.sub) == "0") notice["sub"] = 0;
    else notice["sub"] = c.sub;
    notice["padCode"] = "PAD-VIP-1";
    Json::Value sent = Sim().Admin("control/notice", notice);
    ASSERT_EQ(sent["sent"].asInt(), 1) << automation::ToJsonLine(sent);
    EXPECT_TRUE(SessionEndedWith(c.text));
  }
}

TEST_F(SessionE2e, ADroppedControlConnectionReconnectsUnderTheOverlay) {
  ASSERT_TRUE(PlayVip());
  ASSERT_EQ(Hellos(), 1);
  ASSERT_TRUE(Sim().Admin("control/drop")["ok"].asBool());
  ASSERT_TRUE(WaitFor("the reconnecting overlay", [](const Json::Value& s) { return StateAt(s, "frame.overlayShown").asBool(); }));
  EXPECT_TRUE(WaitFor("a frame closing the overlay", [](const Json::Value& s) {
    return !StateAt(s, "frame.overlayShown").asBool() && StateAt(s, "frame.inSession").asBool();
  }, 20000));
  EXPECT_EQ(Hellos(), 2);
  EXPECT_EQ(Ui().Boxes().size(), 0u);
}

TEST_F(SessionE2e, AStreamEndedByTheServerIsOpenedAgain) {
  ASSERT_TRUE(PlayVip());
  Json::Value end(Json::objectValue);
  end["padCode"] = "PAD-VIP-1";
  ASSERT_EQ(Sim().Admin("stream/end", end)["players"].asInt(), 1);
  int shownBefore = StateAt(State(), "player.framesShown").asInt();
  auto replayed = [this] {
    Json::Value plays = Sim().Admin("stream/log")["plays"];
    int accepted = 0;
    for (const Json::Value& p : plays) accepted += p["accepted"].asBool();
    return accepted >= 2;
  };
  for (int i = 0; i < 100 && !replayed(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(replayed()) << automation::ToJsonLine(Sim().Admin("stream/log"));
  EXPECT_TRUE(WaitFor("frames of the reopened stream", [shownBefore](const Json::Value& s) {
    return StateAt(s, "player.framesShown").asInt() > shownBefore + 10 && StateAt(s, "frame.inSession").asBool();
  }, 20000));
  EXPECT_EQ(Ui().Boxes().size(), 0u);
}

TEST_F(SessionE2e, AnExpiredAccountSessionLogsOutWithItsText) {
  ASSERT_TRUE(PlayVip());
  ASSERT_TRUE(Sim().Admin("sessions/expire")["ok"].asBool());
  Json::Value notice(Json::objectValue);
  notice["type"] = "CTRL_SESSION_NOTICE";
  notice["sub"] = 1;
  Sim().Admin("control/notice", notice);
  std::string text;
  ASSERT_TRUE(TakeBox(&text, 15000));
  EXPECT_EQ(text, "会话超时，请重新登录！");
  EXPECT_TRUE(WaitFor("the login page", OnLoginPage));
  EXPECT_EQ(Requests("/user/logout.html").size(), 1u);
}

TEST_F(SessionE2e, AnExpiredAccountSessionFoundByARequestLogsOut) {
  ASSERT_TRUE(Sim().Admin("sessions/expire")["ok"].asBool());
  ASSERT_TRUE(Click("Button_RefreshService"));
  std::string text;
  ASSERT_TRUE(TakeBox(&text, 15000));
  EXPECT_EQ(text, "会话超时，请重新登录！");
  EXPECT_TRUE(WaitFor("the login page", OnLoginPage));
}

}  // namespace
}  // namespace zv::e2e
