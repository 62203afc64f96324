#include "sim/account/account_service.h"

#include "sim/core/json_text.h"

namespace zv::sim {
namespace {

constexpr const char* kExpiredText = "登录已过期，请重新登录";

}  // namespace

Json::Value AnswerOk(const Json::Value& resultInfo) {
  Json::Value answer(Json::objectValue);
  answer["resultCode"] = 0;
  answer["resultInfo"] = resultInfo;
  return answer;
}

Json::Value AnswerFail(int code, const std::string& text) {
  Json::Value answer(Json::objectValue);
  answer["resultCode"] = code;
  answer["resultInfo"] = text;
  return answer;
}

bool ParseCount(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  value = std::stoi(text);
  return true;
}

CAccountService::CAccountService(CAccountState& state, const PortMap& ports)
    : m_state(state), m_ports(ports) {
  AddLoginRoutes(m_routes);
  AddDeviceRoutes(m_routes);
  AddShopRoutes(m_routes);
  AddFeedbackRoutes(m_routes);
}

Json::Value CAccountService::Call(const std::string& route, const FormFields& form) {
  auto it = m_routes.find(route);
  if (it == m_routes.end()) return AnswerFail(404, "接口不存在");
  AccountCall call{form, m_state, m_ports};
  const std::string userIdText = call.Field("userId");
  int userId = 0;
  bool userIdValid = ParseCount(userIdText, userId);
  if (it->second.auth == RouteAuth::kSession) {
    call.user = m_state.SessionUser(call.Field("sessionId"));
    // A token is only good for the user it was issued to.
    if (!call.user || !userIdValid || call.user->userId != userId)
      return AnswerFail(kSessionExpired, kExpiredText);
  } else if (it->second.auth == RouteAuth::kUserId) {
    call.user = userIdValid ? m_state.FindUserById(userId) : nullptr;
    if (!call.user) return AnswerFail(1, "用户不存在");
  }
  // A scenario value of an unexpected JSON type must not take the service down.
  try {
    return it->second.handler(call);
  } catch (const std::exception& e) {
    return AnswerFail(-1, std::string("服务器内部错误: ") + e.what());
  }
}

CHttpReply CAccountService::Answer(const CHttpExchange& exchange) {
  CHttpReply reply;
  const std::string prefix = kAccountPrefix;
  if (exchange.path.compare(0, prefix.size(), prefix) != 0 || exchange.path.size() <= prefix.size()) {
    reply.status = 404;
    reply.body = ToJsonText(AnswerFail(404, "接口不存在"));
    return reply;
  }
  if (exchange.method != "POST") {
    reply.status = 405;
    reply.body = ToJsonText(AnswerFail(405, "请使用POST请求"));
    return reply;
  }
  Json::Value answer = Call(exchange.path.substr(prefix.size()), exchange.form);
  if (answer["resultCode"].asInt() == 404) reply.status = 404;
  // The cookie carries nothing the service needs; it lets tests see the client's cookie engine.
  if (!exchange.cookies.count(kSessionCookie)) {
    reply.headers.emplace_back(
        "Set-Cookie", std::string(kSessionCookie) + "=" + RandomHex(12) + "; Path=/zelvaneauth; HttpOnly");
  }
  reply.body = ToJsonText(answer);
  return reply;
}

}  // namespace zv::sim
