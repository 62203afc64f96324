// Notices with their read state, fault labels, fault reports.
#include "sim/account/account_routes.h"

namespace zv::sim {
namespace {

constexpr size_t kMaxFaultText = 2000;

std::string UserNoticeId(int userId, int noticeId) {
  return std::to_string(userId) + "-" + std::to_string(noticeId);
}

Json::Value GetUserNotice(AccountCall& call) {
  Json::Value list(Json::arrayValue);
  for (const auto& notice : call.state.Notices()) {
    int noticeId = notice["noticeId"].isIntegral() ? notice["noticeId"].asInt() : 0;
    Json::Value item;
    item["noticeId"] = noticeId;
    item["userNoticeId"] = UserNoticeId(call.user->userId, noticeId);
    item["noticeTitle"] = notice["noticeTitle"].asString();
    item["noticeContent"] = ExpandPortText(notice["noticeContent"].asString(), call.ports);
    item["popStatus"] = notice["popStatus"].isString() ? notice["popStatus"].asString() : "1";
    item["userNoticeStatus"] = call.user->readNotices.count(noticeId) ? "1" : "0";
    list.append(item);
  }
  return AnswerOk(list);
}

Json::Value UpdateUserNotice(AccountCall& call) {
  std::string id = call.Field("userNoticeId");
  for (const auto& notice : call.state.Notices()) {
    int noticeId = notice["noticeId"].isIntegral() ? notice["noticeId"].asInt() : 0;
    if (UserNoticeId(call.user->userId, noticeId) == id) {
      call.user->readNotices.insert(noticeId);
      return AnswerOk("已读");
    }
  }
  return AnswerFail(1, "公告不存在");
}

Json::Value GetFaultLabels(AccountCall& call) {
  return AnswerOk(call.state.FaultLabels());
}

Json::Value SaveFault(AccountCall& call) {
  int labelId = 0;
  const Json::Value* label =
      ParseCount(call.Field("labelId"), labelId) ? call.state.FindFaultLabel(labelId) : nullptr;
  if (!label) return AnswerFail(1, "故障类型不存在");
  std::string content = call.Field("content");
  std::string contact = call.Field("contact");
  if (content.empty()) return AnswerFail(2, "请填写故障描述");
  if (content.size() > kMaxFaultText || contact.size() > kMaxFaultText) return AnswerFail(2, "内容过长");
  std::string padName;
  std::string code = call.Field("padCode");
  if (!code.empty()) {
    const Json::Value* device = call.state.FindDevice(code);
    if (!device || !call.state.UserHoldsDevice(*call.user, code)) return AnswerFail(3, "设备不存在");
    padName = (*device)["padName"].asString();
  }
  Json::Value fault;
  fault["labelName"] = (*label)["labelName"].asString();
  fault["padName"] = padName;
  fault["feedbackContent"] = content;
  fault["contact"] = contact;
  fault["feedbackStatus"] = "0";
  fault["feedbackStatusTxt"] = "待处理";
  fault["handleContent"] = "";
  call.state.AddFault(call.user->userId, fault);
  return AnswerOk("提交成功");
}

Json::Value GetFaults(AccountCall& call) {
  int pageNo = 1, pageSize = 15;
  if (!call.Field("pageNo").empty() && !ParseCount(call.Field("pageNo"), pageNo)) pageNo = 0;
  if (!call.Field("pageSize").empty() && !ParseCount(call.Field("pageSize"), pageSize)) pageSize = 0;
  if (pageNo < 1 || pageSize < 1 || pageSize > 100) return AnswerFail(1, "分页参数不正确");
  const Json::Value& faults = call.state.FaultsOf(call.user->userId);
  Json::Value info;
  info["total"] = faults.size();
  info["data"] = Json::Value(Json::arrayValue);
  // Newest first, as a user reading the list expects.
  int count = static_cast<int>(faults.size());
  int first = (pageNo - 1) * pageSize;
  for (int i = first; i < count && i < first + pageSize; ++i) info["data"].append(faults[count - 1 - i]);
  return AnswerOk(info);
}

}  // namespace

void AddFeedbackRoutes(AccountRoutes& routes) {
  routes["/notice/getUserNotice.html"] = {RouteAuth::kSession, GetUserNotice};
  routes["/notice/updateUserNotice.html"] = {RouteAuth::kSession, UpdateUserNotice};
  routes["/label/getFaultLabels.html"] = {RouteAuth::kSession, GetFaultLabels};
  routes["/fault/saveFault.html"] = {RouteAuth::kUserId, SaveFault};
  routes["/fault/getFaultsByUserId.html"] = {RouteAuth::kSession, GetFaults};
}

}  // namespace zv::sim
