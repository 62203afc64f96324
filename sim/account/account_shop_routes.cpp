// Goods, orders, pay modes, the daily tasks and attendance.
#include "sim/account/account_routes.h"

namespace zv::sim {
namespace {

constexpr int kDefaultPageSize = 15;
constexpr int kMaxPageSize = 100;

Json::Value GoodsAnswer(const Json::Value& goods) {
  Json::Value out = goods;
  out.removeMember("days");
  return out;
}

Json::Value GetVipGoods(AccountCall& call) {
  Json::Value list(Json::arrayValue);
  for (const auto& goods : call.state.Goods()) list.append(GoodsAnswer(goods));
  return AnswerOk(list);
}

Json::Value CreateOrder(AccountCall& call, const std::string& type, const std::string& padCode) {
  int goodsId = 0;
  if (!ParseCount(call.Field("goodsId"), goodsId) || !call.state.FindGoods(goodsId)) {
    return AnswerFail(1, "商品不存在");
  }
  SimOrder& order = call.state.AddOrder(call.user->userId, type, goodsId, padCode);
  Json::Value info;
  info["orderId"] = order.orderId;
  return AnswerOk(info);
}

Json::Value Recharge(AccountCall& call) {
  std::string code = call.Field("padCode");
  if (!call.state.UserHoldsDevice(*call.user, code)) return AnswerFail(2, "设备不存在");
  return CreateOrder(call, "1", code);
}

Json::Value Buy(AccountCall& call) {
  return CreateOrder(call, "0", "");
}

bool ReadPage(AccountCall& call, int& pageNo, int& pageSize) {
  pageNo = 1;
  pageSize = kDefaultPageSize;
  if (!call.Field("pageNo").empty() && !ParseCount(call.Field("pageNo"), pageNo)) return false;
  if (!call.Field("pageSize").empty() && !ParseCount(call.Field("pageSize"), pageSize)) return false;
  return pageNo >= 1 && pageSize >= 1 && pageSize <= kMaxPageSize;
}

Json::Value OrderAnswer(AccountCall& call, const SimOrder& order) {
  Json::Value item;
  const Json::Value* goods = call.state.FindGoods(order.goodsId);
  const Json::Value* device = order.padCode.empty() ? nullptr : call.state.FindDevice(order.padCode);
  item["orderId"] = order.orderId;
  item["orderType"] = order.orderType;
  item["padName"] = device ? (*device)["padName"].asString() : "";
  item["goodsId"] = order.goodsId;
  item["goodsName"] = goods ? (*goods)["goodsName"].asString() : "";
  item["orderPrice"] = goods ? (*goods)["goodsPrice"].asInt() : 0;
  item["orderStatus"] = order.orderStatus;
  item["orderCreateTime"] = std::to_string(order.createdMs);
  return item;
}

Json::Value GetOrders(AccountCall& call) {
  int pageNo = 0, pageSize = 0;
  if (!ReadPage(call, pageNo, pageSize)) return AnswerFail(1, "分页参数不正确");
  std::vector<const SimOrder*> orders = call.state.OrdersOf(call.user->userId);
  Json::Value info;
  info["total"] = static_cast<int>(orders.size());
  info["data"] = Json::Value(Json::arrayValue);
  size_t first = static_cast<size_t>(pageNo - 1) * pageSize;
  for (size_t i = first; i < orders.size() && i < first + pageSize; ++i) {
    info["data"].append(OrderAnswer(call, *orders[i]));
  }
  return AnswerOk(info);
}

Json::Value GetPayModes(AccountCall& call) {
  Json::Value list(Json::arrayValue);
  for (const auto& mode : call.state.PayModes()) {
    Json::Value item = mode;
    item.removeMember("qr");
    // payType travels as text ("number in text" on the client's side).
    if (item["payType"].isIntegral()) item["payType"] = std::to_string(item["payType"].asInt());
    list.append(item);
  }
  return AnswerOk(list);
}

bool AttendedToday(const SimUser& user) {
  return user.attendanceDay == PlatformDay();
}

Json::Value GetPcTasks(AccountCall& call) {
  Json::Value list(Json::arrayValue);
  for (const auto& task : call.state.Tasks()) {
    Json::Value item = task;
    item["awardStatus"] = AttendedToday(*call.user) ? "succeed" : "unfinished";
    list.append(item);
  }
  return AnswerOk(list);
}

Json::Value Attendance(AccountCall& call) {
  int taskId = 0;
  const Json::Value* task = nullptr;
  if (ParseCount(call.Field("taskId"), taskId)) {
    for (const auto& item : call.state.Tasks()) {
      if (item["taskId"].isIntegral() && item["taskId"].asInt() == taskId) task = &item;
    }
  }
  if (!task) return AnswerFail(1, "任务不存在");
  if (AttendedToday(*call.user)) return AnswerFail(2, "你今天已签到");
  call.user->attendanceDay = PlatformDay();
  int award = (*task)["awardAmount"].isIntegral() ? (*task)["awardAmount"].asInt() : 0;
  call.user->rbcAmount += award;
  Json::Value info;
  info["awardAmount"] = award;
  info["rbcAmount"] = call.user->rbcAmount;
  return AnswerOk(info);
}

}  // namespace

void AddShopRoutes(AccountRoutes& routes) {
  routes["/goods/getVipGoods.html"] = {RouteAuth::kNone, GetVipGoods};
  routes["/order/recharge.html"] = {RouteAuth::kSession, Recharge};
  routes["/order/buy.html"] = {RouteAuth::kSession, Buy};
  routes["/order/getOrders.html"] = {RouteAuth::kSession, GetOrders};
  routes["/order/getPayModes.html"] = {RouteAuth::kNone, GetPayModes};
  routes["/task/getPcTasks.html"] = {RouteAuth::kSession, GetPcTasks};
  routes["/task/attendance.html"] = {RouteAuth::kSession, Attendance};
}

}  // namespace zv::sim
