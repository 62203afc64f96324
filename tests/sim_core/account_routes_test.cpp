// The account service's answers, called without the network.
#include <gtest/gtest.h>

#include <fstream>

#include "sim/account/account_service.h"
#include "sim/core/scenario.h"

namespace zv::sim {
namespace {

class AccountRoutesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(LoadScenarioFile(std::string(ZV_SOURCE_DIR) + "/sim/scenarios/default.json", scenario, error))
        << error;
    state.Load(scenario);
    SimUser* demo = state.FindUser("demo");
    ASSERT_NE(demo, nullptr);
    session = state.NewSession(demo->userId);
  }

  // A request of the logged-in demo user with extra form fields.
  Json::Value Call(const std::string& path, FormFields extra = {}) {
    extra.emplace("sessionId", session);
    extra.emplace("userId", "10086");
    return service.Call(path, extra);
  }
  SimUser& Demo() { return *state.FindUser("demo"); }

  Json::Value scenario;
  CAccountState state;
  PortMap ports{{"control", 7100}, {"rtmp", 1935}, {"web", 8088}};
  CAccountService service{state, ports};
  std::string session;
};

TEST_F(AccountRoutesTest, EveryPathOfTheCatalogueAnswersAnEnvelope) {
  const char* paths[] = {"/user/getUser.html",
                         "/user/getKey.html",
                         "/pad/getPad.html",
                         "/idc/getIdc.html",
                         "/notice/getUserNotice.html",
                         "/user/bindPad.html",
                         "/sms/send.html",
                         "/user/checkPad.html",
                         "/user/checkVipPad.html",
                         "/notice/updateUserNotice.html",
                         "/user/logout.html",
                         "/label/getFaultLabels.html",
                         "/fault/saveFault.html",
                         "/fault/getFaultsByUserId.html",
                         "/user/save.html",
                         "/sms/sendByBindUserPhone.html",
                         "/user/bindPhone.html",
                         "/goods/getVipGoods.html",
                         "/order/recharge.html",
                         "/order/buy.html",
                         "/order/getOrders.html",
                         "/task/doPadLoginTask.html",
                         "/user/getUserInfo.html",
                         "/pad/exChangeRbc.html",
                         "/order/getPayModes.html",
                         "/task/getPcTasks.html",
                         "/task/attendance.html",
                         "/version/checkNewVersion.html"};
  for (const char* path : paths) {
    Json::Value answer = Call(path);
    EXPECT_TRUE(answer["resultCode"].isInt()) << path;
    EXPECT_NE(answer["resultCode"].asInt(), 404) << path;
    EXPECT_TRUE(answer.isMember("resultInfo")) << path;
    if (answer["resultCode"].asInt() != 0) {
      EXPECT_TRUE(answer["resultInfo"].isString()) << path;
    }
  }
}

TEST_F(AccountRoutesTest, PadListNamesBoundPortsAndOnlyClientKeys) {
  Json::Value answer = Call("/pad/getPad.html");
  ASSERT_EQ(answer["resultCode"].asInt(), 0);
  const Json::Value& info = answer["resultInfo"];
  ASSERT_EQ(info["padList"].size(), 5u);
  ASSERT_EQ(info["controlList"].size(), 1u);
  EXPECT_TRUE(info["controlList"][0]["controlPort"].isInt());
  EXPECT_EQ(info["controlList"][0]["controlPort"].asInt(), 7100);
  const Json::Value& pad = info["padList"][0];
  EXPECT_EQ(pad["videoUrl"].asString(), "rtmp://127.0.0.1:1935/live/");
  EXPECT_EQ(pad["padStatus"].asString(), "1");
  EXPECT_FALSE(pad.isMember("node"));
  EXPECT_FALSE(pad.isMember("screen"));
  EXPECT_EQ(info["padList"][3]["recoveryStatus"].asString(), "0");
}

TEST_F(AccountRoutesTest, RoutesNeedTheSessionOfTheirOwnUser) {
  EXPECT_EQ(
      service.Call("/pad/getPad.html", {{"sessionId", session}, {"userId", "10087"}})["resultCode"].asInt(),
      -9999);
  EXPECT_EQ(
      service.Call("/pad/getPad.html", {{"sessionId", "nope"}, {"userId", "10086"}})["resultCode"].asInt(),
      -9999);
  EXPECT_EQ(service.Call("/pad/getPad.html", {{"sessionId", session}})["resultCode"].asInt(), -9999);
  EXPECT_EQ(Call("/user/logout.html")["resultCode"].asInt(), 0);
  EXPECT_EQ(Call("/pad/getPad.html")["resultCode"].asInt(), -9999) << "logout ends the session";
  EXPECT_EQ(service.Call("/no/such.html", {})["resultCode"].asInt(), 404);
}

