// The payment gateway and the web pages, with an order made through the account service.
#include "tests/sim_core/sim_fixture.h"

namespace zv::sim::test {
namespace {

class GatewayTest : public SimTest {
 protected:
  std::string NewOrder() {
    int userId = 0;
    std::string session = client.Login("demo", "123456", userId);
    HttpResult order = client.Account("/order/buy.html", "sessionId=" + session + "&userId=10086&goodsId=1");
    return order.json["resultInfo"]["orderId"].asString();
  }
  std::string WebBase() { return "http://127.0.0.1:" + std::to_string(Sim().Port("web")); }
};

TEST_F(GatewayTest, BrowserModesAnswerThePaymentPageAndQrModesAText) {
  const std::string orderId = NewOrder();
  ASSERT_FALSE(orderId.empty());
  HttpResult browser = client.Gateway("orderId=" + orderId + "&payModeCode=alipay_web&os=pc");
  EXPECT_EQ(browser.json["resultCode"].asInt(), 0) << browser.body;
  EXPECT_EQ(browser.json["resultInfo"].asString(), WebBase() + "/pay/index.html");
  HttpResult qr = client.Gateway("orderId=" + orderId + "&payModeCode=wechat_qr&os=pc");
  EXPECT_EQ(qr.json["resultCode"].asInt(), 0);
  EXPECT_EQ(qr.json["resultInfo"].asString(),
            WebBase() + "/pay/qr.html?orderId=" + orderId + "&payModeCode=wechat_qr");
  EXPECT_EQ(LogOf("payment")[0]["query"].asString(), "client=pc");
}

TEST_F(GatewayTest, RefusesUnknownOrdersModesAndPaidOrders) {
  const std::string orderId = NewOrder();
  struct Case {
    std::string body;
  } refused[] = {{"orderId=NOPE&payModeCode=alipay_web&os=pc"},
                 {"orderId=" + orderId + "&payModeCode=nope&os=pc"},
                 {"payModeCode=alipay_web&os=pc"}};
  for (const auto& c : refused) {
    HttpResult answer = client.Gateway(c.body);
    EXPECT_NE(answer.json["resultCode"].asInt(), 0) << c.body;
    EXPECT_TRUE(answer.json["resultInfo"].isString());
  }
  // Opening the payment page as the browser would pays the order.
  HttpResult page = client.Web("/pay/index.html?orderId=" + orderId + "&payModeCode=alipay_web&os=pc");
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("支付成功"), std::string::npos);
  EXPECT_EQ(client.Admin("state")["orders"][0]["orderStatus"].asString(), "1");
  EXPECT_NE(client.Gateway("orderId=" + orderId + "&payModeCode=alipay_web&os=pc").json["resultCode"].asInt(),
            0);
}

TEST_F(GatewayTest, WebSiteServesTheClientsPages) {
  for (const char* path :
       {"/ad/index.html", "/user/index.html", "/user/toForgetPassword.html", "/chat/index.html"}) {
    HttpResult page = client.Web(path);
    EXPECT_EQ(page.status, 200) << path;
    EXPECT_NE(page.body.find("<html>"), std::string::npos) << path;
    EXPECT_NE(page.body.find("charset=\"UTF-8\""), std::string::npos) << path;
  }
  EXPECT_EQ(client.Web("/nothing.html").status, 404);
  EXPECT_EQ(client.Gateway("").status, 200) << "the gateway answers an empty request with an error envelope";
}

}  // namespace
}  // namespace zv::sim::test
