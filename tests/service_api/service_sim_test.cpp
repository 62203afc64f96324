// The service client against the real simulated platform over mutual TLS.
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "api/service_api.h"
#include "app/events.h"
#include "tests/service_api/service_sim.h"
#include "tests/service_api/service_test_support.h"
#include "tests/support/recording_window.h"

namespace zv {
namespace {

class ServiceSimTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    sim = new test::CServiceSim;
    std::string error;
    if (!sim->Start(error)) {
      startError = error;
      return;
    }
    char cwd[4096];
    previousDir = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    setenv("ZELVANE_ACCOUNT_HOST", "127.0.0.1", 1);
    setenv("ZELVANE_ACCOUNT_PORT", std::to_string(sim->Port("account")).c_str(), 1);
    setenv("ZELVANE_PAYMENT_HOST", "127.0.0.1", 1);
    setenv("ZELVANE_PAYMENT_PORT", std::to_string(sim->Port("payment")).c_str(), 1);
    CAppContext::Instance().Initialize();
  }
  static void TearDownTestSuite() {
    if (!previousDir.empty() && chdir(previousDir.c_str()) != 0) previousDir.clear();
    CServiceApi::Instance().InitTransport();
    delete sim;
    sim = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(startError.empty()) << startError;
    UseFolder("good");
    test::ResetAccountModel();
    sim->Admin("reset");
    sim->Admin("log/clear");
    window.Attach();
  }

  // Works from a folder of TLS files with a fresh handle, as a client started there would.
  static void UseFolder(const std::string& name) {
    ASSERT_EQ(chdir(sim->Folder(name).c_str()), 0);
    ASSERT_TRUE(CServiceApi::Instance().InitTransport());
  }

  static int32_t SignIn(const std::string& user, const std::string& password, ApiRequest* out = nullptr) {
    ApiRequest request;
    request.params[0] = user;
    request.params[1] = password;
    const int32_t result = CServiceApi::Instance().SignIn(request, false);
    if (out) *out = request;
    return result;
  }

  static int32_t Run(int32_t kind, std::vector<std::string> params = {}, ApiRequest* out = nullptr) {
    ApiRequest request;
    request.kind = kind;
    for (size_t i = 0; i < params.size(); ++i) request.params[i] = params[i];
    const int32_t result = CServiceApi::Instance().Execute(request);
    if (out) *out = request;
    return result;
  }

  static Json::Value Inject(const std::string& path, const std::string& mode, int ms = 0) {
    Json::Value body;
    body["path"] = path;
    body["mode"] = mode;
    body["ms"] = ms;
    return sim->Admin("inject", body);
  }

  static test::CServiceSim* sim;
  static std::string startError;
  static std::string previousDir;
  test::RecordingWindow window;
  CAppContext& context = CAppContext::Instance();
};

test::CServiceSim* ServiceSimTest::sim = nullptr;
std::string ServiceSimTest::startError;
std::string ServiceSimTest::previousDir;

TEST_F(ServiceSimTest, SignInWithTheTypedPassword) {
  ApiRequest request;
  ASSERT_EQ(SignIn("demo", "123456", &request), 0) << request.resultInfo;
  const std::string digest = CServiceApi::MakePasswordDigest("10086", "123456");
  EXPECT_EQ(request.results[1], "10086");
  EXPECT_EQ(request.params[2], digest);
  EXPECT_EQ(request.params[3], MakeLoginSign(digest, request.results[0]));
  EXPECT_EQ(context.userId, 10086);
  EXPECT_EQ(context.userName, "demo");
  EXPECT_EQ(context.passwordDigest, digest);
  EXPECT_FALSE(context.sessionId.empty());

  const std::vector<Json::Value> log = sim->Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0]["path"].asString(), "/zelvaneauth/user/getKey.html");
  EXPECT_EQ(log[0]["query"].asString(), "client=pc");
  EXPECT_EQ(log[0]["rawBody"].asString(), "userName=demo");
  EXPECT_EQ(log[1]["path"].asString(), "/zelvaneauth/user/getUser.html");
  EXPECT_EQ(log[1]["body"]["sign"].asString(), request.params[3]);
  EXPECT_EQ(log[1]["body"]["v"].asString(), "1.2.3");
  EXPECT_TRUE(log[1]["body"].isMember("os"));
  EXPECT_FALSE(log[1]["body"].isMember("sessionId"));

  // The session now opens the account's requests.
  ASSERT_EQ(Run(REQ_GET_PADS), 0);
  ASSERT_EQ(context.padList.size(), 2u);
  EXPECT_EQ(context.padList[0].padName, "设备一");
  ASSERT_EQ(context.controlList.size(), 1u);
  EXPECT_EQ(context.controlList[0].controlPort, 7100);
}

