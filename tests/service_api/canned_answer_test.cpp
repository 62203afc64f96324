// Execute and SignIn on answers the simulated platform never gives, served over loopback
// HTTP: the handshake's fallback branches and the session-expiry rule for every kind.
#include <gtest/gtest.h>

#include "api/service_api.h"
#include "app/events.h"
#include "tests/service_api/canned_service.h"
#include "tests/service_api/service_test_support.h"
#include "tests/support/recording_window.h"

namespace zv {
namespace {

const char* const kKeyPath = "/zelvaneauth/user/getKey.html";
const char* const kLoginPath = "/zelvaneauth/user/getUser.html";

class CannedAnswerTest : public testing::Test {
 protected:
  void SetUp() override {
    test::ResetAccountModel();
    ASSERT_TRUE(CServiceApi::Instance().InitTransport());
    window.Attach();
    const std::string base = "http://127.0.0.1:" + std::to_string(service.Port());
    for (int kind = 0; kind < kRequestKindCount; ++kind)
      CAppContext::Instance().endpointUrls[kind] = base + "/zelvaneauth/kind" + std::to_string(kind);
    CAppContext::Instance().endpointUrls[REQ_GET_KEY] = base + kKeyPath;
    CAppContext::Instance().endpointUrls[REQ_LOGIN] = base + kLoginPath;
  }
  void TearDown() override { CAppContext::Instance().endpointUrls = {}; }

  static ApiRequest Login(const std::string& user, const std::string& password) {
    ApiRequest request;
    request.params[0] = user;
    request.params[1] = password;
    return request;
  }

