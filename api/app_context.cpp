#include "api/app_context.h"

#include <iostream>

#include "api/endpoint_config.h"
#include "api/settings.h"

namespace zv {

namespace {

// Paths below the account service's base address, by request kind.
constexpr const char* kPaths[kRequestKindCount] = {
    "/user/getUser.html",
    "/user/getKey.html",
    "/pad/getPad.html",
    "/idc/getIdc.html",
    "/notice/getUserNotice.html",
    "/user/bindPad.html",
    "/sms/send.html",
    "/user/checkPad.html",
    "/user/checkVipPad.html",
    "/notice/updateUserNotice.html",
    "/user/logout.html",
    "/label/getFaultLabels.html",
    "/fault/saveFault.html",
    "/fault/getFaultsByUserId.html",
    "/user/save.html",
    "/sms/sendByBindUserPhone.html",
    "/user/bindPhone.html",
    "/goods/getVipGoods.html",
    "/order/recharge.html",
    "/order/buy.html",
    "/order/getOrders.html",
    "/task/doPadLoginTask.html",
    "/user/getUserInfo.html",
    "/pad/exChangeRbc.html",
    "/order/getPayModes.html",
    nullptr,  // REQ_PAY_GATEWAY lives on the payment host
    "/task/getPcTasks.html",
    "/task/attendance.html",
    "/version/checkNewVersion.html",
};

}  // namespace

CAppContext& CAppContext::Instance() {
  static CAppContext instance;
  return instance;
}

void CAppContext::Initialize() {
  endpoints = LoadEndpointConfig(std::cerr);
  const std::string base = endpoints.AccountBaseUrl();
  for (int kind = 0; kind < kRequestKindCount; ++kind)
    endpointUrls[kind] = kind == REQ_PAY_GATEWAY ? endpoints.PaymentGatewayUrl() : base + kPaths[kind];
  CSettings::LoadSettings(*this);
  CSettings::WriteVersionKey();
}

void CAppContext::ClearDeviceLists() {
  controlList.clear();
  padList.clear();
  noticeList.clear();
  idcList.clear();
}

bool CAppContext::HasPayType(int32_t payType) const {
  for (const auto& group : payTypeList)
    if (group.payType == payType) return true;
  return false;
}

void CAppContext::AddPayMode(int32_t payType, const PayModeInfo& mode) {
  for (auto& group : payTypeList)
    if (group.payType == payType) group.modes.push_back(mode);
}

}  // namespace zv