TEST_F(AccountRoutesTest, AttendanceAddsBeansOnceADay) {
  Json::Value tasks = Call("/task/getPcTasks.html");
  ASSERT_EQ(tasks["resultCode"].asInt(), 0);
  ASSERT_GE(tasks["resultInfo"].size(), 1u);
  EXPECT_EQ(tasks["resultInfo"][0]["awardStatus"].asString(), "unfinished");
  const int award = tasks["resultInfo"][0]["awardAmount"].asInt();
  const std::string taskId = std::to_string(tasks["resultInfo"][0]["taskId"].asInt());
  const int before = Demo().rbcAmount;
  EXPECT_EQ(Call("/task/attendance.html", {{"taskId", taskId}})["resultCode"].asInt(), 0);
  EXPECT_EQ(Demo().rbcAmount, before + award);
  Json::Value again = Call("/task/attendance.html", {{"taskId", taskId}});
  EXPECT_NE(again["resultCode"].asInt(), 0);
  EXPECT_TRUE(again["resultInfo"].isString());
  EXPECT_EQ(Demo().rbcAmount, before + award);
  EXPECT_EQ(Call("/task/getPcTasks.html")["resultInfo"][0]["awardStatus"].asString(), "succeed");
  EXPECT_NE(Call("/task/attendance.html", {{"taskId", "999"}})["resultCode"].asInt(), 0);
}

TEST_F(AccountRoutesTest, ExchangeSpendsBeansForDaysOfTheDevice) {
  const int before = Demo().rbcAmount;  // 500, freeRate 10, vipRate 30
  Json::Value answer = Call("/pad/exChangeRbc.html", {{"padCode", "PAD-EXPIRED-1"}, {"rbcAmount", "60"}});
  ASSERT_EQ(answer["resultCode"].asInt(), 0) << answer;
  EXPECT_EQ(Demo().rbcAmount, before - 60);
  Json::Value* device = state.FindDevice("PAD-EXPIRED-1");
  EXPECT_EQ((*device)["leftOnlineTime"].asInt(), 2) << "60 beans at the VIP rate 30";
  EXPECT_EQ((*device)["recoveryStatus"].asString(), "1") << "exchanging redeems an expired device";
  struct Case {
    const char* pad;
    const char* amount;
  } refused[] = {{"PAD-FREE-1", "100000"}, {"PAD-FREE-1", "0"},  {"PAD-FREE-1", "-10"},
                 {"PAD-FREE-1", "abc"},    {"PAD-FREE-1", "15"}, {"PAD-OF-SOMEONE", "10"}};
  for (const auto& c : refused) {
    Json::Value refusal = Call("/pad/exChangeRbc.html", {{"padCode", c.pad}, {"rbcAmount", c.amount}});
    EXPECT_NE(refusal["resultCode"].asInt(), 0) << c.pad << " " << c.amount;
    EXPECT_TRUE(refusal["resultInfo"].isString());
  }
  EXPECT_EQ(Demo().rbcAmount, before - 60);
}