  test::CCannedService service;
  test::RecordingWindow window;
  CAppContext& context = CAppContext::Instance();
};

TEST_F(CannedAnswerTest, KeyExchangeWithoutSignKeyStoresTheUserIdAndGivesOne) {
  service.SetAnswer(kKeyPath, R"({"resultCode":0,"resultInfo":{"userId":10086}})");
  ApiRequest request = Login("demo", "123456");
  EXPECT_EQ(CServiceApi::Instance().SignIn(request, false), 1);
  EXPECT_EQ(context.userId, 10086);
  EXPECT_EQ(request.params[2], CServiceApi::MakePasswordDigest("10086", "123456"));
  ASSERT_EQ(service.Requests().size(), 1u);  // no login step without a key
  EXPECT_EQ(service.Requests()[0].body, "userName=demo");
}

TEST_F(CannedAnswerTest, EmptySessionGivesOneAndKeepsTheOldSession) {
  context.sessionId = "old";
  context.userName = "before";
  service.SetAnswer(kKeyPath, R"({"resultCode":0,"resultInfo":{"signKey":"K3y","userId":"10086"}})");
  service.SetAnswer(kLoginPath, R"({"resultCode":0,"resultInfo":{"session":""}})");
  ApiRequest request = Login("demo", "123456");
  EXPECT_EQ(CServiceApi::Instance().SignIn(request, false), 1);
  EXPECT_EQ(context.sessionId, "old");
  EXPECT_EQ(context.userName, "before");
  EXPECT_EQ(context.userId, 10086);
}

TEST_F(CannedAnswerTest, RememberedEmptyDigestSignsTheKeyAlone) {
  service.SetAnswer(kKeyPath, R"({"resultCode":0,"resultInfo":{"signKey":"K3y","userId":10086}})");
  service.SetAnswer(kLoginPath, R"({"resultCode":0,"resultInfo":{"session":"S-2"}})");
  ApiRequest request = Login("demo", "typed but unused");
  EXPECT_EQ(CServiceApi::Instance().SignIn(request, true), 0);
  EXPECT_EQ(request.params[2], "");
  EXPECT_EQ(request.params[3], MakeLoginSign("", "K3y"));
  ASSERT_EQ(service.Requests().size(), 2u);
  EXPECT_NE(service.Requests()[1].body.find("sign=" + MakeLoginSign("", "K3y") + "&"), std::string::npos);
  EXPECT_EQ(context.sessionId, "S-2");
  EXPECT_EQ(context.passwordDigest, "");
}

TEST_F(CannedAnswerTest, FailingKeyExchangeStoresNothing) {
  context.userId = 5;
  service.SetAnswer(kKeyPath, R"({"resultCode":1,"resultInfo":"用户不存在"})");
  ApiRequest request = Login("nobody", "x");
  EXPECT_EQ(CServiceApi::Instance().SignIn(request, false), 1);
  EXPECT_EQ(request.resultInfo, "用户不存在");
  EXPECT_EQ(context.userId, 5);
  EXPECT_TRUE(request.params[2].empty());

  service.SetAnswer(kKeyPath, R"({"resultCode":0})");
  EXPECT_EQ(CServiceApi::Instance().SignIn(request, false), -1);
  EXPECT_EQ(context.userId, 5);
}

TEST_F(CannedAnswerTest, EmptyUserNameSendsNothing) {
  ApiRequest request = Login("", "123456");
  EXPECT_EQ(CServiceApi::Instance().SignIn(request, false), -1);
  EXPECT_TRUE(service.Requests().empty());
}

TEST_F(CannedAnswerTest, ExpiredSessionIsReportedForEveryKindButLoginAndLogout) {
  const std::string expired = R"({"resultCode":-9999,"resultInfo":"登录已过期，请重新登录"})";
  service.SetAnswer(kKeyPath, expired);
  service.SetAnswer(kLoginPath, expired);
  for (int kind = 2; kind < kRequestKindCount; ++kind)
    service.SetAnswer("/zelvaneauth/kind" + std::to_string(kind), expired);
  for (int kind = 0; kind < kRequestKindCount; ++kind) {
    window.Clear();
    ApiRequest request;
    request.kind = kind;
    request.sessionExpired = true;  // a reused record: Execute clears it first
    EXPECT_EQ(CServiceApi::Instance().Execute(request), -9999) << kind;
    EXPECT_EQ(request.resultInfo, "登录已过期，请重新登录") << kind;
    const bool reported = kind != REQ_LOGIN && kind != REQ_LOGOUT;
    EXPECT_EQ(request.sessionExpired, reported) << kind;
    if (reported) {
      EXPECT_TRUE(window.WaitForMessage(UWM_SESSION_TIMEOUT)) << kind;
      ASSERT_EQ(window.Events().size(), 1u) << kind;
      EXPECT_EQ(window.Events()[0].wParam, 0u);
      EXPECT_EQ(window.Events()[0].lParam, 0);
      EXPECT_FALSE(window.Events()[0].sent);
    }
  }
  // Posts are handled in order: one event after a login or logout and a device request
  // means none came from the first.
  for (int32_t kind : {int32_t(REQ_LOGIN), int32_t(REQ_LOGOUT)}) {
    window.Clear();
    ApiRequest first;
    first.kind = kind;
    CServiceApi::Instance().Execute(first);
    ApiRequest marker;
    marker.kind = REQ_GET_PADS;
    CServiceApi::Instance().Execute(marker);
    ASSERT_TRUE(window.WaitForMessage(UWM_SESSION_TIMEOUT));
    EXPECT_EQ(window.Count(UWM_SESSION_TIMEOUT), 1u) << kind;
  }
}

TEST_F(CannedAnswerTest, OversizedAnswerIsRefusedAsATransportFailure) {
  service.SetAnswer("/zelvaneauth/kind3", R"({"resultCode":0,"resultInfo":")" + std::string(9u << 20, 'x') + "\"}");
  ApiRequest request;
  request.kind = REQ_GET_IDCS;
  EXPECT_EQ(CServiceApi::Instance().Execute(request), -2);
  EXPECT_TRUE(request.responseText.empty());
  service.SetAnswer("/zelvaneauth/kind3", R"({"resultCode":0,"resultInfo":[]})");
  EXPECT_EQ(CServiceApi::Instance().Execute(request), 0);
}

TEST_F(CannedAnswerTest, ErrorPageWithSuccessStatusIsStillUnparsable) {
  CAppContext::Instance().padList.resize(3);
  ApiRequest request;
  request.kind = REQ_GET_PADS;  // no answer set: a 404 HTML page
  EXPECT_EQ(CServiceApi::Instance().Execute(request), -1);
  EXPECT_EQ(request.responseText, "<html><body>not found</body></html>");
  EXPECT_EQ(CAppContext::Instance().padList.size(), 3u);
}

}  // namespace
}  // namespace zv
