// The envelope and the per-kind data of the account service's answers. Every list is built
// in a local vector and handed to the model only when the whole answer read cleanly.
#include <json/reader.h>

#include <exception>
#include <utility>
#include <vector>

#include "api/json_fields.h"
#include "api/notice_lock.h"
#include "api/service_api.h"
#include "api/text_util.h"

namespace zv {

namespace {

ControlNodeInfo ReadControlNode(CJsonFields& f, const Json::Value& e) {
  ControlNodeInfo node;
  node.controlCode = f.Text(e, "controlCode");
  node.controlIp = f.Text(e, "controlIp");
  node.controlPort = static_cast<uint16_t>(f.Int(e, "controlPort"));
  return node;
}

PadInfo ReadPad(CJsonFields& f, const Json::Value& e) {
  PadInfo pad;
  pad.padCode = f.Text(e, "padCode");
  pad.padStatus = f.IntInText(e, "padStatus");
  pad.controlCode = f.Text(e, "controlCode");
  pad.videoUrl = f.Text(e, "videoUrl");
  pad.leftControlTime = f.Int(e, "leftControlTime");
  pad.leftOnlineTime = f.Int(e, "leftOnlineTime");
  pad.bindMobile = f.Text(e, "bindMobile");
  pad.roomName = f.AnsiText(e, "roomName");
  pad.padName = f.AnsiText(e, "padName");
  pad.padGrade = f.Text(e, "padGrade");
  pad.adPlayTime = f.Int(e, "adPlayTime");
  pad.recoveryStatus = f.Text(e, "recoveryStatus");
  pad.leftRecoveryDays = f.Int(e, "leftRecoveryDays");
  return pad;
}

NoticeInfo ReadNotice(CJsonFields& f, const Json::Value& e) {
  NoticeInfo notice;
  notice.noticeId = f.Int(e, "noticeId");
  notice.userNoticeId = f.Text(e, "userNoticeId");
  notice.noticeTitle = f.AnsiText(e, "noticeTitle");
  notice.noticeContent = f.AnsiText(e, "noticeContent");
  notice.popMode = f.Text(e, "popStatus") == "0" ? 2 : 1;
  notice.readState = f.Text(e, "userNoticeStatus") == "0" ? 4 : 3;
  return notice;
}

IdcInfo ReadIdc(CJsonFields& f, const Json::Value& e) {
  return IdcInfo{f.Text(e, "idcCode"), f.AnsiText(e, "idcName")};
}

FaultLabelInfo ReadFaultLabel(CJsonFields& f, const Json::Value& e) {
  FaultLabelInfo label;
  label.labelId = f.Int(e, "labelId");
  label.labelPid = f.Text(e, "labelPid");
  label.labelName = f.AnsiText(e, "labelName");
  return label;
}

FaultInfo ReadFault(CJsonFields& f, const Json::Value& e) {
  FaultInfo fault;
  fault.faultId = f.Int(e, "faultId");
  fault.labelName = f.AnsiText(e, "labelName");
  fault.padName = f.AnsiText(e, "padName");
  fault.feedbackContent = f.AnsiText(e, "feedbackContent");
  fault.feedbackStatus = f.AnsiText(e, "feedbackStatus");
  fault.feedbackStatusTxt = f.AnsiText(e, "feedbackStatusTxt");
  fault.handleContent = f.AnsiText(e, "handleContent");
  return fault;
}

GoodsInfo ReadGoods(CJsonFields& f, const Json::Value& e) {
  GoodsInfo goods;
  goods.goodsId = f.Int(e, "goodsId");
  goods.goodsName = f.AnsiText(e, "goodsName");
  goods.goodsPriceShow = f.AnsiText(e, "goodsPriceShow");
  goods.goodsPrice = f.Int(e, "goodsPrice");
  goods.goodsDesc = f.AnsiText(e, "goodsDesc");
  goods.rbcAmount = f.Int(e, "rbcAmount");
  goods.goodsType = f.Text(e, "goodsType");
  return goods;
}

OrderInfo ReadOrder(CJsonFields& f, const Json::Value& e) {
  OrderInfo order;
  order.orderId = f.Text(e, "orderId");
  order.orderType = f.Text(e, "orderType");
  order.padName = f.Text(e, "padName");
  order.goodsId = f.Int(e, "goodsId");
  order.goodsName = f.AnsiText(e, "goodsName");
  order.orderPrice = f.Int(e, "orderPrice");
  order.orderStatus = f.Text(e, "orderStatus");
  order.orderCreateTime = f.Text(e, "orderCreateTime");
  return order;
}

PayModeInfo ReadPayMode(CJsonFields& f, const Json::Value& e) {
  PayModeInfo mode;
  mode.payModeCode = f.Text(e, "payModeCode");
  mode.payModeName = f.AnsiText(e, "payModeName");
  mode.payModeDesc = f.AnsiText(e, "payModeDesc");
  mode.payModePhoto = f.AnsiText(e, "payModePhoto");
  return mode;
}

TaskInfo ReadTask(CJsonFields& f, const Json::Value& e) {
  TaskInfo task;
  task.taskId = f.Int(e, "taskId");
  task.taskName = f.AnsiText(e, "taskName");
  task.taskCategory = f.Text(e, "taskCategory");
  task.awardAmount = f.Int(e, "awardAmount");
  task.awardStatus = f.Text(e, "awardStatus");
  task.remark = f.AnsiText(e, "remark");
  return task;
}

// Reads every element of an array into records; false on the first element of a type the
// record's conversions cannot take.
template <typename Record, typename ReadFn>
bool ReadArray(const Json::Value& array, ReadFn read, std::vector<Record>& out) {
  CJsonFields fields;
  for (const Json::Value& element : array) {
    if (!fields.CheckElement(element)) return false;
    out.push_back(read(fields, element));
    if (!fields.Ok()) return false;
  }
  return true;
}

// The common shape: the value must be an array, else the list is emptied and -1 returned;
// an element of the wrong type gives -1 with the list as it was.
template <typename Record, typename ReadFn>
int32_t ReplaceList(const Json::Value& array, ReadFn read, std::vector<Record>& list) {
  if (!array.isArray()) {
    list.clear();
    return kApiLocalFailure;
  }
  std::vector<Record> fresh;
  if (!ReadArray(array, read, fresh)) return kApiLocalFailure;
  list = std::move(fresh);
  return 0;
}

}  // namespace

bool CServiceApi::ParseJson(const ApiRequest& request, Json::Value& root) const {
  if (request.responseText.empty()) return false;
  try {
    Json::Reader reader;
    return reader.parse(request.responseText, root, true);
  } catch (const std::exception&) {
    // The reader throws past its nesting limit: such a text is not an answer.
    return false;
  }
}

int32_t CServiceApi::ParseEnvelope(ApiRequest& request) const {
  Json::Value root;
  if (!ParseJson(request, root) || !root.isObject()) return kApiLocalFailure;
  CJsonFields fields;
  const int32_t code = fields.Int(root, "resultCode");
  const std::string info = code != 0 ? fields.Text(root, "resultInfo") : std::string();
  if (!fields.Ok()) return kApiLocalFailure;
  request.resultCode = code;
  if (code != 0) request.resultInfo = Utf8ToAnsi(info);
  return code;
}

int32_t CServiceApi::ParseAnswer(ApiRequest& request) const {
  try {
    Json::Value root;
    if (!ParseJson(request, root) || !root.isObject()) return kApiLocalFailure;
    const Json::Value& info = Member(root, "resultInfo");
    if (request.kind == REQ_PAY_GATEWAY) {
      CJsonFields fields;
      std::string text = fields.Text(root, "resultInfo");
      if (!fields.Ok()) return kApiLocalFailure;
      request.results[0] = std::move(text);
      return 0;
    }
    if (info.isNull()) return kApiLocalFailure;
    switch (request.kind) {
      case REQ_LOGIN: return ParseLoginAnswer(request, info);
      case REQ_GET_KEY: return ParseKeyAnswer(request, info);
      case REQ_CHECK_NEW_VERSION: return ParseVersionAnswer(request, info);
      case REQ_GET_PADS: return ParsePadList(info);
      case REQ_GET_IDCS: return ParseIdcList(info);
      case REQ_GET_NOTICES: return ParseNoticeList(info);
      case REQ_GET_FAULT_LABELS: return ParseFaultLabelList(info);
      case REQ_GET_FAULTS: return ParseFaultList(info);
      case REQ_GET_VIP_GOODS: return ParseGoodsList(info);
      case REQ_RECHARGE:
      case REQ_BUY: return ParseOrderId(request, info);
      case REQ_GET_ORDERS: return ParseOrderList(info);
      case REQ_GET_USER_INFO: return ParseUserInfo(info);
      case REQ_GET_PAY_MODES: return ParsePayModeList(info);
      case REQ_GET_PC_TASKS: return ParseTaskList(info);
      default: return 0;
    }
  } catch (const std::exception&) {
    return kApiLocalFailure;
  }
}

int32_t CServiceApi::ParseLoginAnswer(ApiRequest& request, const Json::Value& info) const {
  CJsonFields fields;
  std::string session = fields.Text(info, "session");
  if (!fields.Ok()) return kApiLocalFailure;
  if (session.empty()) return 1;
  CAppContext& context = CAppContext::Instance();
  context.sessionId = std::move(session);
  context.userName = request.params[0];
  context.passwordDigest = request.params[2];
  return 0;
}

int32_t CServiceApi::ParseKeyAnswer(ApiRequest& request, const Json::Value& info) const {
  CJsonFields fields;
  std::string signKey = fields.Text(info, "signKey");
  std::string userId = fields.Text(info, "userId");
  if (!fields.Ok()) return kApiLocalFailure;
  request.results[0] = std::move(signKey);
  request.results[1] = std::move(userId);
  return 0;
}

int32_t CServiceApi::ParseVersionAnswer(ApiRequest& request, const Json::Value& info) const {
  CJsonFields fields;
  std::string version = fields.Text(info, "versionCode");
  if (!fields.Ok()) return kApiLocalFailure;
  request.results[0] = std::move(version);
  return 0;
}

int32_t CServiceApi::ParsePadList(const Json::Value& info) const {
  CAppContext& context = CAppContext::Instance();
  if (!info.isObject()) return kApiLocalFailure;
  const Json::Value& controls = Member(info, "controlList");
  const Json::Value& pads = Member(info, "padList");
  std::vector<ControlNodeInfo> controlList;
  std::vector<PadInfo> padList;
  if (controls.isArray() && !ReadArray(controls, ReadControlNode, controlList)) return kApiLocalFailure;
  if (pads.isArray() && !ReadArray(pads, ReadPad, padList)) return kApiLocalFailure;
  // A missing array empties both lists, or only the pads when the nodes arrived.
  context.controlList = controls.isArray() ? std::move(controlList) : std::vector<ControlNodeInfo>();
  context.padList = controls.isArray() && pads.isArray() ? std::move(padList) : std::vector<PadInfo>();
  return controls.isArray() && pads.isArray() ? 0 : kApiLocalFailure;
}

int32_t CServiceApi::ParseIdcList(const Json::Value& info) const {
  return ReplaceList(info, ReadIdc, CAppContext::Instance().idcList);
}

int32_t CServiceApi::ParseNoticeList(const Json::Value& info) const {
  std::vector<NoticeInfo> notices;
  if (info.isArray() && !ReadArray(info, ReadNotice, notices)) return kApiLocalFailure;
  std::lock_guard<std::mutex> lock(NoticeListMutex());
  CAppContext::Instance().noticeList = std::move(notices);
  return info.isArray() ? 0 : kApiLocalFailure;
}

int32_t CServiceApi::ParseFaultLabelList(const Json::Value& info) const {
  return ReplaceList(info, ReadFaultLabel, CAppContext::Instance().faultLabelList);
}

int32_t CServiceApi::ParseFaultList(const Json::Value& info) const {
  if (!info.isObject()) return kApiLocalFailure;
  return ReplaceList(Member(info, "data"), ReadFault, CAppContext::Instance().faultList);
}

int32_t CServiceApi::ParseGoodsList(const Json::Value& info) const {
  return ReplaceList(info, ReadGoods, CAppContext::Instance().goodsList);
}

int32_t CServiceApi::ParseOrderId(ApiRequest& request, const Json::Value& info) const {
  CJsonFields fields;
  std::string orderId = fields.Text(info, "orderId");
  if (!fields.Ok()) return kApiLocalFailure;
  request.results[0] = std::move(orderId);
  return 0;
}

int32_t CServiceApi::ParseOrderList(const Json::Value& info) const {
  if (!info.isObject()) return kApiLocalFailure;
  CJsonFields fields;
  const int32_t total = fields.Int(info, "total");
  if (!fields.Ok()) return kApiLocalFailure;
  auto read = [total](CJsonFields& f, const Json::Value& e) {
    OrderInfo order = ReadOrder(f, e);
    order.total = total;
    return order;
  };
  return ReplaceList(Member(info, "data"), read, CAppContext::Instance().orderList);
}

int32_t CServiceApi::ParseUserInfo(const Json::Value& info) const {
  CJsonFields fields;
  const int32_t rbcAmount = fields.Int(info, "rbcAmount");
  const int32_t freeRate = fields.Int(info, "freeRate");
  const int32_t vipRate = fields.Int(info, "vipRate");
  if (!fields.Ok()) return kApiLocalFailure;
  CAppContext& context = CAppContext::Instance();
  context.rbcAmount = rbcAmount;
  context.freeRate = freeRate;
  context.vipRate = vipRate;
  return 0;
}

int32_t CServiceApi::ParsePayModeList(const Json::Value& info) const {
  CAppContext& context = CAppContext::Instance();
  if (!info.isArray()) {
    context.payTypeList.clear();
    return kApiLocalFailure;
  }
  struct Entry {
    int32_t payType;
    std::string payTypeName;
    PayModeInfo mode;
  };
  std::vector<Entry> entries;
  auto read = [](CJsonFields& f, const Json::Value& e) {
    return Entry{f.IntInText(e, "payType"), f.AnsiText(e, "payTypeName"), ReadPayMode(f, e)};
  };
  if (!ReadArray(info, read, entries)) return kApiLocalFailure;
  context.payTypeList.clear();
  for (const Entry& entry : entries) {
    if (context.HasPayType(entry.payType))
      context.AddPayMode(entry.payType, entry.mode);
    else
      context.payTypeList.push_back(PayTypeInfo{entry.payType, entry.payTypeName, {entry.mode}});
  }
  return 0;
}

int32_t CServiceApi::ParseTaskList(const Json::Value& info) const {
  return ReplaceList(info, ReadTask, CAppContext::Instance().taskList);
}

}  // namespace zv