TEST_F(ServiceSimTest, SignInWithTheRememberedDigest) {
  context.passwordDigest = CServiceApi::MakePasswordDigest("10086", "123456");
  ApiRequest request;
  request.params[0] = "demo";
  request.params[1] = "not the password";
  ASSERT_EQ(CServiceApi::Instance().SignIn(request, true), 0) << request.resultInfo;
  EXPECT_FALSE(context.sessionId.empty());

  // A stale remembered digest is refused by the service; the id is stored all the same.
  const std::string session = context.sessionId;
  context.userId = 0;
  context.passwordDigest = CServiceApi::MakePasswordDigest("10086", "old password");
  ApiRequest stale;
  stale.params[0] = "demo";
  const int32_t result = CServiceApi::Instance().SignIn(stale, true);
  EXPECT_NE(result, 0);
  EXPECT_GT(result, 0);
  EXPECT_FALSE(stale.resultInfo.empty());
  EXPECT_EQ(context.userId, 10086);
  EXPECT_EQ(context.sessionId, session);
}

TEST_F(ServiceSimTest, LoginCodesOfTheServicePassThrough) {
  context.sessionId = "before";
  const struct {
    const char* user;
    int32_t code;
    int32_t userId;
  } cases[] = {{"bindme", 4, 10087}, {"oldclient", 3, 10088}};
  for (const auto& c : cases) {
    ApiRequest request;
    EXPECT_EQ(SignIn(c.user, "123456", &request), c.code) << c.user;
    EXPECT_FALSE(request.resultInfo.empty()) << c.user;
    EXPECT_EQ(context.userId, c.userId);
    EXPECT_EQ(context.sessionId, "before");
    EXPECT_FALSE(request.sessionExpired);
  }
  EXPECT_EQ(window.Count(UWM_SESSION_TIMEOUT), 0u);
}

TEST_F(ServiceSimTest, UserNameAndPasswordWithFormCharactersArriveIntact) {
  // Sent raw, "a&userId=7" would be the name "a" plus a forged userId parameter.
  ApiRequest request;
  ASSERT_EQ(SignIn("a&userId=7", "p%+ &=中", &request), 0) << request.resultInfo;
  EXPECT_EQ(context.userId, 10099);
  const std::vector<Json::Value> log = sim->Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0]["rawBody"].asString(), "userName=a%26userId%3D7");
  EXPECT_EQ(log[0]["body"]["userName"].asString(), "a&userId=7");
  EXPECT_FALSE(log[0]["body"].isMember("userId"));
}

TEST_F(ServiceSimTest, ExpiredSessionIsReportedExceptOnLogout) {
  ASSERT_EQ(SignIn("demo", "123456"), 0);
  ASSERT_EQ(Run(REQ_GET_PADS), 0);
  ASSERT_TRUE(sim->Admin("sessions/expire")["ok"].asBool());

  ApiRequest pads;
  EXPECT_EQ(Run(REQ_GET_PADS, {}, &pads), -9999);
  EXPECT_TRUE(pads.sessionExpired);
  EXPECT_FALSE(pads.resultInfo.empty());
  EXPECT_EQ(context.padList.size(), 2u);  // the list of the last good answer stays
  EXPECT_TRUE(window.WaitForMessage(UWM_SESSION_TIMEOUT));

  ApiRequest logout;
  EXPECT_EQ(Run(REQ_LOGOUT, {}, &logout), -9999);
  EXPECT_FALSE(logout.sessionExpired);
  ApiRequest info;
  EXPECT_EQ(Run(REQ_GET_USER_INFO, {}, &info), -9999);
  EXPECT_TRUE(info.sessionExpired);
  // One event per reporting request: the device list and the user info, not the logout.
  EXPECT_TRUE(window.WaitFor([](const auto& events) { return events.size() >= 2; }));
  EXPECT_EQ(window.Count(UWM_SESSION_TIMEOUT), 2u);
}

