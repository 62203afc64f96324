#include "sim/account/account_state.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <chrono>
#include <ctime>

namespace zv::sim {
namespace {

std::string ToHex(const unsigned char* data, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 15];
  }
  return out;
}

int IntOf(const Json::Value& value, int fallback = 0) {
  if (value.isIntegral() && value.asInt64() >= INT32_MIN && value.asInt64() <= INT32_MAX)
    return value.asInt();
  if (value.isString()) return std::atoi(value.asCString());
  return fallback;
}

std::string TextOf(const Json::Value& value) {
  if (value.isString()) return value.asString();
  if (value.isIntegral()) return std::to_string(value.asInt64());
  return "";
}

Json::Value ArrayOf(const Json::Value& value) {
  return value.isArray() ? value : Json::Value(Json::arrayValue);
}

const Json::Value* FindByInt(const Json::Value& list, const char* key, int id) {
  for (const auto& item : list) {
    if (IntOf(item[key]) == id) return &item;
  }
  return nullptr;
}

}  // namespace

std::string Md5Hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(text.data(), text.size(), digest, &size, EVP_md5(), nullptr);
  return ToHex(digest, size);
}

std::string RandomHex(size_t bytes) {
  std::vector<unsigned char> data(bytes);
  RAND_bytes(data.data(), static_cast<int>(bytes));
  return ToHex(data.data(), bytes);
}

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string PlatformDay() {
  std::time_t seconds = std::time(nullptr) + 8 * 3600;
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
  return text;
}

void CAccountState::Load(const Json::Value& scenario) {
  *this = CAccountState();
  m_newestVersion = scenario["newestVersion"].isString() ? scenario["newestVersion"].asString() : "1.2.3";
  for (const auto& item : ArrayOf(scenario["devices"])) {
    std::string code = TextOf(item["padCode"]);
    if (code.empty() || m_devices.count(code)) continue;
    m_devices[code] = item;
    m_deviceOrder.push_back(code);
  }
  for (const auto& item : ArrayOf(scenario["users"])) {
    std::string name = TextOf(item["userName"]);
    if (name.empty() || m_users.count(name)) continue;
    SimUser user;
    user.userName = name;
    user.userId = IntOf(item["userId"], m_nextUserId++);
    user.password = TextOf(item["password"]);
    user.digest = Md5Hex(std::to_string(user.userId) + "##" + user.password);
    user.loginCode = IntOf(item["loginCode"]);
    user.rbcAmount = IntOf(item["rbcAmount"]);
    user.freeRate = IntOf(item["freeRate"], 10);
    user.vipRate = IntOf(item["vipRate"], 30);
    user.mobile = TextOf(item["mobile"]);
    for (const auto& code : ArrayOf(item["devices"])) {
      if (m_devices.count(TextOf(code))) user.devices.push_back(TextOf(code));
    }
    m_nextUserId = std::max(m_nextUserId, user.userId + 1);
    m_users[name] = user;
  }
  m_controlNodes = ArrayOf(scenario["controlNodes"]);
  m_notices = ArrayOf(scenario["notices"]);
  m_goods = ArrayOf(scenario["goods"]);
  m_payModes = ArrayOf(scenario["payModes"]);
  m_tasks = ArrayOf(scenario["tasks"]);
  m_faultLabels = ArrayOf(scenario["faultLabels"]);
  m_idcs = ArrayOf(scenario["idcs"]);
  for (const auto& item : ArrayOf(scenario["faults"])) {
    Json::Value fault = item;
    int userId = IntOf(fault["userId"]);
    fault.removeMember("userId");
    fault["faultId"] = m_nextFault++;
    if (!m_faults.count(userId)) m_faults[userId] = Json::Value(Json::arrayValue);
    m_faults[userId].append(fault);
  }
}

SimUser* CAccountState::FindUser(const std::string& userName) {
  auto it = m_users.find(userName);
  return it == m_users.end() ? nullptr : &it->second;
}

