#include "api/request_body.h"

#include <gtest/gtest.h>

#include <vector>

#include "api/client_identity.h"
#include "api/service_api.h"
#include "tests/service_api/service_test_support.h"

namespace zv {
namespace {

class RequestBodyTest : public testing::Test {
 protected:
  void SetUp() override {
    test::ResetAccountModel();
    CAppContext& context = CAppContext::Instance();
    context.sessionId = "s";
    context.userId = 42;
    for (int kind = 0; kind < kRequestKindCount; ++kind)
      context.endpointUrls[kind] = "https://127.0.0.1:8443/zelvaneauth/kind" + std::to_string(kind);
    SetVersionSourceForTesting([] { return std::optional<OsVersionInfo>(OsVersionInfo{6, 1, 1, true}); });
    SetAdapterSourceForTesting([] {
      return std::vector<AdapterInfo>{{"eth0", true, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}}};
    });
  }
  void TearDown() override {
    SetVersionSourceForTesting(nullptr);
    SetAdapterSourceForTesting(nullptr);
    CAppContext::Instance().endpointUrls = {};
  }

  std::string Body(int32_t kind, std::vector<std::string> params) {
    ApiRequest request;
    request.kind = kind;
    for (size_t i = 0; i < params.size(); ++i) request.params[i] = params[i];
    return CServiceApi::Instance().BuildBody(request);
  }
};

TEST_F(RequestBodyTest, EveryKindBuildsItsBody) {
  const std::string P = "sessionId=s&userId=42";
  const struct {
    int32_t kind;
    std::vector<std::string> params;
    std::string body;
  } cases[] = {
      {REQ_LOGIN, {"u1", "", "", "abc"}, "userName=u1&sign=abc&os=Windows7%20SP1&mac=00-1A-2B-3C-4D-5E&v=1.2.3"},
      {REQ_LOGIN, {}, P + "&v=1.2.3"},
      {REQ_GET_KEY, {"u1"}, "userName=u1"},
      {REQ_GET_KEY, {}, "userName="},
      {REQ_GET_PADS, {}, P},
      {REQ_GET_IDCS, {}, P},
      {REQ_GET_NOTICES, {}, P},
      {REQ_BIND_PAD, {"123456", "idc1"}, P + "&mobileCode=123456&idcCode=idc1"},
      {REQ_BIND_PAD, {"123456"}, P},
      {REQ_SEND_SMS, {"13800000000"}, P + "&mobile=13800000000"},
      {REQ_SEND_SMS, {}, P},
      {REQ_CHECK_PAD, {}, P},
      {REQ_CHECK_VIP_PAD, {}, P},
      {REQ_UPDATE_NOTICE, {"77"}, P + "&userNoticeId=77"},
      {REQ_UPDATE_NOTICE, {}, P},
      {REQ_LOGOUT, {}, P},
      {REQ_GET_FAULT_LABELS, {}, P},
      {REQ_SAVE_FAULT, {"3", "c", "screen"}, "labelId=3&contact=c&userId=42&osType=pc&content=screen"},
      {REQ_SAVE_FAULT, {"3", "c", "screen", "PAD-1"},
       "labelId=3&contact=c&userId=42&osType=pc&content=screen&padCode=PAD-1"},
      {REQ_SAVE_FAULT, {"3", "", "screen"}, P},
      {REQ_GET_FAULTS, {}, P + "&pageNo=1&pageSize=15"},
      {REQ_GET_FAULTS, {"2", "4"}, P + "&pageNo=2&pageSize=4"},
      {REQ_REGISTER, {"u", "pw"}, "userName=u&pwd=pw&pwdRepeat=pw"},
      {REQ_SEND_SMS_BOUND, {"138"}, "mobile=138"},
      {REQ_SEND_SMS_BOUND, {}, P},
      {REQ_BIND_PHONE, {"123456", "pw", "u"}, "mobileCode=123456&pwd=pw&userName=u"},
      {REQ_BIND_PHONE, {"123456", "pw"}, P},
      {REQ_GET_VIP_GOODS, {"ignored"}, ""},
      {REQ_RECHARGE, {"5", "PAD-1"}, P + "&goodsId=5&padCode=PAD-1"},
      {REQ_RECHARGE, {"5"}, P},
      {REQ_BUY, {"5"}, P + "&goodsId=5"},
      {REQ_BUY, {}, P},
      {REQ_GET_ORDERS, {}, P + "&pageNo=1&pageSize=15"},
      {REQ_GET_ORDERS, {"", "30"}, P + "&pageNo=1&pageSize=30"},
      {REQ_PAD_LOGIN_TASK, {"PAD-1"}, P + "&padCode=PAD-1"},
      {REQ_PAD_LOGIN_TASK, {}, P},
      {REQ_GET_USER_INFO, {}, P},
      {REQ_EXCHANGE_BEANS, {"PAD-1", "200"}, P + "&padCode=PAD-1&rbcAmount=200"},
      {REQ_EXCHANGE_BEANS, {"", "200"}, P},
      {REQ_GET_PAY_MODES, {}, "os=pc"},
      {REQ_PAY_GATEWAY, {"O-9", "alipay"}, "orderId=O-9&payModeCode=alipay&os=pc"},
      {REQ_PAY_GATEWAY, {"O-9"}, P},
      {REQ_GET_PC_TASKS, {}, P},
      {REQ_ATTENDANCE, {"8"}, P + "&taskId=8"},
      {REQ_ATTENDANCE, {}, P},
      {REQ_CHECK_NEW_VERSION, {}, "os=win"},
  };
  for (const auto& c : cases) EXPECT_EQ(Body(c.kind, c.params), c.body) << "kind " << c.kind;
}

TEST_F(RequestBodyTest, EveryValueIsPercentEncodedByteForByte) {
  CAppContext::Instance().sessionId = "a b+c";
  const struct {
    int32_t kind;
    std::vector<std::string> params;
    std::string body;
  } cases[] = {
      // A user name cannot inject a parameter of its own.
      {REQ_GET_KEY, {"a&userId=7"}, "userName=a%26userId%3D7"},
      {REQ_GET_KEY, {"50%+x"}, "userName=50%25%2Bx"},
      // ANSI bytes (GBK here) and UTF-8 travel unchanged beneath the encoding.
      {REQ_GET_KEY, {"\xD6\xD0"}, "userName=%D6%D0"},
      {REQ_SAVE_FAULT, {"3", "c=d", "\xE4\xB8\xAD 1&2"},
       "labelId=3&contact=c%3Dd&userId=42&osType=pc&content=%E4%B8%AD%201%262"},
      {REQ_GET_PADS, {}, "sessionId=a%20b%2Bc&userId=42"},
      {REQ_GET_ORDERS, {"1&pageSize=999"}, "sessionId=a%20b%2Bc&userId=42&pageNo=1%26pageSize%3D999&pageSize=15"},
      {REQ_PAY_GATEWAY, {"O/1", "wx?"}, "orderId=O%2F1&payModeCode=wx%3F&os=pc"},
  };
  for (const auto& c : cases) EXPECT_EQ(Body(c.kind, c.params), c.body) << "kind " << c.kind;
  EXPECT_EQ(EscapeFormValue("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(EscapeFormValue(std::string("\x00\xFF", 2)), "%00%FF");
}

TEST_F(RequestBodyTest, OnlyTheFaultDescriptionIsConvertedToUtf8) {
  std::string fault, key;
  const bool ran = test::WithLocale("zh_CN.gbk", [&] {
    fault = Body(REQ_SAVE_FAULT, {"3", "\xD6\xD0", "\xD6\xD0\xCE\xC4"});  // GBK 中, 中文
    key = Body(REQ_GET_KEY, {"\xD6\xD0"});
  });
  if (!ran) GTEST_SKIP() << "no zh_CN.gbk locale";
  EXPECT_EQ(fault, "labelId=3&contact=%D6%D0&userId=42&osType=pc&content=%E4%B8%AD%E6%96%87");
  EXPECT_EQ(key, "userName=%D6%D0");
}

TEST_F(RequestBodyTest, LoginWithoutEthernetHasNoMacButStillTheVersion) {
  SetAdapterSourceForTesting([] {
    return std::vector<AdapterInfo>{{"wlan0", false, {1, 2, 3, 4, 5, 6}}, {"lo", false, {}}};
  });
  SetVersionSourceForTesting([] { return std::optional<OsVersionInfo>(OsVersionInfo{10, 0, 0, true}); });
  EXPECT_EQ(Body(REQ_LOGIN, {"u1", "", "", "abc"}), "userName=u1&sign=abc&os=Windows10&v=1.2.3");
}

TEST_F(RequestBodyTest, BeforeAnyLoginTheCommonPartCarriesUserIdZero) {
  test::ResetAccountModel();
  EXPECT_EQ(Body(REQ_GET_PADS, {}), "sessionId=&userId=0");
}

TEST_F(RequestBodyTest, PageDefaultsStayInTheCopy) {
  ApiRequest request;
  request.kind = REQ_GET_FAULTS;
  CServiceApi::Instance().BuildBody(request);
  EXPECT_TRUE(request.params[0].empty());
  EXPECT_TRUE(request.params[1].empty());
}

TEST_F(RequestBodyTest, UrlOfEveryKindEndsInTheClientType) {
  CServiceApi& api = CServiceApi::Instance();
  for (int kind = 0; kind < kRequestKindCount; ++kind)
    EXPECT_EQ(api.BuildUrl(kind), "https://127.0.0.1:8443/zelvaneauth/kind" + std::to_string(kind) + "?client=pc");
  EXPECT_EQ(api.BuildUrl(-1), "");
  EXPECT_EQ(api.BuildUrl(kRequestKindCount), "");
  CAppContext::Instance().endpointUrls[REQ_GET_PADS].clear();
  EXPECT_EQ(api.BuildUrl(REQ_GET_PADS), "");
}

TEST_F(RequestBodyTest, InitializedEndpointsGiveTheCataloguePaths) {
  CAppContext::Instance().Initialize();
  CServiceApi& api = CServiceApi::Instance();
  const EndpointConfig& e = CAppContext::Instance().endpoints;
  const std::string base = e.AccountBaseUrl();
  EXPECT_EQ(api.BuildUrl(REQ_GET_KEY), base + "/user/getKey.html?client=pc");
  EXPECT_EQ(api.BuildUrl(REQ_LOGIN), base + "/user/getUser.html?client=pc");
  EXPECT_EQ(api.BuildUrl(REQ_GET_PADS), base + "/pad/getPad.html?client=pc");
  EXPECT_EQ(api.BuildUrl(REQ_EXCHANGE_BEANS), base + "/pad/exChangeRbc.html?client=pc");
  EXPECT_EQ(api.BuildUrl(REQ_PAY_GATEWAY), e.PaymentGatewayUrl() + "?client=pc");
  EXPECT_EQ(api.BuildUrl(REQ_CHECK_NEW_VERSION), base + "/version/checkNewVersion.html?client=pc");
}

}  // namespace
}  // namespace zv