TEST_F(ServiceSimTest, TransferFailureLeavesTheRecordAsItWas) {
  ASSERT_EQ(SignIn("demo", "123456"), 0);
  ASSERT_EQ(Run(REQ_GET_PADS), 0);
  UseFolder("otherca");
  ApiRequest request;
  request.kind = REQ_GET_PADS;
  request.responseText = "earlier";
  request.resultCode = 9;
  request.resultInfo = "earlier text";
  EXPECT_EQ(CServiceApi::Instance().Execute(request), -2);
  EXPECT_EQ(request.responseText, "earlier");
  EXPECT_EQ(request.resultCode, 9);
  EXPECT_EQ(request.resultInfo, "earlier text");
  EXPECT_FALSE(request.sessionExpired);
  EXPECT_EQ(context.padList.size(), 2u);
}

TEST_F(ServiceSimTest, ErrorPagesAndGarbageAreUnparsable) {
  ASSERT_EQ(SignIn("demo", "123456"), 0);
  ASSERT_EQ(Run(REQ_GET_PADS), 0);
  for (const char* mode : {"html500", "garbage"}) {
    ASSERT_TRUE(Inject("/pad/getPad.html", mode)["ok"].asBool()) << mode;
    ApiRequest request;
    EXPECT_EQ(Run(REQ_GET_PADS, {}, &request), -1) << mode;
    EXPECT_FALSE(request.responseText.empty()) << mode;
    EXPECT_EQ(context.padList.size(), 2u) << mode;
  }
  EXPECT_EQ(Run(REQ_GET_PADS), 0);  // each fault was for one request only
}

TEST_F(ServiceSimTest, CookieOfOneAnswerComesBackOnTheNext) {
  ASSERT_EQ(Run(REQ_CHECK_NEW_VERSION), 0);
  ApiRequest version;
  ASSERT_EQ(Run(REQ_CHECK_NEW_VERSION, {}, &version), 0);
  EXPECT_EQ(version.results[0], "1.2.4");
  const std::vector<Json::Value> log = sim->Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_FALSE(log[0]["cookies"].isMember("ZVSID"));
  EXPECT_FALSE(log[1]["cookies"]["ZVSID"].asString().empty());
}

TEST_F(ServiceSimTest, ConsecutiveRequestsShareOneTlsConnection) {
  ASSERT_EQ(SignIn("demo", "123456"), 0);
  ASSERT_EQ(Run(REQ_GET_PADS), 0);
  ASSERT_EQ(Run(REQ_GET_USER_INFO), 0);
  EXPECT_EQ(context.rbcAmount, 500);
  std::vector<Json::Value> log = sim->Log();
  ASSERT_EQ(log.size(), 4u);
  for (const Json::Value& entry : log) EXPECT_EQ(entry["connection"], log[0]["connection"]);
  // A new handle opens a new connection: the ids do tell connections apart.
  UseFolder("good");
  ASSERT_EQ(Run(REQ_CHECK_NEW_VERSION), 0);
  log = sim->Log();
  EXPECT_NE(log.back()["connection"], log[0]["connection"]);
}