TEST_F(AccountRoutesTest, OrdersArePagedNewestFirstWithTotal) {
  std::vector<std::string> ids;
  for (int i = 0; i < 3; ++i) {
    Json::Value order = Call("/order/buy.html", {{"goodsId", "1"}});
    ASSERT_EQ(order["resultCode"].asInt(), 0);
    ids.push_back(order["resultInfo"]["orderId"].asString());
  }
  Json::Value recharge = Call("/order/recharge.html", {{"goodsId", "2"}, {"padCode", "PAD-VIP-1"}});
  ASSERT_EQ(recharge["resultCode"].asInt(), 0);
  EXPECT_NE(
      Call("/order/recharge.html", {{"goodsId", "2"}, {"padCode", "PAD-NOT-MINE"}})["resultCode"].asInt(), 0);
  EXPECT_NE(Call("/order/buy.html", {{"goodsId", "77"}})["resultCode"].asInt(), 0);

  Json::Value page = Call("/order/getOrders.html", {{"pageNo", "1"}, {"pageSize", "3"}});
  ASSERT_EQ(page["resultCode"].asInt(), 0);
  EXPECT_EQ(page["resultInfo"]["total"].asInt(), 4);
  ASSERT_EQ(page["resultInfo"]["data"].size(), 3u);
  const Json::Value& newest = page["resultInfo"]["data"][0];
  EXPECT_EQ(newest["orderId"].asString(), recharge["resultInfo"]["orderId"].asString());
  EXPECT_EQ(newest["padName"].asString(), "VIP设备");
  EXPECT_EQ(newest["goodsName"].asString(), "VIP季卡");
  EXPECT_EQ(newest["orderStatus"].asString(), "0");
  EXPECT_FALSE(newest["orderCreateTime"].asString().empty());
  Json::Value second = Call("/order/getOrders.html", {{"pageNo", "2"}, {"pageSize", "3"}});
  ASSERT_EQ(second["resultInfo"]["data"].size(), 1u);
  EXPECT_EQ(second["resultInfo"]["data"][0]["orderId"].asString(), ids[0]);
  EXPECT_EQ(Call("/order/getOrders.html")["resultInfo"]["data"].size(), 4u) << "default page size 15";
}

TEST_F(AccountRoutesTest, PayingAnOrderDeliversItsGoods) {
  const std::string id =
      Call("/order/recharge.html", {{"goodsId", "1"}, {"padCode", "PAD-EXPIRED-1"}})["resultInfo"]["orderId"]
          .asString();
  const int beans = Demo().rbcAmount;
  SimOrder* order = state.FindOrder(id);
  ASSERT_NE(order, nullptr);
  EXPECT_TRUE(state.PayOrder(*order));
  EXPECT_FALSE(state.PayOrder(*order)) << "an order is paid once";
  EXPECT_EQ((*state.FindDevice("PAD-EXPIRED-1"))["leftOnlineTime"].asInt(), 30);
  EXPECT_EQ(Demo().rbcAmount, beans + 50);
  const size_t devices = Demo().devices.size();
  const std::string bought = Call("/order/buy.html", {{"goodsId", "3"}})["resultInfo"]["orderId"].asString();
  EXPECT_TRUE(state.PayOrder(*state.FindOrder(bought)));
  EXPECT_EQ(Demo().devices.size(), devices + 1) << "buying gives a new VIP device";
}

TEST_F(AccountRoutesTest, NoticesCarryTextStatesAndMarkRead) {
  Json::Value notices = Call("/notice/getUserNotice.html");
  ASSERT_EQ(notices["resultCode"].asInt(), 0);
  ASSERT_EQ(notices["resultInfo"].size(), 2u);
  const Json::Value& first = notices["resultInfo"][0];
  EXPECT_TRUE(first["popStatus"].isString());
  EXPECT_EQ(first["userNoticeStatus"].asString(), "0");
  EXPECT_NE(first["noticeContent"].asString().find("127.0.0.1:8088"), std::string::npos);
  EXPECT_EQ(Call("/notice/updateUserNotice.html",
                 {{"userNoticeId", first["userNoticeId"].asString()}})["resultCode"]
                .asInt(),
            0);
  EXPECT_EQ(Call("/notice/getUserNotice.html")["resultInfo"][0]["userNoticeStatus"].asString(), "1");
  EXPECT_EQ(Call("/notice/getUserNotice.html")["resultInfo"][1]["userNoticeStatus"].asString(), "0");
  EXPECT_NE(Call("/notice/updateUserNotice.html", {{"userNoticeId", "10087-1"}})["resultCode"].asInt(), 0);
}

