#include "sim/web/web_site.h"

namespace zv::sim {
namespace {

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html><html><head><meta charset=\"UTF-8\"><title>" + title +
         "</title><style>body{font-family:sans-serif;margin:24px;color:#333}"
         "h1{font-size:20px;color:#1e88e5}</style></head><body><h1>" +
         title + "</h1>" + body + "</body></html>";
}

std::string Field(const FormFields& fields, const char* name) {
  auto it = fields.find(name);
  return it == fields.end() ? "" : it->second;
}

}  // namespace

std::string HtmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string CWebSite::PayPage(const CHttpExchange& exchange) {
  std::string orderId = Field(exchange.queryFields, "orderId");
  SimOrder* order = orderId.empty() ? nullptr : m_state.FindOrder(orderId);
  if (!order) return Page("支付失败", "<p>订单不存在。</p>");
  bool paidNow = m_state.PayOrder(*order);
  return Page(paidNow ? "支付成功" : "订单已支付",
              "<p>订单编号：" + HtmlEscape(orderId) + "</p><p>感谢您的购买，请返回客户端查看。</p>");
}

CHttpReply CWebSite::Answer(const CHttpExchange& exchange) {
  CHttpReply reply;
  reply.contentType = "text/html;charset=UTF-8";
  const std::string& path = exchange.path;
  if (path == "/ad/index.html") {
    reply.body = Page("精彩推荐", "<p>云手机，随时随地畅玩手游。</p><p>广告结束后即可开始操控设备。</p>");
  } else if (path == "/user/index.html") {
    reply.body =
        Page("用户注册",
             "<form method=\"post\" action=\"/user/index.html\"><p>用户名：<input name=\"userName\"></p>"
             "<p>密码：<input type=\"password\" name=\"pwd\"></p><p><button>注册</button></p></form>");
  } else if (path == "/user/toForgetPassword.html") {
    reply.body =
        Page("找回密码", "<p>请输入绑定的手机号码，我们将发送验证码。</p><p><input name=\"mobile\"></p>");
  } else if (path == "/chat/index.html") {
    reply.body = Page("在线客服", "<p>您好，有什么可以帮您？客服工作时间：9:00-21:00。</p>");
  } else if (path == "/pay/index.html" || path == "/pay/qr.html") {
    reply.body = PayPage(exchange);
  } else {
    reply.status = 404;
    reply.body = Page("页面不存在", "<p>您访问的页面不存在。</p>");
  }
  return reply;
}

}  // namespace zv::sim