SimUser* CAccountState::FindUserById(int userId) {
  for (auto& [name, user] : m_users) {
    if (user.userId == userId) return &user;
  }
  return nullptr;
}

SimUser& CAccountState::AddUser(const std::string& userName, const std::string& password) {
  SimUser user;
  user.userName = userName;
  user.userId = m_nextUserId++;
  user.password = password;
  user.digest = Md5Hex(std::to_string(user.userId) + "##" + password);
  user.freeRate = 10;
  user.vipRate = 30;
  return m_users[userName] = user;
}

std::string CAccountState::NewSignKey(SimUser& user) {
  user.signKey = RandomHex(8);
  return user.signKey;
}

std::string CAccountState::NewSession(int userId) {
  std::string token = RandomHex(16);
  m_sessions[token] = SimSession{userId, true, NowMs()};
  return token;
}

SimUser* CAccountState::SessionUser(const std::string& token) {
  auto it = m_sessions.find(token);
  if (it == m_sessions.end() || !it->second.live) return nullptr;
  return FindUserById(it->second.userId);
}

bool CAccountState::IsSessionLive(const std::string& token) const {
  auto it = m_sessions.find(token);
  return it != m_sessions.end() && it->second.live;
}

void CAccountState::ExpireAllSessions() {
  for (auto& [token, session] : m_sessions) session.live = false;
}

Json::Value* CAccountState::FindDevice(const std::string& padCode) {
  auto it = m_devices.find(padCode);
  return it == m_devices.end() ? nullptr : &it->second;
}

bool CAccountState::UserHoldsDevice(const SimUser& user, const std::string& padCode) const {
  return std::find(user.devices.begin(), user.devices.end(), padCode) != user.devices.end();
}

std::string CAccountState::AddDevice(SimUser& user, const std::string& grade, int days) {
  std::string code;
  do {
    code = (grade == "0" ? "PAD-NEW-FREE-" : "PAD-NEW-VIP-") + std::to_string(m_nextDevice++);
  } while (m_devices.count(code));
  Json::Value device;
  device["padCode"] = code;
  device["padName"] = grade == "0" ? "免费设备" : "VIP设备";
  device["padGrade"] = grade;
  device["padStatus"] = "1";
  device["controlCode"] = m_controlNodes.empty() ? "" : TextOf(m_controlNodes[0]["controlCode"]);
  // The new device streams like the scenario's first device, when there is one.
  device["videoUrl"] = m_deviceOrder.empty() ? "rtmp://127.0.0.1:{rtmp}/live/"
                                             : TextOf(m_devices[m_deviceOrder[0]]["videoUrl"]);
  device["adPlayTime"] = grade == "0" ? 15 : 0;
  device["leftControlTime"] = 3600;
  device["leftOnlineTime"] = days;
  device["recoveryStatus"] = "1";
  device["leftRecoveryDays"] = 0;
  device["bindMobile"] = user.mobile;
  device["roomName"] = "一号机房";
  m_devices[code] = device;
  m_deviceOrder.push_back(code);
  user.devices.push_back(code);
  return code;
}

const Json::Value* CAccountState::FindGoods(int goodsId) const {
  return FindByInt(m_goods, "goodsId", goodsId);
}

const Json::Value* CAccountState::FindPayMode(const std::string& payModeCode) const {
  for (const auto& mode : m_payModes) {
    if (TextOf(mode["payModeCode"]) == payModeCode) return &mode;
  }
  return nullptr;
}

const Json::Value* CAccountState::FindFaultLabel(int labelId) const {
  return FindByInt(m_faultLabels, "labelId", labelId);
}

