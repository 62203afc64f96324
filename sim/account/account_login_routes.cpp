// Key exchange, signed login, logout, registration, phone binding and the version check.
#include "sim/account/account_routes.h"

namespace zv::sim {
namespace {

constexpr const char* kBindCode = "123456";

Json::Value GetKey(AccountCall& call) {
  SimUser* user = call.state.FindUser(call.Field("userName"));
  if (!user) return AnswerFail(1, "用户不存在");
  Json::Value info;
  info["signKey"] = call.state.NewSignKey(*user);
  info["userId"] = user->userId;
  return AnswerOk(info);
}

Json::Value Login(AccountCall& call) {
  SimUser* user = call.state.FindUser(call.Field("userName"));
  if (!user) return AnswerFail(1, "用户不存在");
  // The key is good for one attempt, whatever its outcome.
  std::string key = user->signKey;
  user->signKey.clear();
  if (key.empty()) return AnswerFail(2, "请先获取登录密钥");
  if (call.Field("sign") != Md5Hex(user->digest + key)) return AnswerFail(2, "用户名或密码错误");
  if (user->loginCode == 4) return AnswerFail(4, "该账号尚未绑定手机，请先绑定手机");
  if (user->loginCode == 3) return AnswerFail(3, "客户端版本过低，请更新到最新版本");
  Json::Value info;
  info["session"] = call.state.NewSession(user->userId);
  info["userId"] = user->userId;
  info["userName"] = user->userName;
  return AnswerOk(info);
}

Json::Value Logout(AccountCall& call) {
  call.state.EndSession(call.Field("sessionId"));
  return AnswerOk("退出成功");
}

Json::Value Register(AccountCall& call) {
  std::string name = call.Field("userName");
  std::string password = call.Field("pwd");
  if (name.empty() || password.empty()) return AnswerFail(1, "用户名和密码不能为空");
  if (password != call.Field("pwdRepeat")) return AnswerFail(1, "两次输入的密码不一致");
  if (call.state.FindUser(name)) return AnswerFail(1, "用户名已存在");
  call.state.AddUser(name, password);
  return AnswerOk("注册成功");
}

Json::Value SendSms(AccountCall& call) {
  std::string mobile = call.Field("mobile");
  if (mobile.empty() || mobile.find_first_not_of("0123456789") != std::string::npos) {
    return AnswerFail(1, "手机号码格式不正确");
  }
  call.state.SetPendingMobile(mobile);
  return AnswerOk("验证码已发送");
}

Json::Value BindPhone(AccountCall& call) {
  SimUser* user = call.state.FindUser(call.Field("userName"));
  if (!user) return AnswerFail(1, "用户不存在");
  if (call.Field("pwd") != user->password) return AnswerFail(2, "登录密码错误");
  if (call.Field("mobileCode") != kBindCode) return AnswerFail(3, "验证码错误");
  if (user->loginCode == 4) user->loginCode = 0;
  if (!call.state.PendingMobile().empty()) user->mobile = call.state.PendingMobile();
  return AnswerOk("绑定成功");
}

Json::Value CheckNewVersion(AccountCall& call) {
  Json::Value info;
  info["versionCode"] = call.state.NewestVersion();
  return AnswerOk(info);
}

}  // namespace

void AddLoginRoutes(AccountRoutes& routes) {
  routes["/user/getKey.html"] = {RouteAuth::kNone, GetKey};
  routes["/user/getUser.html"] = {RouteAuth::kNone, Login};
  routes["/user/logout.html"] = {RouteAuth::kSession, Logout};
  routes["/user/save.html"] = {RouteAuth::kNone, Register};
  routes["/sms/send.html"] = {RouteAuth::kSession, SendSms};
  routes["/sms/sendByBindUserPhone.html"] = {RouteAuth::kNone, SendSms};
  routes["/user/bindPhone.html"] = {RouteAuth::kNone, BindPhone};
  routes["/version/checkNewVersion.html"] = {RouteAuth::kNone, CheckNewVersion};
}

}  // namespace zv::sim
