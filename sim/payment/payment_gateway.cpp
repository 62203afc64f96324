#include "sim/payment/payment_gateway.h"

#include "sim/account/account_routes.h"
#include "sim/core/json_text.h"

namespace zv::sim {

bool IsQrPayMode(const Json::Value& mode) {
  const Json::Value& type = mode["payType"];
  return (type.isString() && type.asString() == "2") || (type.isIntegral() && type.asInt() == 2);
}

Json::Value CPaymentGateway::Pay(const FormFields& form) {
  auto field = [&](const char* name) {
    auto it = form.find(name);
    return it == form.end() ? std::string() : it->second;
  };
  std::string orderId = field("orderId");
  std::string modeCode = field("payModeCode");
  if (orderId.empty() || modeCode.empty()) return AnswerFail(1, "缺少订单号或支付方式");
  SimOrder* order = m_state.FindOrder(orderId);
  if (!order) return AnswerFail(2, "订单不存在");
  if (order->orderStatus != "0") return AnswerFail(3, "订单已支付");
  const Json::Value* mode = m_state.FindPayMode(modeCode);
  if (!mode) return AnswerFail(4, "支付方式不存在");
  const std::string web = "http://127.0.0.1:" + ExpandPortText("{web}", m_ports);
  if (IsQrPayMode(*mode)) {
    return AnswerOk(web + "/pay/qr.html?orderId=" + orderId + "&payModeCode=" + modeCode);
  }
  return AnswerOk(web + "/pay/index.html");
}

CHttpReply CPaymentGateway::Answer(const CHttpExchange& exchange) {
  CHttpReply reply;
  if (exchange.path != "/gateway.html") {
    reply.status = 404;
    reply.body = ToJsonText(AnswerFail(404, "页面不存在"));
    return reply;
  }
  if (exchange.method != "POST") {
    reply.status = 405;
    reply.body = ToJsonText(AnswerFail(405, "请使用POST请求"));
    return reply;
  }
  reply.body = ToJsonText(Pay(exchange.form));
  return reply;
}

}  // namespace zv::sim
