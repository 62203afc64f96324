// The account's devices and control nodes, applying for a device, the first-control gift,
// exchanging beans for device time and the balance.
#include "sim/account/account_routes.h"

namespace zv::sim {
namespace {

constexpr int kPadLoginGift = 10;
constexpr int kFreeDeviceDays = 7;

// The PadInfo keys; scenario-only keys ("node", "screen") stay inside the sim.
const char* const kPadKeys[] = {
    "padCode",  "padStatus", "controlCode", "videoUrl",   "leftControlTime", "leftOnlineTime",  "bindMobile",
    "roomName", "padName",   "padGrade",    "adPlayTime", "recoveryStatus",  "leftRecoveryDays"};

Json::Value PadAnswer(const Json::Value& device, const PortMap& ports) {
  Json::Value pad(Json::objectValue);
  for (const char* key : kPadKeys) {
    if (device.isMember(key)) pad[key] = ExpandPortTree(device[key], ports);
  }
  return pad;
}

Json::Value NodeAnswer(const Json::Value& node, const PortMap& ports) {
  Json::Value out = ExpandPortTree(node, ports);
  // The client reads the port as a number; a "{control}" placeholder becomes one here.
  const Json::Value& port = out["controlPort"];
  if (port.isString()) {
    int value = 0;
    out["controlPort"] = ParseCount(port.asString(), value) ? value : 0;
  }
  return out;
}

bool HoldsFreeDevice(AccountCall& call) {
  for (const auto& code : call.user->devices) {
    const Json::Value* device = call.state.FindDevice(code);
    if (device && (*device)["padGrade"].asString() == "0") return true;
  }
  return false;
}

Json::Value GetPad(AccountCall& call) {
  Json::Value info(Json::objectValue);
  info["padList"] = Json::Value(Json::arrayValue);
  info["controlList"] = Json::Value(Json::arrayValue);
  std::set<std::string> codes;
  for (const auto& code : call.user->devices) {
    const Json::Value* device = call.state.FindDevice(code);
    if (!device) continue;
    info["padList"].append(PadAnswer(*device, call.ports));
    codes.insert((*device)["controlCode"].asString());
  }
  for (const auto& node : call.state.ControlNodes()) {
    if (codes.count(node["controlCode"].asString())) info["controlList"].append(NodeAnswer(node, call.ports));
  }
  return AnswerOk(info);
}

Json::Value GetIdc(AccountCall& call) {
  return AnswerOk(call.state.Idcs());
}

Json::Value CheckPad(AccountCall& call) {
  if (HoldsFreeDevice(call)) return AnswerFail(1, "您已拥有免费设备，不能重复申请");
  return AnswerOk("可申请设备");
}

Json::Value CheckVipPad(AccountCall&) {
  return AnswerOk("可申请设备");
}

Json::Value BindPad(AccountCall& call) {
  if (HoldsFreeDevice(call)) return AnswerFail(1, "您已拥有免费设备，不能重复申请");
  Json::Value info;
  info["padCode"] = call.state.AddDevice(*call.user, "0", kFreeDeviceDays);
  return AnswerOk(info);
}

Json::Value PadLoginTask(AccountCall& call) {
  std::string code = call.Field("padCode");
  if (!call.state.UserHoldsDevice(*call.user, code)) return AnswerFail(1, "设备不存在");
  if (!call.user->padLoginTasksDone.insert(code).second) return AnswerFail(2, "任务已完成");
  call.user->rbcAmount += kPadLoginGift;
  Json::Value info;
  info["awardAmount"] = kPadLoginGift;
  return AnswerOk(info);
}

Json::Value ExchangeBeans(AccountCall& call) {
  std::string code = call.Field("padCode");
  Json::Value* device = call.state.FindDevice(code);
  if (!device || !call.state.UserHoldsDevice(*call.user, code)) return AnswerFail(1, "设备不存在");
  int amount = 0;
  if (!ParseCount(call.Field("rbcAmount"), amount) || amount < 1) return AnswerFail(2, "兑换数量不正确");
  int rate = (*device)["padGrade"].asString() == "0" ? call.user->freeRate : call.user->vipRate;
  if (rate < 1 || amount % rate != 0) return AnswerFail(2, "兑换数量不正确");
  if (amount > call.user->rbcAmount) return AnswerFail(3, "余额不足");
  Json::Value& days = (*device)["leftOnlineTime"];
  days = days.asInt() + amount / rate;
  call.user->rbcAmount -= amount;
  (*device)["recoveryStatus"] = "1";
  (*device)["leftRecoveryDays"] = 0;
  Json::Value info;
  info["rbcAmount"] = call.user->rbcAmount;
  info["leftOnlineTime"] = days;
  return AnswerOk(info);
}

Json::Value GetUserInfo(AccountCall& call) {
  Json::Value info;
  info["userId"] = call.user->userId;
  info["userName"] = call.user->userName;
  info["rbcAmount"] = call.user->rbcAmount;
  info["freeRate"] = call.user->freeRate;
  info["vipRate"] = call.user->vipRate;
  info["mobile"] = call.user->mobile;
  return AnswerOk(info);
}

}  // namespace

void AddDeviceRoutes(AccountRoutes& routes) {
  routes["/pad/getPad.html"] = {RouteAuth::kSession, GetPad};
  routes["/idc/getIdc.html"] = {RouteAuth::kSession, GetIdc};
  routes["/user/checkPad.html"] = {RouteAuth::kSession, CheckPad};
  routes["/user/checkVipPad.html"] = {RouteAuth::kSession, CheckVipPad};
  routes["/user/bindPad.html"] = {RouteAuth::kSession, BindPad};
  routes["/task/doPadLoginTask.html"] = {RouteAuth::kSession, PadLoginTask};
  routes["/pad/exChangeRbc.html"] = {RouteAuth::kSession, ExchangeBeans};
  routes["/user/getUserInfo.html"] = {RouteAuth::kSession, GetUserInfo};
}

}  // namespace zv::sim