SimOrder& CAccountState::AddOrder(int userId, const std::string& type, int goodsId,
                                  const std::string& padCode) {
  SimOrder order;
  char id[32];
  std::snprintf(id, sizeof id, "ZV%s%05d", PlatformDay().substr(0, 4).c_str(), m_nextOrder++);
  order.orderId = id;
  order.orderType = type;
  order.userId = userId;
  order.padCode = padCode;
  order.goodsId = goodsId;
  order.createdMs = NowMs();
  m_orders.push_back(order);
  return m_orders.back();
}

SimOrder* CAccountState::FindOrder(const std::string& orderId) {
  for (auto& order : m_orders) {
    if (order.orderId == orderId) return &order;
  }
  return nullptr;
}

std::vector<const SimOrder*> CAccountState::OrdersOf(int userId) const {
  std::vector<const SimOrder*> list;
  for (auto it = m_orders.rbegin(); it != m_orders.rend(); ++it) {
    if (it->userId == userId) list.push_back(&*it);
  }
  return list;
}

bool CAccountState::PayOrder(SimOrder& order) {
  if (order.orderStatus != "0") return false;
  order.orderStatus = "1";
  SimUser* user = FindUserById(order.userId);
  const Json::Value* goods = FindGoods(order.goodsId);
  if (!user || !goods) return true;
  int days = IntOf((*goods)["days"], 30);
  user->rbcAmount += std::max(0, IntOf((*goods)["rbcAmount"]));
  Json::Value* device = order.padCode.empty() ? nullptr : FindDevice(order.padCode);
  if (order.orderType == "1" && device) {
    (*device)["leftOnlineTime"] = IntOf((*device)["leftOnlineTime"]) + days;
    (*device)["recoveryStatus"] = "1";
    (*device)["leftRecoveryDays"] = 0;
  } else {
    AddDevice(*user, "1", days);
  }
  return true;
}

void CAccountState::AddFault(int userId, Json::Value fault) {
  fault["faultId"] = m_nextFault++;
  Json::Value& list = m_faults[userId];
  if (!list.isArray()) list = Json::Value(Json::arrayValue);
  list.append(fault);
}

const Json::Value& CAccountState::FaultsOf(int userId) {
  Json::Value& list = m_faults[userId];
  if (!list.isArray()) list = Json::Value(Json::arrayValue);
  return list;
}

Json::Value CAccountState::Snapshot() const {
  Json::Value state(Json::objectValue);
  Json::Value users(Json::arrayValue);
  for (const auto& [name, user] : m_users) {
    Json::Value item;
    item["userName"] = user.userName;
    item["userId"] = user.userId;
    item["digest"] = user.digest;
    item["loginCode"] = user.loginCode;
    item["rbcAmount"] = user.rbcAmount;
    item["freeRate"] = user.freeRate;
    item["vipRate"] = user.vipRate;
    item["mobile"] = user.mobile;
    item["attendanceDay"] = user.attendanceDay;
    item["devices"] = Json::Value(Json::arrayValue);
    for (const auto& code : user.devices) item["devices"].append(code);
    users.append(item);
  }
  state["users"] = users;
  Json::Value sessions(Json::arrayValue);
  for (const auto& [token, session] : m_sessions) {
    Json::Value item;
    item["session"] = token;
    item["userId"] = session.userId;
    item["live"] = session.live;
    sessions.append(item);
  }
  state["sessions"] = sessions;
  Json::Value devices(Json::arrayValue);
  for (const auto& code : m_deviceOrder) devices.append(m_devices.at(code));
  state["devices"] = devices;
  Json::Value orders(Json::arrayValue);
  for (const auto& order : m_orders) {
    Json::Value item;
    item["orderId"] = order.orderId;
    item["orderType"] = order.orderType;
    item["userId"] = order.userId;
    item["padCode"] = order.padCode;
    item["goodsId"] = order.goodsId;
    item["orderStatus"] = order.orderStatus;
    orders.append(item);
  }
  state["orders"] = orders;
  state["newestVersion"] = m_newestVersion;
  return state;
}

}  // namespace zv::sim
