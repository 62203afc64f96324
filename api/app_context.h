// The process-wide model of the signed-in account and the records the service's answers
// are turned into. Field names are the service's JSON keys.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace zv {

constexpr const char* kClientVersion = "1.2.3";

// One value per request kind; the value indexes CAppContext::endpointUrls.
enum RequestKind : int32_t {
  REQ_LOGIN = 0,
  REQ_GET_KEY = 1,
  REQ_GET_PADS = 2,
  REQ_GET_IDCS = 3,
  REQ_GET_NOTICES = 4,
  REQ_BIND_PAD = 5,
  REQ_SEND_SMS = 6,
  REQ_CHECK_PAD = 7,
  REQ_CHECK_VIP_PAD = 8,
  REQ_UPDATE_NOTICE = 9,
  REQ_LOGOUT = 10,
  REQ_GET_FAULT_LABELS = 11,
  REQ_SAVE_FAULT = 12,
  REQ_GET_FAULTS = 13,
  REQ_REGISTER = 14,
  REQ_SEND_SMS_BOUND = 15,
  REQ_BIND_PHONE = 16,
  REQ_GET_VIP_GOODS = 17,
  REQ_RECHARGE = 18,
  REQ_BUY = 19,
  REQ_GET_ORDERS = 20,
  REQ_PAD_LOGIN_TASK = 21,
  REQ_GET_USER_INFO = 22,
  REQ_EXCHANGE_BEANS = 23,
  REQ_GET_PAY_MODES = 24,
  REQ_PAY_GATEWAY = 25,
  REQ_GET_PC_TASKS = 26,
  REQ_ATTENDANCE = 27,
  REQ_CHECK_NEW_VERSION = 28,
};
constexpr int kRequestKindCount = 29;

struct ControlNodeInfo {
  std::string controlCode;
  std::string controlIp;  // dotted IPv4 address or host name
  uint16_t controlPort = 0;
};

struct PadInfo {
  std::string padCode;
  int32_t padStatus = 0;  // 0 offline, 1 and 2 online
  std::string controlCode;
  std::string videoUrl;
  int32_t leftControlTime = 0;  // seconds
  int32_t leftOnlineTime = 0;   // days
  std::string bindMobile;
  std::string roomName;  // ANSI
  std::string padName;   // ANSI
  std::string padGrade;  // "0" normal, anything else VIP
  int32_t adPlayTime = 0;  // seconds
  std::string recoveryStatus;  // "0": expired, still redeemable
  int32_t leftRecoveryDays = 0;
};

struct NoticeInfo {
  int32_t noticeId = 0;
  std::string userNoticeId;
  std::string noticeTitle;    // ANSI
  std::string noticeContent;  // ANSI
  int32_t popMode = 0;        // 1 pop up on arrival, 2 list only
  int32_t readState = 0;      // 4 unread, 3 read
};

struct IdcInfo {
  std::string idcCode;
  std::string idcName;  // ANSI
};

struct FaultLabelInfo {
  int32_t labelId = 0;
  std::string labelPid;
  std::string labelName;  // ANSI
};

struct FaultInfo {
  int32_t faultId = 0;
  std::string labelName;  // all ANSI
  std::string padName;
  std::string feedbackContent;
  std::string feedbackStatus;
  std::string feedbackStatusTxt;
  std::string handleContent;
};

struct GoodsInfo {
  int32_t goodsId = 0;
  std::string goodsName;       // ANSI
  std::string goodsPriceShow;  // ANSI
  int32_t goodsPrice = 0;
  std::string goodsDesc;  // ANSI
  int32_t rbcAmount = 0;
  std::string goodsType;
};

struct OrderInfo {
  int32_t total = 0;  // the answer's "total", the same in every record of one answer
  std::string orderId;
  std::string orderType;
  std::string padName;  // stored unconverted
  int32_t goodsId = 0;
  std::string goodsName;  // ANSI
  int32_t orderPrice = 0;
  std::string orderStatus;
  std::string orderCreateTime;  // milliseconds since 1970, decimal
};

struct PayModeInfo {
  std::string payModeCode;
  std::string payModeName;   // ANSI
  std::string payModeDesc;   // ANSI
  std::string payModePhoto;  // ANSI
};

struct PayTypeInfo {
  int32_t payType = 0;
  std::string payTypeName;  // ANSI
  std::vector<PayModeInfo> modes;
};

struct TaskInfo {
  int32_t taskId = 0;
  std::string taskName;  // ANSI
  std::string taskCategory;
  int32_t awardAmount = 0;
  std::string awardStatus;
  std::string remark;  // ANSI
};

// The service endpoints of this deployment (zelvane.conf beside the executable,
// ZELVANE_* environment variables, defaults on the simulated platform).
struct EndpointConfig {
  std::string accountHost = "127.0.0.1";
  int accountPort = 8443;
  std::string paymentHost = "127.0.0.1";
  int paymentPort = 8680;
  std::string webBase = "http://127.0.0.1:8088";
  std::string chatUrl = "http://127.0.0.1:8088/chat/index.html";

  std::string AccountBaseUrl() const;  // https://host:port/zelvaneauth
  std::string PaymentGatewayUrl() const;  // http://host:port/gateway.html
};

class CAppContext {
 public:
  static CAppContext& Instance();

  // Fills the endpoint URLs, loads the remembered settings and records the version.
  void Initialize();
  void ClearDeviceLists();
  void SetCurrentPadCode(const std::string& padCode) { currentPadCode = padCode; }
  bool HasPayType(int32_t payType) const;
  void AddPayMode(int32_t payType, const PayModeInfo& mode);
  static bool FindPadByCode(const PadInfo& pad, const std::string& padCode) { return pad.padCode == padCode; }

  int32_t userId = 0;
  std::string userName;        // ANSI
  std::string passwordDigest;  // 32 lower-case hex characters or empty
  bool savePassword = false;
  bool autoLogin = false;
  std::string sessionId;
  int32_t rbcAmount = 0;
  int32_t freeRate = 0;
  int32_t vipRate = 0;
  // Read and written whole by the window, reader, loop and timer threads.
  std::atomic<int32_t> qualityLevel{0};
  std::atomic<int32_t> autoQuality{0};  // a flag kept in a 32-bit slot
  std::atomic<int32_t> networkLevel{0};
  std::array<std::string, kRequestKindCount> endpointUrls;
  std::vector<ControlNodeInfo> controlList;
  std::vector<PadInfo> padList;
  std::string currentPadCode;
  std::vector<NoticeInfo> noticeList;
  std::vector<IdcInfo> idcList;
  std::vector<FaultLabelInfo> faultLabelList;
  std::vector<FaultInfo> faultList;
  std::vector<GoodsInfo> goodsList;
  std::vector<OrderInfo> orderList;
  std::vector<PayTypeInfo> payTypeList;
  std::vector<TaskInfo> taskList;

  // Deployment endpoints read by Initialize; pages read the web addresses from here.
  EndpointConfig endpoints;

 private:
  CAppContext() = default;
};

}  // namespace zv