TEST_F(ServiceSimTest, ConcurrentRequestsRunOneAfterTheOther) {
  ASSERT_EQ(SignIn("demo", "123456"), 0);
  ASSERT_TRUE(Inject("/pad/getPad.html", "delay", 1000)["ok"].asBool());
  std::atomic<int> finished{0};
  int slowOrder = 0, fastOrder = 0;
  std::thread slow([&] {
    EXPECT_EQ(Run(REQ_GET_PADS), 0);
    slowOrder = ++finished;
  });
  // The second request starts once the first has reached the service.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (sim->Log().size() < 3 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::thread fast([&] {
    EXPECT_EQ(Run(REQ_GET_USER_INFO), 0);
    fastOrder = ++finished;
  });
  slow.join();
  fast.join();
  EXPECT_EQ(slowOrder, 1);
  EXPECT_EQ(fastOrder, 2);
  const std::vector<Json::Value> log = sim->Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[2]["path"].asString(), "/zelvaneauth/pad/getPad.html");
  EXPECT_EQ(log[3]["path"].asString(), "/zelvaneauth/user/getUserInfo.html");
  // The second arrived only after the first's delayed answer (1000 ms, with slack).
  EXPECT_GE(log[3]["time"].asInt64() - log[2]["time"].asInt64(), 800);
}

TEST_F(ServiceSimTest, RefusedTlsSetUpsAreTransportFailures) {
  for (const char* folder : {"nocert", "badpass", "otherclient", "otherca"}) {
    UseFolder(folder);
    ApiRequest request;
    EXPECT_EQ(Run(REQ_CHECK_NEW_VERSION, {}, &request), -2) << folder;
    EXPECT_TRUE(request.responseText.empty()) << folder;
  }
  UseFolder("good");
  EXPECT_EQ(Run(REQ_CHECK_NEW_VERSION), 0);
}

TEST_F(ServiceSimTest, EveryKindReachesItsPathWithItsBody) {
  ASSERT_EQ(SignIn("demo", "123456"), 0);
  ApiRequest buy;
  ASSERT_EQ(Run(REQ_BUY, {"1"}, &buy), 0) << buy.resultInfo;
  ASSERT_FALSE(buy.results[0].empty());
  sim->Admin("log/clear");

  const struct {
    int32_t kind;
    std::vector<std::string> params;
    const char* path;
  } cases[] = {
      {REQ_GET_PADS, {}, "/zelvaneauth/pad/getPad.html"},
      {REQ_GET_IDCS, {}, "/zelvaneauth/idc/getIdc.html"},
      {REQ_GET_NOTICES, {}, "/zelvaneauth/notice/getUserNotice.html"},
      {REQ_BIND_PAD, {}, "/zelvaneauth/user/bindPad.html"},
      {REQ_SEND_SMS, {"13800138000"}, "/zelvaneauth/sms/send.html"},
      {REQ_CHECK_PAD, {}, "/zelvaneauth/user/checkPad.html"},
      {REQ_CHECK_VIP_PAD, {}, "/zelvaneauth/user/checkVipPad.html"},
      {REQ_UPDATE_NOTICE, {"1"}, "/zelvaneauth/notice/updateUserNotice.html"},
      {REQ_GET_FAULT_LABELS, {}, "/zelvaneauth/label/getFaultLabels.html"},
      {REQ_SAVE_FAULT, {"3", "qq 10000", "黑屏 & 卡顿 100%", "PAD-1"}, "/zelvaneauth/fault/saveFault.html"},
      {REQ_GET_FAULTS, {}, "/zelvaneauth/fault/getFaultsByUserId.html"},
      {REQ_REGISTER, {"new user", "pw+1"}, "/zelvaneauth/user/save.html"},
      {REQ_SEND_SMS_BOUND, {"13800138000"}, "/zelvaneauth/sms/sendByBindUserPhone.html"},
      {REQ_BIND_PHONE, {"000000", "123456", "demo"}, "/zelvaneauth/user/bindPhone.html"},
      {REQ_GET_VIP_GOODS, {}, "/zelvaneauth/goods/getVipGoods.html"},
      {REQ_RECHARGE, {"1", "PAD-2"}, "/zelvaneauth/order/recharge.html"},
      {REQ_BUY, {"1"}, "/zelvaneauth/order/buy.html"},
      {REQ_GET_ORDERS, {"1", "5"}, "/zelvaneauth/order/getOrders.html"},
      {REQ_PAD_LOGIN_TASK, {"PAD-1"}, "/zelvaneauth/task/doPadLoginTask.html"},
      {REQ_GET_USER_INFO, {}, "/zelvaneauth/user/getUserInfo.html"},
      {REQ_EXCHANGE_BEANS, {"PAD-1", "10"}, "/zelvaneauth/pad/exChangeRbc.html"},
      {REQ_GET_PAY_MODES, {}, "/zelvaneauth/order/getPayModes.html"},
      {REQ_PAY_GATEWAY, {buy.results[0], "wechat_qr"}, "/gateway.html"},
      {REQ_GET_PC_TASKS, {}, "/zelvaneauth/task/getPcTasks.html"},
      {REQ_ATTENDANCE, {"1"}, "/zelvaneauth/task/attendance.html"},
      {REQ_CHECK_NEW_VERSION, {}, "/zelvaneauth/version/checkNewVersion.html"},
      {REQ_LOGOUT, {}, "/zelvaneauth/user/logout.html"},
  };
  for (const auto& c : cases) {
    ApiRequest request;
    request.kind = c.kind;
    for (size_t i = 0; i < c.params.size(); ++i) request.params[i] = c.params[i];
    const std::string body = CServiceApi::Instance().BuildBody(request);
    const size_t before = sim->Log().size();
    const int32_t result = CServiceApi::Instance().Execute(request);
    EXPECT_NE(result, -2) << c.path;
    EXPECT_NE(result, -9999) << c.path;
    const std::vector<Json::Value> log = sim->Log();
    ASSERT_EQ(log.size(), before + 1) << c.path;
    EXPECT_EQ(log.back()["path"].asString(), c.path);
    EXPECT_EQ(log.back()["query"].asString(), "client=pc") << c.path;
    EXPECT_EQ(log.back()["rawBody"].asString(), body) << c.path;
    for (size_t i = 0; i < c.params.size(); ++i) {
      // Every typed value arrives as typed, whatever form characters it holds.
      bool found = false;
      for (const std::string& key : log.back()["body"].getMemberNames())
        found = found || log.back()["body"][key].asString() == c.params[i];
      EXPECT_TRUE(found) << c.path << " lacks " << c.params[i];
    }
  }
}