TEST_F(AccountRoutesTest, FaultReportNeedsNoSessionAndAppearsInTheList) {
  FormFields report{{"labelId", "2"}, {"contact", "qq 123"},         {"userId", "10086"},
                    {"osType", "pc"}, {"content", "画面&卡顿 100%"}, {"padCode", "PAD-FREE-1"}};
  ASSERT_EQ(service.Call("/fault/saveFault.html", report)["resultCode"].asInt(), 0);
  Json::Value list = Call("/fault/getFaultsByUserId.html", {{"pageNo", "1"}, {"pageSize", "15"}});
  ASSERT_EQ(list["resultCode"].asInt(), 0);
  EXPECT_EQ(list["resultInfo"]["total"].asInt(), 2);
  const Json::Value& newest = list["resultInfo"]["data"][0];
  EXPECT_EQ(newest["feedbackContent"].asString(), "画面&卡顿 100%");
  EXPECT_EQ(newest["labelName"].asString(), "画面卡顿");
  EXPECT_EQ(newest["padName"].asString(), "设备一");
  EXPECT_TRUE(newest["faultId"].isInt());
  report["labelId"] = "99";
  EXPECT_NE(service.Call("/fault/saveFault.html", report)["resultCode"].asInt(), 0);
  report["labelId"] = "2";
  report["userId"] = "5";
  EXPECT_NE(service.Call("/fault/saveFault.html", report)["resultCode"].asInt(), 0);
  EXPECT_EQ(Call("/label/getFaultLabels.html")["resultInfo"].size(), 4u);
}

TEST_F(AccountRoutesTest, ApplyingForAFreeDeviceOnlyWithoutOne) {
  EXPECT_NE(Call("/user/checkPad.html")["resultCode"].asInt(), 0) << "demo holds a free device";
  SimUser* other = state.FindUser("bindme");
  std::string otherSession = state.NewSession(other->userId);
  FormFields form{{"sessionId", otherSession}, {"userId", "10087"}};
  EXPECT_EQ(service.Call("/user/checkPad.html", form)["resultCode"].asInt(), 0);
  Json::Value bound = service.Call("/user/bindPad.html", form);
  ASSERT_EQ(bound["resultCode"].asInt(), 0);
  EXPECT_EQ(other->devices.size(), 1u);
  EXPECT_NE(service.Call("/user/bindPad.html", form)["resultCode"].asInt(), 0);
  EXPECT_EQ(service.Call("/pad/getPad.html", form)["resultInfo"]["padList"].size(), 1u);
}

TEST_F(AccountRoutesTest, PadLoginGiftOncePerDevice) {
  const int before = Demo().rbcAmount;
  EXPECT_EQ(Call("/task/doPadLoginTask.html", {{"padCode", "PAD-FREE-1"}})["resultCode"].asInt(), 0);
  EXPECT_NE(Call("/task/doPadLoginTask.html", {{"padCode", "PAD-FREE-1"}})["resultCode"].asInt(), 0);
  EXPECT_GT(Demo().rbcAmount, before);
  Json::Value info = Call("/user/getUserInfo.html")["resultInfo"];
  EXPECT_EQ(info["rbcAmount"].asInt(), Demo().rbcAmount);
  EXPECT_EQ(info["freeRate"].asInt(), 10);
  EXPECT_EQ(info["vipRate"].asInt(), 30);
}

TEST_F(AccountRoutesTest, AScenarioValueOfTheWrongTypeGivesAnErrorAnswer) {
  (*state.FindDevice("PAD-FREE-1"))["leftOnlineTime"] = Json::Value(Json::objectValue);
  Json::Value answer = Call("/pad/exChangeRbc.html", {{"padCode", "PAD-FREE-1"}, {"rbcAmount", "10"}});
  EXPECT_EQ(answer["resultCode"].asInt(), -1);
  EXPECT_TRUE(answer["resultInfo"].isString());
  EXPECT_EQ(Demo().rbcAmount, 500) << "nothing is spent on a failed exchange";
  EXPECT_EQ(Call("/user/getUserInfo.html")["resultCode"].asInt(), 0) << "the service goes on";
}

TEST_F(AccountRoutesTest, ShopListsNeedNoSession) {
  Json::Value goods = service.Call("/goods/getVipGoods.html", {});
  ASSERT_EQ(goods["resultCode"].asInt(), 0);
  EXPECT_EQ(goods["resultInfo"].size(), 3u);
  EXPECT_FALSE(goods["resultInfo"][0].isMember("days"));
  Json::Value modes = service.Call("/order/getPayModes.html", {{"os", "pc"}});
  ASSERT_EQ(modes["resultCode"].asInt(), 0);
  for (const auto& mode : modes["resultInfo"]) EXPECT_TRUE(mode["payType"].isString());
  Json::Value version = service.Call("/version/checkNewVersion.html", {{"os", "win"}});
  EXPECT_EQ(version["resultInfo"]["versionCode"].asString(), "1.2.3");
}

}  // namespace
}  // namespace zv::sim
