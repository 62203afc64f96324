#include "api/request_body.h"

#include <curl/curl.h>

#include "api/client_identity.h"
#include "api/service_api.h"
#include "api/text_util.h"

namespace zv {

std::string EscapeFormValue(const std::string& value) {
  if (value.empty()) return value;
  // libcurl ignores the handle argument of curl_easy_escape since 7.82.
  char* escaped = curl_easy_escape(nullptr, value.data(), static_cast<int>(value.size()));
  if (!escaped) return std::string();
  std::string out(escaped);
  curl_free(escaped);
  return out;
}

namespace {

std::string Field(const char* name, const std::string& value) {
  return std::string(name) + "=" + EscapeFormValue(value);
}

// "sessionId=..&userId=..": the authentication every signed-in request carries.
std::string CommonPrefix(const CAppContext& context) {
  return Field("sessionId", context.sessionId) + "&" + Field("userId", std::to_string(context.userId));
}

std::string LoginBody(const ApiRequest& request, const std::string& prefix) {
  const auto& p = request.params;
  std::string body = prefix;
  if (!p[0].empty()) {
    body = Field("userName", p[0]) + "&" + Field("sign", p[3]) + "&" + Field("os", GetOsName());
    std::string mac;
    if (GetMacAddress(mac)) {
      body += '&';
      body += Field("mac", mac);
    }
  }
  body += '&';
  body += Field("v", kClientVersion);
  return body;
}

std::string FaultBody(const ApiRequest& request, const std::string& prefix, const CAppContext& context) {
  const auto& p = request.params;
  if (p[0].empty() || p[1].empty() || p[2].empty()) return prefix;
  std::string body = Field("labelId", p[0]) + "&" + Field("contact", p[1]) + "&" +
                     Field("userId", std::to_string(context.userId)) + "&osType=pc&" +
                     Field("content", AnsiToUtf8(p[2]));
  if (!p[3].empty()) {
    body += '&';
    body += Field("padCode", p[3]);
  }
  return body;
}

}  // namespace

std::string CServiceApi::BuildUrl(int32_t kind) const {
  if (kind < 0 || kind >= kRequestKindCount) return std::string();
  std::string url = CAppContext::Instance().endpointUrls[kind];
  if (!url.empty()) url += "?client=pc";
  return url;
}

std::string CServiceApi::BuildBody(ApiRequest request) const {
  const CAppContext& context = CAppContext::Instance();
  auto& p = request.params;
  const std::string prefix = CommonPrefix(context);
  auto has = [&p](std::initializer_list<int> indexes) {
    for (int i : indexes)
      if (p[i].empty()) return false;
    return true;
  };
  switch (request.kind) {
    case REQ_LOGIN:
      return LoginBody(request, prefix);
    case REQ_GET_KEY:
      return Field("userName", p[0]);
    case REQ_BIND_PAD:
      return has({0, 1}) ? prefix + "&" + Field("mobileCode", p[0]) + "&" + Field("idcCode", p[1]) : prefix;
    case REQ_SEND_SMS:
      return has({0}) ? prefix + "&" + Field("mobile", p[0]) : prefix;
    case REQ_UPDATE_NOTICE:
      return has({0}) ? prefix + "&" + Field("userNoticeId", p[0]) : prefix;
    case REQ_SAVE_FAULT:
      return FaultBody(request, prefix, context);
    case REQ_GET_FAULTS:
    case REQ_GET_ORDERS:
      if (p[0].empty()) p[0] = "1";
      if (p[1].empty()) p[1] = "15";
      return prefix + "&" + Field("pageNo", p[0]) + "&" + Field("pageSize", p[1]);
    case REQ_REGISTER:
      return Field("userName", p[0]) + "&" + Field("pwd", p[1]) + "&" + Field("pwdRepeat", p[1]);
    case REQ_SEND_SMS_BOUND:
      return has({0}) ? Field("mobile", p[0]) : prefix;
    case REQ_BIND_PHONE:
      return has({0, 1, 2}) ? Field("mobileCode", p[0]) + "&" + Field("pwd", p[1]) + "&" + Field("userName", p[2])
                            : prefix;
    case REQ_GET_VIP_GOODS:
      return std::string();
    case REQ_RECHARGE:
      return has({0, 1}) ? prefix + "&" + Field("goodsId", p[0]) + "&" + Field("padCode", p[1]) : prefix;
    case REQ_BUY:
      return has({0}) ? prefix + "&" + Field("goodsId", p[0]) : prefix;
    case REQ_PAD_LOGIN_TASK:
      return has({0}) ? prefix + "&" + Field("padCode", p[0]) : prefix;
    case REQ_EXCHANGE_BEANS:
      return has({0, 1}) ? prefix + "&" + Field("padCode", p[0]) + "&" + Field("rbcAmount", p[1]) : prefix;
    case REQ_GET_PAY_MODES:
      return "os=pc";
    case REQ_PAY_GATEWAY:
      return has({0, 1}) ? Field("orderId", p[0]) + "&" + Field("payModeCode", p[1]) + "&os=pc" : prefix;
    case REQ_ATTENDANCE:
      return has({0}) ? prefix + "&" + Field("taskId", p[0]) : prefix;
    case REQ_CHECK_NEW_VERSION:
      return "os=win";
    default:
      return prefix;
  }
}

}  // namespace zv