TEST_F(ServiceSimTest, AnswersFillTheModel) {
  ASSERT_EQ(SignIn("demo", "123456"), 0);
  ASSERT_EQ(Run(REQ_GET_USER_INFO), 0);
  EXPECT_EQ(context.rbcAmount, 500);
  EXPECT_EQ(context.freeRate, 10);
  EXPECT_EQ(context.vipRate, 30);
  ASSERT_EQ(Run(REQ_GET_VIP_GOODS), 0);
  ASSERT_EQ(context.goodsList.size(), 1u);
  EXPECT_EQ(context.goodsList[0].goodsName, "VIP月卡");
  ASSERT_EQ(Run(REQ_GET_PAY_MODES), 0);
  ASSERT_EQ(context.payTypeList.size(), 2u);
  EXPECT_EQ(context.payTypeList[1].payType, 2);
  ASSERT_EQ(Run(REQ_GET_NOTICES), 0);
  ASSERT_EQ(context.noticeList.size(), 1u);
  EXPECT_EQ(context.noticeList[0].noticeTitle, "维护通知");
  ASSERT_EQ(Run(REQ_GET_FAULT_LABELS), 0);
  ASSERT_EQ(context.faultLabelList.size(), 1u);
  ASSERT_EQ(Run(REQ_GET_PC_TASKS), 0);
  ASSERT_EQ(context.taskList.size(), 1u);
  ApiRequest buy;
  ASSERT_EQ(Run(REQ_BUY, {"1"}, &buy), 0);
  ApiRequest gateway;
  ASSERT_EQ(Run(REQ_PAY_GATEWAY, {buy.results[0], "alipay_web"}, &gateway), 0);
  EXPECT_NE(gateway.results[0].find("http://127.0.0.1:"), std::string::npos);
  ASSERT_EQ(Run(REQ_GET_ORDERS), 0);
  ASSERT_FALSE(context.orderList.empty());
  EXPECT_EQ(context.orderList[0].total, static_cast<int32_t>(context.orderList.size()));
}

}  // namespace
}  // namespace zv
